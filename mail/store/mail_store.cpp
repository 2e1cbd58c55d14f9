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
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <memory>

namespace MailStore {

namespace {

// A text on its way into the store: a write the disk refuses names the
// file and the reason, not only that a stream failed.
class TIncomingText : public TTempFileStream {
public:
    TIncomingText(const QString& directory, const QString& fileName) : TTempFileStream(directory), fileName(fileName) {}

    qint64 Write(const char* buffer, qint64 count) override
    {
        const qint64 written = TTempFileStream::Write(buffer, count);
        if (written < count)
            throw EFCreateError(Errors::FileCreate(fileName, ErrorString()));
        return written;
    }
    using TStream::Write;

private:
    QString fileName;
};

// The folder of a store is a setting the user can fix, so the reason names it
// and says what to do.
QString NoFolder(const QString& directory)
{
    const QString shown = QDir::toNativeSeparators(directory);
    if (QFileInfo(directory).isFile())
        return QStringLiteral("\"%1\" is a file, not a folder: choose a folder for the messages.").arg(shown);
    return QStringLiteral("The folder \"%1\" cannot be created: choose a folder you can write to.").arg(shown);
}

} // namespace

QString WriteMessageFile(const QString& directory, const TStoreKind& kind, TmsCustomMessage& message)
{
    TStoreWriter writer(directory, kind);
    const QString file = writer.Write(message);
    writer.Sync();
    return file;
}

QString WriteMessageFile(const QString& directory, const TStoreKind& kind, TStream& text)
{
    TStoreWriter writer(directory, kind);
    writer.BeginText().CopyFrom(text, 0);
    const QString file = writer.WriteText();
    writer.Sync();
    return file;
}

TStoreWriter::TStoreWriter(const QString& directory, const TStoreKind& kind)
    : directory(directory),
      kind(kind),
      reservation(std::make_unique<QTemporaryFile>(directory + QStringLiteral("/msXXXXXX")))
{
    if (!QDir(directory).mkpath(QStringLiteral(".")))
        throw EFCreateError(NoFolder(directory));
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
    TStream& text = BeginText();
    const auto abandonOnFailure = qScopeGuard([this] { abandon(); }); // nothing left once written
    if (message.ReceivedText().isEmpty())
        message.SaveToStream(text);
    else
        text.Write(message.ReceivedText());
    return WriteText();
}

TStream& TStoreWriter::BeginText()
{
    if (!lost.isEmpty())
        throw EFCreateError(lost);
    abandon();
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
    incoming.emplace(TPending{file.name, std::make_unique<TIncomingText>(directory, file.name)});
    release.dismiss();
    incomingNext = first.value + quint64(file.index) + 1;
    return *incoming->text;
}

QString TStoreWriter::WriteText()
{
    if (!incoming)
        throw EFCreateError(NoFileIn(directory, QStringLiteral("No message text was begun.")));
    const auto abandonOnFailure = qScopeGuard([this] { abandon(); }); // nothing left once written
    incoming->text->Flush(incoming->name);
    const QString name = incoming->name;
    pending.push_back(std::move(*incoming));
    incoming.reset();
    next = incomingNext;
    return name;
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

// A text begun and never written gives its number back.
void TStoreWriter::abandon()
{
    if (incoming)
        QFile::remove(incoming->name);
    incoming.reset();
}

// Whatever was not synced goes, whole group at once: none of it was promised.
void TStoreWriter::drop()
{
    abandon();
    for (const TPending& message : pending)
        QFile::remove(message.name);
    pending.clear();
}

} // namespace MailStore
