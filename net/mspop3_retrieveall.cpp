// TmsPOP: every retrieved message decoded into the message list, and the
// mailbox window's one call.
#include "net/mspop3.h"

#include "mail/msmsg.h"

TmsPOP::TmsPOP(QObject* owner) : TmsCustomPOP(owner), MessageList(new TmsMessageList(this)) {}

// The entry joins the list before decoding, so a decoder failure leaves it
// there with what was filled in.
void TmsPOP::StoreMessage(int, TStream& stream)
{
    auto* message = new TmsListMessage(MessageList);
    message->LoadFromStream(stream);
}

// A message is deleted only once it is stored: a failure on the way leaves
// it, and every later one, on the server.
void TmsPOP::RetrieveAll(TmsAfterRetrieve afterRetrieve)
{
    RunSession([&] {
        for (int index = 0; index < MessageCount; ++index) {
            RetrieveMessage(index);
            if (afterRetrieve == TmsAfterRetrieve::Delete)
                DeleteMessage(index);
        }
    });
}
