// A retrieved message reaches the disk before anything may delete it from
// the server: RetrieveAll sends DELE only after StoreMessage returns, and a
// failed write ends the session there.
#include "net/mspop3_store.h"

#include "mail/msmsg.h"
#include "mail/msstore.h"

void TmsStoringPOP::RetrieveMailbox(TmsAfterRetrieve afterRetrieve, const QString& savedMailDir)
{
    MessageList->Clear();
    stored.clear();
    storing = afterRetrieve == TmsAfterRetrieve::Delete;
    storeDir = savedMailDir;
    RetrieveAll(afterRetrieve);
}

void TmsStoringPOP::StoreMessage(int index, TStream& stream)
{
    const qsizetype entry = MessageList->Count();
    TmsPOP::StoreMessage(index, stream);
    if (storing)
        stored.insert(entry, MailStore::StoreMessage(storeDir, MailStore::SavedMail, MessageList->Items(entry)));
}
