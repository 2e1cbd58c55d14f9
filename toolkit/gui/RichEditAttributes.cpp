#include "RichEditAttributes.h"

#include "toolkit/rtf/RtfWriter.h"

#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

RichEditAttributes RichEditAttributes::of(const QTextCharFormat& format, const QFont& defaultFont)
{
    const QFont font = format.font().resolve(defaultFont);
    RichEditAttributes a;
    a.name = font.family();
    a.points = qRound(Rtf::pointSizeOf(font));
    const QBrush brush = format.foreground();
    a.color = brush.style() == Qt::NoBrush ? QColor(Qt::black) : brush.color();
    a.style = (font.bold() ? int(TFontStyle::Bold) : 0) | (font.italic() ? int(TFontStyle::Italic) : 0)
            | (font.underline() ? int(TFontStyle::Underline) : 0) | (font.strikeOut() ? int(TFontStyle::StrikeOut) : 0);
    return a;
}

namespace {

void compare(TConsistentAttributes& c, const RichEditAttributes& a, const RichEditAttributes& b)
{
    const auto same = [&](TFontStyle s) { return (a.style & int(s)) == (b.style & int(s)); };
    c.Name = c.Name && a.name == b.name;
    c.Size = c.Size && a.points == b.points;
    c.Color = c.Color && a.color == b.color;
    c.Bold = c.Bold && same(TFontStyle::Bold);
    c.Italic = c.Italic && same(TFontStyle::Italic);
    c.Underline = c.Underline && same(TFontStyle::Underline);
    c.StrikeOut = c.StrikeOut && same(TFontStyle::StrikeOut);
}

} // namespace

TConsistentAttributes richEditConsistency(const QTextCursor& cursor)
{
    TConsistentAttributes result;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const QTextDocument* doc = cursor.document();
    std::optional<RichEditAttributes> first;
    QSet<int> formatsSeen; // a long document has many runs but few formats
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= end)
                break;
            if (fragment.position() + fragment.length() <= start)
                continue;
            if (formatsSeen.contains(fragment.charFormatIndex()))
                continue;
            formatsSeen.insert(fragment.charFormatIndex());
            const auto attributes = RichEditAttributes::of(fragment.charFormat(), doc->defaultFont());
            if (first)
                compare(result, *first, attributes);
            else
                first = attributes;
        }
    }
    return result;
}
