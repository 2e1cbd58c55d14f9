#pragma once
// Streams of the mail layer: a message text read line by line, and a
// private temporary file that lives as long as its stream.
#include "toolkit/Streams.h"

#include <QByteArrayView>
#include <memory>

class QTemporaryFile;

// A memory stream read line by line. Lines end at CR LF, LF or a lone CR; a
// last line without a line end is a line too, and NUL bytes are ordinary.
// NextLine returns a view into the stream's bytes: it stays valid until the
// stream is written to, which is why a reader calls Rewind after filling it.
class TLineStream : public TMemoryStream {
public:
    TLineStream() = default;
    explicit TLineStream(QByteArray text) : TMemoryStream(std::move(text)) {}

    // Back to the first line.
    void Rewind();
    // The next line without its line end; at the end of the text the end
    // marker (four bytes of value 255) with Eof set.
    QByteArrayView NextLine();
    bool Eof() const { return eof; }

private:
    qsizetype next = 0; // where the next line begins
    bool eof = false;
};

// A new file in the system's temporary directory, named "ms" and a unique
// part, readable and writable by this user only; deleted with the stream.
class TTempFileStream : public TStream {
public:
    // Raises EFCreateError when the file cannot be made.
    TTempFileStream();
    ~TTempFileStream() override;

    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    using TStream::Write;
    qint64 Seek(qint64 offset, Origin origin) override;
    qint64 Size() const override;
    void SetSize(qint64 size) override;
    QString FileName() const;

private:
    std::unique_ptr<QTemporaryFile> file;
};
