#pragma once
// File access and the plain-text format of TRichEdit: UTF-8 with "\n" line
// ends, every line ended; reading also takes UTF-16 with a byte-order mark
// and, when the bytes are not UTF-8, Windows-1252.
#include <QByteArray>
#include <QString>
#include <optional>

class QTextDocument;

namespace RichEditFiles {

// The whole file; EFOpenError when it cannot be opened, Exception("Failed to
// Load Stream") when it cannot be read.
QByteArray read(const QString& fileName);
// Replaces the file; EFCreateError when that fails. The old content stays
// intact until the new one is complete.
void write(const QString& fileName, const QByteArray& content);

// The text of bytes; nothing when they are not text (they hold NUL bytes
// outside a UTF-16 file). One final line end is the end of the last line.
std::optional<QString> decodeText(const QByteArray& bytes);
QByteArray encodeText(const QTextDocument& document);

// The document's text with "\n" between lines, as it is saved in plain mode.
QString plainText(const QTextDocument& document);

}
