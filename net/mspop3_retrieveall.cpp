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
// it, and every later one, on the server. A refusal for one message leaves
// the session in step, so the rest of the mailbox goes on.
void TmsPOP::RetrieveAll(TmsAfterRetrieve afterRetrieve)
{
    RunSession([&] {
        for (int index = 0; index < MessageCount; ++index) {
            if (Refused(index, [&] { RetrieveMessage(index); }, "was not retrieved and stays on the server"))
                continue;
            if (afterRetrieve == TmsAfterRetrieve::Delete)
                Refused(index, [&] { DeleteMessage(index); }, "was not deleted and will be retrieved again");
        }
    });
}

// True when the server refused the step; the refusal goes to OnMessageError.
bool TmsPOP::Refused(int index, const std::function<void()>& step, const char* outcome)
{
    try {
        step();
        return false;
    } catch (const EServerError& e) {
        const QString message =
            QStringLiteral("Message %1 %2: %3").arg(index + 1).arg(QLatin1String(outcome), e.Message);
        if (OnMessageError)
            OnMessageError(this, index, message);
        return true;
    }
}
