#include "net/pop3/seen_ids.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>

bool IsUniqueId(const QByteArray& id)
{
    return !id.isEmpty() && id.size() <= 70
        && std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
}

// The name hashes the account, so no server or login text reaches a path.
QString SeenIdsPath(const QString& server, const QString& user)
{
    const QByteArray account = (user + QLatin1Char('@') + server.toLower()).toUtf8();
    const QByteArray name = QCryptographicHash::hash(account, QCryptographicHash::Sha256).toHex().left(32);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/penvale/seen/")
         + QString::fromLatin1(name) + QStringLiteral(".uids");
}

TmsSeenIds::TmsSeenIds(QString fileName) : fileName(std::move(fileName))
{
    QFile file(this->fileName);
    if (!Kept() || !file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        if (!IsUniqueId(line)) {
            ids.clear();
            return;
        }
        ids.insert(line);
    }
}

void TmsSeenIds::Add(const QList<QByteArray>& fetched)
{
    const qsizetype before = ids.size();
    for (const QByteArray& id : fetched)
        if (IsUniqueId(id))
            ids.insert(id);
    if (Kept() && ids.size() != before)
        Save();
}

void TmsSeenIds::KeepOnly(const QList<QByteArray>& onServer)
{
    const qsizetype before = ids.size();
    ids.intersect(QSet<QByteArray>(onServer.begin(), onServer.end()));
    if (Kept() && ids.size() != before)
        Save();
}

// Renamed into place without waiting for the disk: only a crash of the
// system, not of the program, can lose it, that only means storing mail
// again, and a wait a group would slow every retrieval.
void TmsSeenIds::Save() const
{
    QList<QByteArray> lines(ids.begin(), ids.end());
    std::sort(lines.begin(), lines.end());
    QDir().mkpath(QFileInfo(fileName).path());
    QTemporaryFile file(fileName + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return;
    for (const QByteArray& line : lines)
        file.write(line + '\n');
    file.close();
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(), QFile::encodeName(fileName).toStdString(),
                            failed);
    if (!failed)
        file.setAutoRemove(false);
}
