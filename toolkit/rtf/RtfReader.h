#pragma once
// Reads RTF as word processors write it into a QTextDocument: text, paragraphs
// with their alignment, indents and spacing, tabs, line breaks and the
// character formats the editor has (font name, size, colour, highlight,
// bold, italic, underline, strike-out, superscript and subscript); hyperlink
// fields as links; pictures as images (PNG and JPEG shown, other kinds kept
// to be written back); tables as tables, a table nested in a cell as lines
// of tab-separated text there. List labels and footnote numbers are text.
// Unknown {\*\...} destinations are kept to be written back (RtfKeptGroup.h).
// Everything else (style sheets, headers, footnote texts) is skipped.
// Malformed input loads as far as it can be read.
#include <QByteArray>

class QTextDocument;

namespace Rtf {

// Whether data is RTF at all: it must start with "{\rtf".
bool isRtf(const QByteArray& data);

// Replaces the content of document with the text of data. Returns false,
// leaving the document untouched, when data is not RTF.
bool read(const QByteArray& data, QTextDocument& document);

}
