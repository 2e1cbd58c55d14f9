#pragma once
// Streams of the mail layer: a message text read line by line, a stream
// read to its end, and a private temporary file that lives as long as its
// stream or becomes a file of its directory.
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

// All that is left in the stream: a pipe or device is read until it ends,
// where its size tells nothing.
QByteArray ReadToEnd(TStream& stream);

// A new file in a directory (the system's temporary directory by default),
// named "ms" and a unique part, readable and writable by this user only;
// deleted with the stream unless it was committed under a name.
class TTempFileStream : public TStream {
public:
    // Raises EFCreateError when the file cannot be made.
    explicit TTempFileStream(const QString& directory = {});
    ~TTempFileStream() override;

    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    using TStream::Write;
    qint64 Seek(qint64 offset, Origin origin) override;
    qint64 Size() const override;
    void SetSize(qint64 size) override;
    QString FileName() const;
    // Why writing failed.
    QString ErrorString() const;
    // Committing the file as fileName, in the same directory, in steps, so
    // that a group of files syncs its directory once: the text on disk
    // (WriteOut), then the name (RenameTo, which closes the stream and
    // replaces what the name held), on disk once the directory is synced
    // (SyncDirectoryOf). A reader finds the old file or the complete new
    // one. Each raises EFCreateError naming fileName.
    void WriteOut(const QString& fileName);
    void RenameTo(const QString& fileName);
    // Hands the whole text to the system, to be put on disk by a sync of
    // the file system (WriteOut's step without its wait).
    void Flush(const QString& fileName);

private:
    std::unique_ptr<QTemporaryFile> file;
    int writeError = 0; // errno of the first failed write: Qt's buffer hides it
};

// The error text for a directory where no new file can be made: a temporary
// file's name template means nothing to the user.
QString NoFileIn(const QString& directory, const QString& reason);

// Puts the directory entries of fileName's directory on disk, so a rename
// into it survives a crash; raises EFCreateError naming fileName.
void SyncDirectoryOf(const QString& fileName);
// Puts everything written to the file system that holds fileName on disk:
// for many files, one wait for the disk instead of one each. Raises
// EFCreateError naming fileName.
void SyncFileSystemOf(const QString& fileName);
