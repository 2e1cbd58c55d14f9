#pragma once
// Retrieving a mailbox for the mailbox window. When mail is deleted from the
// server, each message is written into the saved-mail store and put on disk
// before its DELE is sent, so a message gone from the server is never only
// in memory. So is mail left on the server when it is fetched once by its
// ids: it will not be listed again, so memory must not be its only copy.
// Messages reach the disk a group at a time, then the group's DELEs follow:
// one wait for the disk a group instead of several a message.
#include "net/pop3/pop3_client.h"

#include <QHash>
#include <QString>
#include <memory>

namespace MailStore {
class TStoreWriter;
}

class TmsStoringPOP : public TmsPOP {
public:
    explicit TmsStoringPOP(QObject* owner = nullptr);
    ~TmsStoringPOP() override;

    // Empties the message list, then retrieves every message into it. With
    // TmsAfterRetrieve::Delete, or ids that make the retrieval fetch each
    // message once, each one is first stored in savedMailDir.
    void RetrieveMailbox(TmsAfterRetrieve afterRetrieve, const QString& savedMailDir);

    // The stored file of message list entry index; empty when not stored.
    QString StoredFile(qsizetype index) const { return stored.value(index); }
    qsizetype StoredCount() const { return stored.size(); }

protected:
    TStream* ReceivingStream() override;
    void MessageReceived(int index, TStream& stream) override;
    void KeepRetrieved() override;

private:
    // A message the retrieval stores goes from RETR straight into a file of
    // the store; its list entry is read from the file's header block alone,
    // so memory never grows with a message's size (a view loads the file).
    void StoreAndList(TStream& stream);

    bool storing = false; // false: mail stays on the server
    QString storeDir;
    std::unique_ptr<MailStore::TStoreWriter> writer; // made by the first message stored
    TStream* receiving = nullptr;                    // the store's file RETR writes into
    QHash<qsizetype, QString> written;               // by message list entry, not yet on disk
    QHash<qsizetype, QString> stored;                // on disk
};
