#pragma once
// Paragraph formats in RTF terms (twips) and in the document's block formats
// (pixels at 96 per inch, as the writer counts font sizes).
#include <QByteArray>
#include <QTextBlockFormat>

namespace Rtf {

struct Paragraph {
    enum Alignment { Left, Centre, Right, Justify };
    Alignment alignment = Left;
    int leftIndent = 0, rightIndent = 0, firstIndent = 0; // twips
    int spaceBefore = 0, spaceAfter = 0;                  // twips
    int lineSpacing = 0;                                  // \sl: 0 single, > 0 at least, < 0 exactly
    bool lineMultiple = false;                            // \slmult1: lineSpacing is 240ths of a single line
    bool operator==(const Paragraph&) const = default;
};

// Twips as a paragraph measure: huge values are clamped, not wrapped.
int paragraphTwips(int param);

QTextBlockFormat blockFormatOf(const Paragraph& paragraph);

// The control words that set format after \pard; empty for the default paragraph.
QByteArray paragraphWords(const QTextBlockFormat& format);

}
