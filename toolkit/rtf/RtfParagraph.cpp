#include "RtfParagraph.h"

#include <algorithm>

namespace Rtf {

namespace {

constexpr int TwipsPerPixel = 15;   // 1440 per inch over 96
constexpr int MaxTwips = 22 * 1440; // wider than any page
constexpr int SingleLine = 240;     // \slmult1 unit: 240 is one line

qreal pixels(int twips)
{
    return twips / qreal(TwipsPerPixel);
}
int twips(qreal pixels)
{
    return qRound(pixels * TwipsPerPixel);
}

void appendWord(QByteArray& out, const char* word, int value)
{
    if (value != 0) {
        out += word;
        out += QByteArray::number(value);
    }
}

} // namespace

int paragraphTwips(int param)
{
    return std::clamp(param, -MaxTwips, MaxTwips);
}

QTextBlockFormat blockFormatOf(const Paragraph& p)
{
    QTextBlockFormat format;
    switch (p.alignment) {
    case Paragraph::Left: break;
    case Paragraph::Centre: format.setAlignment(Qt::AlignHCenter); break;
    case Paragraph::Right: format.setAlignment(Qt::AlignRight); break;
    case Paragraph::Justify: format.setAlignment(Qt::AlignJustify); break;
    }
    if (p.leftIndent)
        format.setLeftMargin(pixels(p.leftIndent));
    if (p.rightIndent)
        format.setRightMargin(pixels(p.rightIndent));
    if (p.firstIndent)
        format.setTextIndent(pixels(p.firstIndent));
    if (p.spaceBefore)
        format.setTopMargin(pixels(p.spaceBefore));
    if (p.spaceAfter)
        format.setBottomMargin(pixels(p.spaceAfter));
    if (p.lineSpacing > 0 && p.lineMultiple && p.lineSpacing != SingleLine)
        format.setLineHeight(p.lineSpacing * 100.0 / SingleLine, QTextBlockFormat::ProportionalHeight);
    else if (p.lineSpacing < 0)
        format.setLineHeight(pixels(-p.lineSpacing), QTextBlockFormat::FixedHeight);
    else if (p.lineSpacing > 0 && !p.lineMultiple)
        format.setLineHeight(pixels(p.lineSpacing), QTextBlockFormat::MinimumHeight);
    return format;
}

QByteArray paragraphWords(const QTextBlockFormat& format)
{
    QByteArray out;
    switch (format.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute) {
    case Qt::AlignHCenter: out += "\\qc"; break;
    case Qt::AlignRight: out += "\\qr"; break;
    case Qt::AlignJustify: out += "\\qj"; break;
    default: break;
    }
    appendWord(out, "\\li", twips(format.leftMargin()));
    appendWord(out, "\\ri", twips(format.rightMargin()));
    appendWord(out, "\\fi", twips(format.textIndent()));
    appendWord(out, "\\sb", twips(format.topMargin()));
    appendWord(out, "\\sa", twips(format.bottomMargin()));
    const qreal height = format.lineHeight();
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (qRound(height * SingleLine / 100) != SingleLine)
            out += "\\sl" + QByteArray::number(qRound(height * SingleLine / 100)) + "\\slmult1";
        break;
    case QTextBlockFormat::FixedHeight: appendWord(out, "\\sl", -twips(height)); break;
    case QTextBlockFormat::MinimumHeight: appendWord(out, "\\sl", twips(height)); break;
    default: break; // single and added-distance spacing have no \sl of their own
    }
    return out;
}

}
