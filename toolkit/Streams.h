#pragma once
// Byte streams with the position and size semantics the mail layer relies on:
// Read/Write move the position, Seek is absolute or relative, Size is the length.
#include <QByteArray>
#include <QFile>
#include <QString>

class TStream {
public:
    enum Origin { soBeginning, soCurrent, soEnd };
    virtual ~TStream() = default;

    virtual qint64 Read(char* buffer, qint64 count) = 0; // bytes actually read
    virtual qint64 Write(const char* buffer, qint64 count) = 0;
    virtual qint64 Seek(qint64 offset, Origin origin) = 0; // new position
    virtual qint64 Size() const = 0;
    virtual void SetSize(qint64 size) = 0;

    qint64 Position() { return Seek(0, soCurrent); }
    void SetPosition(qint64 pos) { Seek(pos, soBeginning); }

    // Whole-block helpers: raise EReadError/EWriteError when short.
    void ReadBuffer(char* buffer, qint64 count);
    void WriteBuffer(const char* buffer, qint64 count);
    void Write(const QByteArray& bytes) { WriteBuffer(bytes.constData(), bytes.size()); }
    QByteArray ReadAll();                           // from the position to the end
    qint64 CopyFrom(TStream& source, qint64 count); // count 0 = whole source from its start
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : data(std::move(bytes)) {}

    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    using TStream::Write;
    qint64 Seek(qint64 offset, Origin origin) override;
    qint64 Size() const override { return data.size(); }
    void SetSize(qint64 size) override;

    void Clear()
    {
        data.clear();
        pos = 0;
    }
    const QByteArray& Bytes() const { return data; }
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;

private:
    QByteArray data;
    qint64 pos = 0;
};

class TFileStream : public TStream {
public:
    enum Mode { fmOpenRead, fmOpenWrite, fmOpenReadWrite, fmCreate };
    // Raises EFOpenError (or EFCreateError for fmCreate) naming the file and the reason.
    TFileStream(const QString& fileName, Mode mode);

    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    using TStream::Write;
    qint64 Seek(qint64 offset, Origin origin) override;
    qint64 Size() const override { return file.size(); }
    void SetSize(qint64 size) override;
    QString FileName() const { return file.fileName(); }

protected:
    QFile file;
};

// Whole-file helpers with the same error texts as TFileStream.
QByteArray ReadWholeFile(const QString& fileName);
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);
