#pragma once
// Files made new: created exclusively, so saving never replaces a file that
// is already there and never follows a symbolic link planted in the directory.
#include <QByteArrayView>
#include <QString>
#include <functional>

// A file just created, empty and open for writing.
struct TNewFile {
    QString name;
    qint64 index = 0; // which candidate it is
    int handle = -1;
};

// Creates the first of candidate(0), candidate(1), ... that no file,
// directory or link holds yet. Raises EFCreateError naming the file for any
// failure but a name that is taken.
TNewFile CreateFirstFreeFile(const std::function<QString(qint64)>& candidate);

// Writes the bytes and closes the file; on failure removes it and raises
// EFCreateError naming it with the reason.
void WriteAndClose(const TNewFile& file, QByteArrayView bytes);

// As CreateFirstFreeFile, but the name made is one more link to the file
// existing (no handle): a name held without a new file for the file system
// to allocate and free again.
TNewFile LinkFirstFreeName(const QString& existing, const std::function<QString(qint64)>& candidate);
