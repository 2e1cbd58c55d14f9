#pragma once
// The local Postfix and Dovecot that scripts/mailservers started, as it wrote
// them to servers.env: their addresses, the test account, the Maildir behind
// it, and the throw-away authority that signed the TLS ports' certificate. Plain QtCore, so the mail benchmarks read the same file.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QThread>

struct TMailServers {
    QString Smtp, Pop3;   // host:port, plain
    QString Submission;   // SMTP with STARTTLS required before AUTH
    QString Smtps, Pop3s; // implicit TLS
    QString CAFile;
    QByteArray User, Password, Address;
    QString Maildir;

    // False when dir holds no servers.env: the servers were not started.
    bool Load(const QString& dir)
    {
        QFile env(dir + QStringLiteral("/servers.env"));
        if (!env.open(QIODevice::ReadOnly))
            return false;
        QHash<QByteArray, QByteArray> values;
        for (const QByteArray& line : env.readAll().split('\n'))
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                values.insert(line.left(eq), line.mid(eq + 1));
        const auto address = [&](const char* port) {
            return QStringLiteral("127.0.0.1:") + QString::fromLatin1(values.value(port));
        };
        Smtp = address("SMTP_PORT");
        Pop3 = address("POP3_PORT");
        Submission = address("SUBMISSION_PORT");
        Smtps = address("SMTPS_PORT");
        Pop3s = address("POP3S_PORT");
        CAFile = QString::fromLocal8Bit(values.value("CA_FILE"));
        User = values.value("MAIL_USER");
        Password = values.value("MAIL_PASSWORD");
        Address = values.value("MAIL_ADDRESS");
        Maildir = QString::fromLocal8Bit(values.value("MAILDIR"));
        return true;
    }

    QStringList Messages() const
    {
        QStringList files;
        for (const char* sub : {"new", "cur"})
            for (const QString& name : QDir(Maildir + '/' + sub).entryList(QDir::Files))
                files << Maildir + '/' + sub + '/' + name;
        return files;
    }

    // Empties the mailbox between runs: cheaper than restarting Dovecot.
    void ClearMailbox() const
    {
        for (const QString& file : Messages())
            QFile::remove(file);
    }

    // Delivery is asynchronous (milliseconds, rarely a tenth of a second).
    bool WaitForMessages(int count) const
    {
        for (int tries = 0; tries < 200; ++tries) {
            if (Messages().size() >= count)
                return true;
            QThread::msleep(10);
        }
        return false;
    }
};
