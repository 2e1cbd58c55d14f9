#pragma once
// Replacing a file's content so that only the content changes: the file's
// permissions, owner, symbolic links to it and hard links to it stay, and
// the old content stays intact until the new one is complete.
#include <QByteArray>
#include <QString>

namespace RichEditFileWriter {

// Writes content to fileName, through a symbolic link to its target. A file
// with one name is replaced by a complete copy written beside it under a
// short temporary name, so every name the directory holds can be saved. A
// file with several names (hard links) is written in place, once the new
// content is safe in such a copy. EFCreateError when that fails.
void write(const QString& fileName, const QByteArray& content);

}
