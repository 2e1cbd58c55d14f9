#pragma once
// File access and the plain-text format of TRichEdit.
#include "RichEditEncoding.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class QTextDocument;

namespace RichEditFiles {

// The whole file; EFOpenError when it cannot be opened, Exception("Failed to
// Load Stream") when it cannot be read.
QByteArray read(const QString& fileName);
// Replaces the file's content as RichEditFileWriter::write() does;
// EFCreateError when that fails.
void write(const QString& fileName, const QByteArray& content);

// Whether the file's content starts as RTF; false when it cannot be read.
bool startsAsRtf(const QString& fileName);

// Each line's own end, kept by its block so that it moves with the line;
// lines typed later end as the file's first line does.
void setLineEnds(QTextDocument& document, const std::vector<TLineEnd>& lineEnds);

// The document's plain text in format, each line with its own end; nothing
// when the format's encoding cannot hold a character of it.
std::optional<QByteArray> encodeText(const QTextDocument& document, const TTextFileFormat& format);

// The document's text with "\n" between lines, as the editor reports it.
QString plainText(const QTextDocument& document);

}
