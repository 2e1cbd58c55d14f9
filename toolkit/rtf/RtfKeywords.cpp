#include "RtfKeywords.h"

#include <string_view>
#include <unordered_map>

namespace Rtf {

namespace {

using Table = std::unordered_map<std::string_view, Keyword>;

Table makeTable()
{
    Table t = {
        {"par", Keyword::Par},
        {"sect", Keyword::Par},
        {"page", Keyword::Par},
        {"row", Keyword::Row},
        {"cell", Keyword::Cell},
        {"trowd", Keyword::RowDefault},
        {"cellx", Keyword::CellEdge},
        {"intbl", Keyword::InTable},
        // A table nested in a cell reads as lines of tab-separated text there.
        {"nestrow", Keyword::Line},
        {"nestcell", Keyword::Tab},
        {"line", Keyword::Line},
        {"tab", Keyword::Tab},
        {"emdash", Keyword::EmDash},
        {"endash", Keyword::EnDash},
        {"bullet", Keyword::Bullet},
        {"lquote", Keyword::LeftQuote},
        {"rquote", Keyword::RightQuote},
        {"ldblquote", Keyword::LeftDoubleQuote},
        {"rdblquote", Keyword::RightDoubleQuote},
        {"emspace", Keyword::EmSpace},
        {"enspace", Keyword::EnSpace},
        {"u", Keyword::Unicode},
        {"uc", Keyword::UnicodeSkip},
        {"bin", Keyword::Binary},
        {"chftn", Keyword::FootnoteMark},
        {"upr", Keyword::UnicodePair},
        {"ud", Keyword::UnicodeAlternative},
        {"plain", Keyword::Plain},
        {"b", Keyword::Bold},
        {"i", Keyword::Italic},
        {"ulnone", Keyword::UnderlineNone},
        {"strike", Keyword::StrikeOut},
        {"striked", Keyword::StrikeOut},
        {"fs", Keyword::FontSize},
        {"cf", Keyword::Color},
        {"super", Keyword::Superscript},
        {"sub", Keyword::Subscript},
        {"nosupersub", Keyword::NoSuperSub},
        {"highlight", Keyword::Highlight},
        {"cb", Keyword::Background},
        {"chcbpat", Keyword::Background},
        {"f", Keyword::Font},
        {"pard", Keyword::ParagraphDefault},
        {"ql", Keyword::AlignLeft},
        {"qc", Keyword::AlignCentre},
        {"qr", Keyword::AlignRight},
        {"qj", Keyword::AlignJustify},
        {"li", Keyword::LeftIndent},
        {"ri", Keyword::RightIndent},
        {"fi", Keyword::FirstIndent},
        {"sb", Keyword::SpaceBefore},
        {"sa", Keyword::SpaceAfter},
        {"sl", Keyword::LineSpacing},
        {"slmult", Keyword::LineMultiple},
        {"ansi", Keyword::Ansi},
        {"mac", Keyword::Mac},
        {"pc", Keyword::Pc},
        {"pca", Keyword::Pca},
        {"ansicpg", Keyword::AnsiCodePage},
        {"deff", Keyword::DefaultFont},
        {"fonttbl", Keyword::FontTable},
        {"fcharset", Keyword::FontCharset},
        {"cpg", Keyword::FontCodePage},
        {"colortbl", Keyword::ColorTable},
        {"red", Keyword::Red},
        {"green", Keyword::Green},
        {"blue", Keyword::Blue},
        {"fldinst", Keyword::FieldInstruction},
        {"pict", Keyword::Picture},
        {"shppict", Keyword::ShapePicture},
        {"pngblip", Keyword::PngPicture},
        {"jpegblip", Keyword::JpegPicture},
        {"picwgoal", Keyword::PictureWidthGoal},
        {"pichgoal", Keyword::PictureHeightGoal},
        {"picscalex", Keyword::PictureScaleX},
        {"picscaley", Keyword::PictureScaleY},
    };
    // Every underline kind reads as underline.
    for (std::string_view w :
         {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd", "ulthdash",
          "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"})
        t.emplace(w, Keyword::Underline);
    for (std::string_view w : {"info",
                               "stylesheet",
                               "header",
                               "headerl",
                               "headerr",
                               "headerf",
                               "footer",
                               "footerl",
                               "footerr",
                               "footerf",
                               "footnote",
                               "themedata",
                               "colorschememapping",
                               "latentstyles",
                               "datastore",
                               "objdata",
                               "objclass",
                               "nonshppict",
                               "pntxta",
                               "pntxtb",
                               "xe",
                               "tc",
                               "txe",
                               "rxe",
                               "annotation",
                               "atnid",
                               "atnauthor",
                               "listtable",
                               "listoverridetable",
                               "revtbl",
                               "rsidtbl",
                               "filetbl",
                               "template",
                               "ftnsep",
                               "ftnsepc",
                               "ftncn",
                               "aftnsep",
                               "aftnsepc",
                               "aftncn",
                               "private",
                               "userprops",
                               "docvar",
                               "xmlnstbl",
                               "generator"})
        t.emplace(w, Keyword::SkippedDestination);
    return t;
}

} // namespace

Keyword keywordOf(QByteArrayView word)
{
    static const Table table = makeTable();
    const auto it = table.find(std::string_view(word.data(), size_t(word.size())));
    return it == table.end() ? Keyword::Unknown : it->second;
}

bool changesGroupState(Keyword keyword)
{
    const auto within = [keyword](Keyword first, Keyword last) { return keyword >= first && keyword <= last; };
    return within(Keyword::Plain, Keyword::Font) || within(Keyword::ParagraphDefault, Keyword::LineMultiple)
        || within(Keyword::UnicodePair, Keyword::UnicodeAlternative) || keyword == Keyword::UnicodeSkip
        || keyword == Keyword::FontTable || keyword == Keyword::ColorTable || keyword == Keyword::FieldInstruction
        || keyword == Keyword::Picture || keyword == Keyword::InTable;
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}
