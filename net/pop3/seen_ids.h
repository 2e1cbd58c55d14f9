#pragma once
// The unique ids of the messages one account has already stored, from mail
// left on its server or deleted from it.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

// A POP3 unique id as RFC 1939 allows it: 1 to 70 characters from 0x21 to
// 0x7E. Anything else a server lists is no id.
bool IsUniqueId(const QByteArray& id);

// The file that keeps them, in the user's data directory, one per account.
QString SeenIdsPath(const QString& server, const QString& user);

// The ids kept in one file, one a line. A missing, unreadable or damaged file
// is an empty set: at worst mail is fetched again, never lost. Every change
// rewrites the file whole (a temporary file renamed into place); a file that
// cannot be written is left as it was. Without a file name nothing is kept.
class TmsSeenIds {
public:
    explicit TmsSeenIds(QString fileName);

    bool Kept() const { return !fileName.isEmpty(); }
    bool Contains(const QByteArray& id) const { return ids.contains(id); }
    // Empty ids (a message the listing named none for) are passed over.
    void Add(const QList<QByteArray>& fetched);
    // Forgets every id that is not on the server any more.
    void KeepOnly(const QList<QByteArray>& onServer);

private:
    void Save() const;

    QString fileName;
    QSet<QByteArray> ids;
};
