// Listing and deleting the messages of a local mail store.
#include "mail/store/store_listing.h"

#include "mail/model/message.h"
#include "mail/headers/header_fields.h"
#include "mail/store/mail_store_p.h"
#include "mail/store/store_files_p.h"
#include "mail/store/store_leftovers_p.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace MailStore {

namespace {

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
    if (!ReadCounter(counter))
        return std::nullopt;
    RemoveLeftovers(directory, kind);
    qint64 rows = 0;
    for (const TNumberedFile& file : ReadStoreFiles(directory, kind).numbered) {
        if (file.empty)
            continue; // a reservation a writer at work still holds
        row(Listed(file.path));
        const QString numbered = MessageFile(directory, kind, rows);
        if (file.path != numbered)
            QFile::rename(file.path, numbered); // QFile never renames over a file
        ++rows;
    }
    try {
        WriteCounter(counter, quint64(rows));
    } catch (const EFCreateError&) {
        // The mail is listed all the same; storing never takes a name that is in use.
    }
    return rows;
}

void DeleteMessageFile(const QString& directory, const TStoreKind& kind, qint64 number)
{
    QFile::remove(MessageFile(directory, kind, number));
}

} // namespace MailStore
