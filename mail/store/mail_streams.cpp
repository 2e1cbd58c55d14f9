#include "mail/store/mail_streams.h"

#include "toolkit/Exception.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char endMarker[] = "\xFF\xFF\xFF\xFF";

} // namespace

void TLineStream::Rewind()
{
    next = 0;
    eof = false;
    SetPosition(0);
}

QByteArrayView TLineStream::NextLine()
{
    const QByteArray& text = Bytes();
    if (next >= text.size()) {
        eof = true;
        return QByteArrayView(endMarker, 4);
    }
    const char* begin = text.constData() + next;
    const qsizetype left = text.size() - next;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(left)));
    const qsizetype lfAt = lf ? lf - begin : left;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(lfAt)));
    qsizetype length = lfAt;
    qsizetype breakLength = lf ? 1 : 0;
    if (cr) { // CR LF, or a lone CR before any LF
        length = cr - begin;
        breakLength = length + 1 == lfAt ? 2 : 1;
    }
    next += length + breakLength;
    return QByteArrayView(begin, length);
}

QByteArray ReadToEnd(TStream& stream)
{
    QByteArray bytes = stream.Size() > 0 ? stream.ReadAll() : QByteArray();
    QByteArray block(64 * 1024, Qt::Uninitialized);
    while (const qint64 n = stream.Read(block.data(), block.size()))
        bytes.append(block.constData(), n);
    return bytes;
}

TTempFileStream::TTempFileStream(const QString& directory)
    : file(std::make_unique<QTemporaryFile>((directory.isEmpty() ? QDir::tempPath() : directory)
                                            + QStringLiteral("/msXXXXXX")))
{
    // QTemporaryFile creates the file exclusively with mode 0600.
    if (!file->open())
        throw EFCreateError(NoFileIn(QFileInfo(file->fileTemplate()).path(), file->errorString()));
}

TTempFileStream::~TTempFileStream() = default;

qint64 TTempFileStream::Read(char* buffer, qint64 count)
{
    return std::max<qint64>(0, file->read(buffer, count));
}

qint64 TTempFileStream::Write(const char* buffer, qint64 count)
{
    errno = 0;
    const qint64 written = file->write(buffer, count);
    if (written < count && !writeError)
        writeError = errno;
    return std::max<qint64>(0, written);
}

qint64 TTempFileStream::Seek(qint64 offset, Origin origin)
{
    const qint64 base = origin == soBeginning ? 0 : origin == soCurrent ? file->pos() : file->size();
    file->seek(std::max<qint64>(0, base + offset));
    return file->pos();
}

qint64 TTempFileStream::Size() const
{
    return file->size();
}

void TTempFileStream::SetSize(qint64 size)
{
    if (!file->resize(size))
        throw EWriteError(QStringLiteral("Stream write error"));
}

QString TTempFileStream::FileName() const
{
    return file->fileName();
}

QString TTempFileStream::ErrorString() const
{
    return writeError ? Errors::SystemReason(writeError) : file->errorString();
}

namespace {

[[noreturn]] void failCommit(const QString& fileName, const QString& reason)
{
    throw EFCreateError(Errors::FileCreate(fileName, reason));
}

// Syncs through the directory that holds fileName: the directory itself
// (fsync) or its whole file system (syncfs).
void SyncThrough(const QString& fileName, int (*sync)(int))
{
    const QByteArray directory = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int handle = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = handle >= 0 && sync(handle) == 0;
    const int error = errno;
    if (handle >= 0)
        ::close(handle);
    if (!synced)
        failCommit(fileName, Errors::SystemReason(error));
}

} // namespace

void SyncFileSystemOf(const QString& fileName)
{
    SyncThrough(fileName, ::syncfs);
}

void SyncDirectoryOf(const QString& fileName)
{
    SyncThrough(fileName, ::fsync);
}

void TTempFileStream::Flush(const QString& fileName)
{
    errno = 0;
    if (!file->flush())
        failCommit(fileName, errno ? Errors::SystemReason(errno) : file->errorString());
}

void TTempFileStream::WriteOut(const QString& fileName)
{
    Flush(fileName);
    if (::fsync(file->handle()) != 0)
        failCommit(fileName, Errors::SystemReason(errno));
}

QString NoFileIn(const QString& directory, const QString& reason)
{
    return QStringLiteral("Cannot create a file in the directory \"%1\". %2")
        .arg(QDir::toNativeSeparators(directory), reason);
}

void TTempFileStream::RenameTo(const QString& fileName)
{
    if (::rename(QFile::encodeName(file->fileName()).constData(), QFile::encodeName(fileName).constData()) != 0)
        failCommit(fileName, Errors::SystemReason(errno));
    file->setAutoRemove(false);
    file->close();
}
