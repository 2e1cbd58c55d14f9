#include "mail/msstreams.h"

#include "toolkit/Exception.h"

#include <QDir>
#include <QTemporaryFile>

#include <cstring>

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

TTempFileStream::TTempFileStream()
    : file(std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/msXXXXXX")))
{
    // QTemporaryFile creates the file exclusively with mode 0600.
    if (!file->open())
        throw EFCreateError(Errors::FileCreate(file->fileTemplate(), file->errorString()));
}

TTempFileStream::~TTempFileStream() = default;

qint64 TTempFileStream::Read(char* buffer, qint64 count)
{
    return std::max<qint64>(0, file->read(buffer, count));
}

qint64 TTempFileStream::Write(const char* buffer, qint64 count)
{
    return std::max<qint64>(0, file->write(buffer, count));
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
