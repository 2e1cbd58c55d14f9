#pragma once
// Retrieving a mailbox for the mailbox window. When mail is deleted from the
// server, each message is written into the saved-mail store before its DELE
// is sent, so a message gone from the server is never only in memory.
#include "net/mspop3.h"

#include <QHash>
#include <QString>

class TmsStoringPOP : public TmsPOP {
public:
    explicit TmsStoringPOP(QObject* owner = nullptr) : TmsPOP(owner) {}

    // Empties the message list, then retrieves every message into it. With
    // TmsAfterRetrieve::Delete each one is first stored in savedMailDir.
    void RetrieveMailbox(TmsAfterRetrieve afterRetrieve, const QString& savedMailDir);

    // The stored file of message list entry index; empty when not stored.
    QString StoredFile(qsizetype index) const { return stored.value(index); }
    qsizetype StoredCount() const { return stored.size(); }

protected:
    void StoreMessage(int index, TStream& stream) override;

private:
    bool storing = false;   // false: mail stays on the server
    QString storeDir;
    QHash<qsizetype, QString> stored;
};
