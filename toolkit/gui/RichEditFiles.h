#pragma once
// File access and the plain-text format of TRichEdit.
#include "RichEditEncoding.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace RichEditFiles {

// The whole file; EFOpenError when it cannot be opened, Exception("Failed to
// Load Stream") when it cannot be read.
QByteArray read(const QString& fileName);
// Replaces the file; EFCreateError when that fails. The old content stays
// intact until the new one is complete.
void write(const QString& fileName, const QByteArray& content);

// Whether the file's content starts as RTF; false when it cannot be read.
bool startsAsRtf(const QString& fileName);

// The document's plain text in format; text the format's encoding cannot
// hold is written as UTF-8, so no character is lost.
QByteArray encodeText(const QTextDocument& document, TTextFileFormat format);

// The document's text with "\n" between lines, as it is saved in plain mode.
QString plainText(const QTextDocument& document);

}
