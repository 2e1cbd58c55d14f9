// Numbered message files in a local mail store, written so that no message
// is ever lost: never over another, never cut short.
#include "mail/store/mail_store.h"

#include "mail/model/message.h"
#include "mail/store/new_file_p.h"
#include "mail/store/mail_store_p.h"
#include "mail/store/mail_streams.h"
#include "mail/store/store_leftovers_p.h"
#include "toolkit/Exception.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <memory>

namespace MailStore {

QString WriteMessageFile(const QString& directory, const TStoreKind& kind, TmsCustomMessage& message)
{
    TStoreWriter writer(directory, kind);
    const QString file = writer.Write(message);
    writer.Sync();
    return file;
}

// The text in a temporary file beside the empty file that holds its number.
struct TStoreWriter::TPending {
    QString name;
    std::unique_ptr<TTempFileStream> text;
};

TStoreWriter::TStoreWriter(const QString& directory, const TStoreKind& kind)
    : directory(directory),
      kind(kind),
      reservation(std::make_unique<QTemporaryFile>(directory + QStringLiteral("/msXXXXXX")))
{
    if (!QDir(directory).mkpath(QStringLiteral(".")))
        throw EFCreateError(Errors::FileCreate(directory, QStringLiteral("the directory cannot be created")));
    if (!reservation->open())
        throw EFCreateError(NoFileIn(directory, reservation->errorString()));
    reservation->fileName(); // a file that has no name yet gets one here
    reservation->close();
    StartWriting(directory, kind, reservation->fileName());
}

TStoreWriter::~TStoreWriter()
{
    drop();
}

QString TStoreWriter::Write(TmsCustomMessage& message)
{
    if (!lost.isEmpty())
        throw EFCreateError(lost);
    if (pending.size() >= GroupSize)
        Sync();
    const QDir dir(directory);
    const TCounter first = next ? TCounter{QByteArray::number(*next), *next}
                                : ReadCounter(dir.filePath(kind.counter)).value_or(TCounter{"0", 0});
    const auto fileName = [&](qint64 index) {
        const QByteArray n = index == 0 ? first.text : QByteArray::number(first.value + quint64(index));
        return dir.filePath(kind.prefix + QString::fromLatin1(n) + QStringLiteral(".eml"));
    };
    const TNewFile file = LinkFirstFreeName(reservation->fileName(), fileName);
    auto release = qScopeGuard([&file] { QFile::remove(file.name); });
    auto text = std::make_unique<TTempFileStream>(directory);
    try {
        message.SaveToStream(*text);
    } catch (const EStreamError&) {
        throw EFCreateError(Errors::FileCreate(file.name, text->ErrorString()));
    }
    text->Flush(file.name);
    pending.push_back({file.name, std::move(text)});
    release.dismiss();
    next = first.value + quint64(file.index) + 1;
    return file.name;
}

void TStoreWriter::Sync()
{
    if (!lost.isEmpty())
        throw EFCreateError(lost);
    if (pending.empty())
        return;
    try {
        if (pending.size() == 1)
            pending.front().text->WriteOut(pending.front().name);
        else
            SyncFileSystemOf(pending.front().name); // the texts before any takes its name
        for (TPending& message : pending)
            message.text->RenameTo(message.name);
        SyncDirectoryOf(pending.back().name);
        WriteCounter(QDir(directory).filePath(kind.counter), *next);
    } catch (const Exception& e) {
        lost = e.Message;
        drop();
        throw EFCreateError(lost);
    }
    pending.clear();
}

// Whatever was not synced goes, whole group at once: none of it was promised.
void TStoreWriter::drop()
{
    for (const TPending& message : pending)
        QFile::remove(message.name);
    pending.clear();
}

} // namespace MailStore
