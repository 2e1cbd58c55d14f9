#pragma once
// The accounts whose server once offered a log-in that keeps the password
// off the network (CRAM-MD5, APOP), so that a server no longer offering it
// on a connection without TLS is noticed rather than followed into a plain
// log-in. One line per account and mechanism, hashed: the file names no
// server or login.
#include <QString>

// The file kept in the user's data directory.
QString ChallengeLoginsPath();

class TChallengeLogins {
public:
    // An empty file name keeps nothing.
    TChallengeLogins(QString fileName, const QString& server, const QString& login, const char* mechanism);

    bool OfferedBefore() const;
    // A record that cannot be written only loses the safeguard: the mail
    // still goes, as it did before there was one.
    void Remember();
    void Forget();

private:
    QList<QByteArray> ReadAccounts() const;
    void WriteAccounts(const QList<QByteArray>& accounts) const;

    QString fileName;
    QByteArray account;
};
