#include "net/mspop3_uids.h"

#include <QCryptographicHash>
#include <QStandardPaths>

// The name hashes the account, so no server or login text reaches a path.
QString SeenIdsPath(const QString& server, const QString& user)
{
    const QByteArray account = (user + QLatin1Char('@') + server.toLower()).toUtf8();
    const QByteArray name = QCryptographicHash::hash(account, QCryptographicHash::Sha256).toHex().left(32);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/penvale/seen/")
        + QString::fromLatin1(name) + QStringLiteral(".uids");
}
