#include "toolkit/Streams.h"

#include "toolkit/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

void TStream::ReadBuffer(char* buffer, qint64 count)
{
    if (count > 0 && Read(buffer, count) != count)
        throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const char* buffer, qint64 count)
{
    if (count > 0 && Write(buffer, count) != count)
        throw EWriteError(QStringLiteral("Stream write error"));
}

QByteArray TStream::ReadAll()
{
    const qint64 remaining = std::max<qint64>(0, Size() - Position());
    QByteArray bytes(remaining, Qt::Uninitialized);
    bytes.truncate(Read(bytes.data(), remaining));
    return bytes;
}

qint64 TStream::CopyFrom(TStream& source, qint64 count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr qint64 blockSize = 64 * 1024;
    QByteArray block(blockSize, Qt::Uninitialized);
    qint64 copied = 0;
    while (copied < count) {
        const qint64 n = std::min(blockSize, count - copied);
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.constData(), n);
        copied += n;
    }
    return copied;
}

qint64 TMemoryStream::Read(char* buffer, qint64 count)
{
    const qint64 n = std::clamp<qint64>(data.size() - pos, 0, std::max<qint64>(count, 0));
    std::memcpy(buffer, data.constData() + pos, n);
    pos += n;
    return n;
}

qint64 TMemoryStream::Write(const char* buffer, qint64 count)
{
    if (count <= 0)
        return 0;
    if (pos + count > data.size())
        data.resize(pos + count);
    std::memcpy(data.data() + pos, buffer, count);
    pos += count;
    return count;
}

qint64 TMemoryStream::Seek(qint64 offset, Origin origin)
{
    const qint64 base = origin == soBeginning ? 0 : origin == soCurrent ? pos : data.size();
    pos = std::max<qint64>(0, base + offset);
    return pos;
}

void TMemoryStream::SetSize(qint64 size)
{
    data.resize(size);
    pos = std::min(pos, size);
}

void TMemoryStream::LoadFromFile(const QString& fileName)
{
    data = ReadWholeFile(fileName);
    pos = 0;
}

void TMemoryStream::SaveToFile(const QString& fileName) const
{
    WriteWholeFile(fileName, data);
}

static QIODevice::OpenMode qtMode(TFileStream::Mode mode)
{
    switch (mode) {
    case TFileStream::fmOpenRead: return QIODevice::ReadOnly;
    case TFileStream::fmOpenWrite: return QIODevice::WriteOnly | QIODevice::ExistingOnly;
    case TFileStream::fmOpenReadWrite: return QIODevice::ReadWrite | QIODevice::ExistingOnly;
    case TFileStream::fmCreate: return QIODevice::ReadWrite | QIODevice::Truncate;
    }
    return QIODevice::ReadOnly;
}

TFileStream::TFileStream(const QString& fileName, Mode mode) : file(fileName)
{
    errno = 0;
    if (file.open(qtMode(mode)))
        return;
    const QString reason = errno ? Errors::SystemReason(errno) : file.errorString();
    if (mode == fmCreate)
        throw EFCreateError(Errors::FileCreate(fileName, reason));
    throw EFOpenError(Errors::FileOpen(fileName, reason));
}

qint64 TFileStream::Read(char* buffer, qint64 count)
{
    return std::max<qint64>(0, file.read(buffer, count));
}

qint64 TFileStream::Write(const char* buffer, qint64 count)
{
    return std::max<qint64>(0, file.write(buffer, count));
}

qint64 TFileStream::Seek(qint64 offset, Origin origin)
{
    const qint64 base = origin == soBeginning ? 0 : origin == soCurrent ? file.pos() : file.size();
    file.seek(std::max<qint64>(0, base + offset));
    return file.pos();
}

void TFileStream::SetSize(qint64 size)
{
    file.resize(size);
}

QByteArray ReadWholeFile(const QString& fileName)
{
    TFileStream stream(fileName, TFileStream::fmOpenRead);
    return stream.ReadAll();
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes)
{
    TFileStream stream(fileName, TFileStream::fmCreate);
    stream.WriteBuffer(bytes.constData(), bytes.size());
}
