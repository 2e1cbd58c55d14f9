// A retrieved message reaches the disk before anything may delete it from
// the server or record it as fetched: RetrieveAll sends a group's DELEs, or
// records its ids, only after KeepRetrieved returns, and a failed write ends
// the session there.
#include "net/pop3/retrieve_to_store.h"

#include "mail/model/message.h"
#include "mail/store/mail_store.h"

#include <QScopeGuard>

TmsStoringPOP::TmsStoringPOP(QObject* owner) : TmsPOP(owner)
{
    KeepGroup = int(MailStore::TStoreWriter::GroupSize);
}

TmsStoringPOP::~TmsStoringPOP() = default;

void TmsStoringPOP::RetrieveMailbox(TmsAfterRetrieve afterRetrieve, const QString& savedMailDir)
{
    MessageList->Clear();
    stored.clear();
    storing = afterRetrieve == TmsAfterRetrieve::Delete;
    storeDir = savedMailDir;
    // Messages written but not yet deleted when the retrieval fails are
    // dropped: they stay on the server, and storing them would store them
    // twice once they are retrieved again.
    auto done = qScopeGuard([this] {
        receiving = nullptr;
        writer.reset();
        written.clear();
    });
    RetrieveAll(afterRetrieve);
}

TStream* TmsStoringPOP::ReceivingStream()
{
    receiving = nullptr;
    if (!storing && !FetchingOnce())
        return nullptr;
    if (!writer)
        writer = std::make_unique<MailStore::TStoreWriter>(storeDir, MailStore::SavedMail);
    receiving = &writer->BeginText();
    return receiving;
}

void TmsStoringPOP::MessageReceived(int, TStream& stream)
{
    if (&stream == receiving)
        StoreAndDecode(stream);
    else
        DecodeIntoList(stream);
}

void TmsStoringPOP::StoreAndDecode(TStream& stream)
{
    receiving = nullptr;
    const qsizetype entry = MessageList->Count();
    written.insert(entry, writer->WriteText());
    DecodeIntoList(stream);
    TmsAttList& attachments = MessageList->Items(entry).Attachments();
    for (qsizetype i = 0; i < attachments.Count(); ++i)
        attachments.Items(i).Data().Clear();
}

// When the disk refuses, the group's files are gone and its messages stay
// on the server.
void TmsStoringPOP::KeepRetrieved()
{
    if (written.isEmpty())
        return;
    const QHash<qsizetype, QString> group = std::exchange(written, {});
    writer->Sync();
    stored.insert(group);
}
