#pragma once
// Writes a QTextDocument as RTF: text, paragraphs with their alignment,
// indents and spacing, tabs, line breaks, tables, links, pictures, the
// unknown groups the reader kept, and per run the font name, size, colour,
// highlight, bold, italic, underline, strike-out, superscript and subscript.
#include <QByteArray>

class QFont;
class QTextDocument;

namespace Rtf {

QByteArray write(const QTextDocument& document);

// The size in points recorded for a resolved font; pixel sizes count at 96
// per inch, as on the screen.
qreal pointSizeOf(const QFont& font);

}
