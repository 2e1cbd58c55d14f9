#pragma once
// The RTF control words the reader acts on; all others are ignored.
#include <QByteArrayView>

namespace Rtf {

enum class Keyword {
    Unknown,
    // text
    Par, Line, Tab, Cell, Row, EmDash, EnDash, Bullet, LeftQuote, RightQuote,
    LeftDoubleQuote, RightDoubleQuote, EmSpace, EnSpace, Unicode, UnicodeSkip, Binary,
    // character formatting
    Plain, Bold, Italic, Underline, UnderlineNone, StrikeOut, FontSize, Color, Font,
    // document and tables
    Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, FontTable, FontCharset, FontCodePage,
    ColorTable, Red, Green, Blue,
    // destinations whose content is not text
    SkippedDestination,
};

Keyword keywordOf(QByteArrayView word);

}
