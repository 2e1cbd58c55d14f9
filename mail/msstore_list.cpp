// Listing and deleting the messages of a local mail store.
#include "mail/msstore_list.h"

#include "mail/msmsg.h"
#include "mail/mspars.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace MailStore {

namespace {

// The counter's first line as a number; nullopt without a counter file.
std::optional<qint64> ReadCount(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(Errors::FileOpen(path, file.errorString()));
    const QByteArray line = file.readLine(256).trimmed();
    bool ok = !line.isEmpty() && std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
    const qint64 value = ok ? line.toLongLong(&ok) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(line.left(40))));
    return value;
}

void WriteCount(const QString& path, qint64 value)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::number(value) + "\r\n");
        file.commit();
    }
}

TListedMessage Listed(const QString& path)
{
    TmsMessage message;
    try {
        message.LoadFromFile(path);
    } catch (const Exception&) {
        return {{}, {}, QFileInfo(path).fileName().toUtf8()};
    }
    const TmsHeaders& headers = message.Headers();
    return {GetHeaderField(headers, "From"), GetHeaderField(headers, "To"), GetHeaderField(headers, "Subject")};
}

} // namespace

QString MessageFile(const QString& directory, const TStoreKind& kind, qint64 number)
{
    return QDir(directory).filePath(kind.prefix + QString::number(number) + QStringLiteral(".eml"));
}

std::optional<qint64> ListStore(const QString& directory, const TStoreKind& kind, const TListedRow& row)
{
    const QString counter = QDir(directory).filePath(kind.counter);
    const std::optional<qint64> count = ReadCount(counter);
    if (!count)
        return std::nullopt;
    qint64 rows = 0;
    for (qint64 number = 0; number < *count; ++number) {
        const QString path = MessageFile(directory, kind, number);
        if (!QFileInfo::exists(path))
            continue;
        row(Listed(path));
        if (number != rows)
            QFile::rename(path, MessageFile(directory, kind, rows)); // QFile never renames over a file
        ++rows;
    }
    WriteCount(counter, rows);
    return rows;
}

void DeleteMessageFile(const QString& directory, const TStoreKind& kind, qint64 number)
{
    QFile::remove(MessageFile(directory, kind, number));
}

} // namespace MailStore
