#include "net/session/challenge_logins.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Far beyond the accounts of one user; a larger file is not this one's.
constexpr qint64 MaxFileSize = 65536;

} // namespace

QString ChallengeLoginsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
         + QStringLiteral("/penvale/challenge-logins");
}

TChallengeLogins::TChallengeLogins(QString file, const QString& server, const QString& login, const char* mechanism)
    : fileName(std::move(file))
{
    const QString name = QLatin1String(mechanism) + QLatin1Char(' ') + login + QLatin1Char('@') + server.toLower();
    account = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex();
}

bool TChallengeLogins::OfferedBefore() const
{
    return ReadAccounts().contains(account);
}

void TChallengeLogins::Remember()
{
    QList<QByteArray> accounts = ReadAccounts();
    if (fileName.isEmpty() || accounts.contains(account))
        return;
    accounts.append(account);
    WriteAccounts(accounts);
}

void TChallengeLogins::Forget()
{
    QList<QByteArray> accounts = ReadAccounts();
    if (accounts.removeAll(account) > 0)
        WriteAccounts(accounts);
}

QList<QByteArray> TChallengeLogins::ReadAccounts() const
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> accounts = file.read(MaxFileSize).split('\n');
    accounts.removeAll(QByteArray());
    return accounts;
}

void TChallengeLogins::WriteAccounts(const QList<QByteArray>& accounts) const
{
    QDir().mkpath(QFileInfo(fileName).path());
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QByteArray& line : accounts)
            file.write(line + '\n');
        file.commit();
    }
}
