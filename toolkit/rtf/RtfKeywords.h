#pragma once
// The RTF control words the reader acts on; all others are ignored. And
// the hex digits of \'hh and of picture data.
#include <QByteArrayView>

namespace Rtf {

enum class Keyword {
    Unknown,
    // text
    Par,
    Line,
    Tab,
    Cell,
    Row,
    RowDefault,
    CellEdge,
    InTable,
    EmDash,
    EnDash,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    EmSpace,
    EnSpace,
    Unicode,
    UnicodeSkip,
    Binary,
    FootnoteMark,
    // the ANSI and Unicode alternatives of \upr
    UnicodePair,
    UnicodeAlternative,
    // character formatting, from Plain to Font
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    StrikeOut,
    FontSize,
    Color,
    Superscript,
    Subscript,
    NoSuperSub,
    Highlight,
    Background,
    Font,
    // paragraph formatting, from ParagraphDefault to LineMultiple
    ParagraphDefault,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    // document and tables
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    FontTable,
    FontCharset,
    FontCodePage,
    ColorTable,
    Red,
    Green,
    Blue,
    FieldInstruction,
    Picture,
    ShapePicture,
    PngPicture,
    JpegPicture,
    PictureWidthGoal,
    PictureHeightGoal,
    PictureScaleX,
    PictureScaleY,
    // destinations whose content is not text
    SkippedDestination,
};

Keyword keywordOf(QByteArrayView word);

// Whether the word changes what a group restores when it closes: character
// and paragraph formats, the \\uc count and the destination.
bool changesGroupState(Keyword keyword);

// The value of a hex digit, -1 for any other character.
int hexDigitValue(char c);

}
