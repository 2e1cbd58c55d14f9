#include "RtfReader.h"

#include "RtfCodePage.h"
#include "RtfKeptGroup.h"
#include "RtfKeywords.h"
#include "RtfLink.h"
#include "RtfParagraph.h"
#include "RtfPicture.h"
#include "RtfTable.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <optional>
#include <vector>

namespace Rtf {

namespace {

// Deeper groups than this share their parent's state, so hostile nesting
// costs neither stack nor memory; words that would change that shared state
// are ignored there, so nothing set in a deep group outlives it.
constexpr int MaxGroupDepth = 512;
constexpr int MaxUnicodeSkip = 16;
constexpr qsizetype MaxFieldInstruction = 8192;

struct CharState {
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    int color = -1;      // index into the colour table; -1 is automatic
    int background = -1; // likewise; -1 is none
    bool bold = false, italic = false, underline = false, strikeOut = false;
    QTextCharFormat::VerticalAlignment position = QTextCharFormat::AlignNormal;
    QString link; // the target of the hyperlink field the text is the result of
    bool operator==(const CharState&) const = default;
};

size_t qHash(const CharState& s, size_t seed = 0)
{
    return qHashMulti(seed, s.font, s.halfPoints, s.color, s.background, s.bold, s.italic, s.underline, s.strikeOut,
                      int(s.position), s.link);
}

enum class Destination { Text, FontTable, ColorTable, FieldInstruction, Picture, Skipped };

struct GroupState {
    CharState chars;
    Paragraph paragraph;
    int unicodeSkip = 1;
    bool inTable = false; // \intbl: the paragraph belongs to a table's cell
    Destination destination = Destination::Text;
};

struct FontEntry {
    QString name;
    int codePage = 0; // 0: the document's code page
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Bytes that go into the text as they are.
bool isPlainText(char c)
{
    return uchar(c) >= 0x20 && uchar(c) < 0x80 && c != '\\' && c != '{' && c != '}';
}

class Reader {
public:
    Reader(const QByteArray& data, QTextDocument& document)
        : p(data.constData()), end(data.constData() + data.size()), doc(document), cursor(&document)
    {
    }

    void run()
    {
        cursor.beginEditBlock();
        ++p; // the opening brace of "{\rtf"
        groups.push_back(state);
        while (p < end && parseToken()) {
        }
        decodePendingBytes();
        setParagraphFormat(groups.empty() ? lastParagraph : state.paragraph);
        flushRun();
        dropFinalParagraphMark();
        cursor.endEditBlock();
    }

private:
    // One token; false once the outermost group has closed.
    bool parseToken()
    {
        const char c = *p++;
        if (c == '{' || c == '}') {
            skipCount = 0;
            decodePendingBytes();
            if (c == '{') {
                groupOpening = p - 1;
                pushGroup();
                return true;
            }
            return popGroup();
        }
        if (c == '\\') {
            parseControl();
        } else if (c == '\r' || c == '\n') {
            // Line ends are not content, not even the fallback of a \uN.
        } else if (skipCount > 0) {
            --skipCount;
        } else if (uchar(c) >= 0x80) {
            addByte(c);
        } else if (c == '\t') {
            addText(u"\t");
        } else if (isPlainText(c)) {
            const char* start = p - 1;
            while (p < end && isPlainText(*p))
                ++p;
            addText(QLatin1StringView(start, p - start));
        }
        return true;
    }

    void pushGroup()
    {
        if (groups.size() >= MaxGroupDepth) {
            ++overflowDepth;
            return;
        }
        groups.push_back(state);
    }

    bool popGroup()
    {
        if (overflowDepth > 0) {
            --overflowDepth;
            return true;
        }
        if (state.destination == Destination::FontTable)
            commitFont();
        if (groups.empty())
            return false;
        if (groups.size() == 1)
            lastParagraph = state.paragraph; // the last paragraph may lack its \par
        const bool endsInstruction = state.destination == Destination::FieldInstruction;
        const bool endsPicture = state.destination == Destination::Picture;
        state = groups.back();
        groups.pop_back();
        if (endsPicture && state.destination != Destination::Picture)
            insertPicture();
        // The field's result, the group that follows, shows the link.
        if (endsInstruction && state.destination != Destination::FieldInstruction) {
            state.chars.link = linkTargetOf(fieldInstruction);
            fieldInstruction.clear();
        }
        return !groups.empty();
    }

    void parseControl()
    {
        if (p >= end)
            return;
        if (!isLetter(*p)) {
            parseSymbol(*p++);
            return;
        }
        const char* start = p;
        while (p < end && isLetter(*p))
            ++p;
        const QByteArrayView word(start, p - start);
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (p + 1 < end && *p == '-' && isDigit(p[1])) {
            negative = true;
            ++p;
        }
        for (; p < end && isDigit(*p); ++p) {
            hasParam = true;
            value = std::min<qint64>(value * 10 + (*p - '0'), 1'000'000'000);
        }
        if (p < end && *p == ' ')
            ++p;
        if (skipCount > 0) {
            --skipCount;
            return;
        }
        const int param = int(negative ? -value : value);
        const Keyword keyword = keywordOf(word);
        if (overflowDepth > 0 && changesGroupState(keyword))
            return;
        decodePendingBytes();
        applyKeyword(keyword, hasParam, param);
    }

    void parseSymbol(char c)
    {
        if (c == '\'') {
            int byte = 0;
            for (int i = 0; i < 2 && p < end && hexDigitValue(*p) >= 0; ++i)
                byte = byte * 16 + hexDigitValue(*p++);
            if (skipCount > 0)
                --skipCount;
            else
                addByte(char(byte));
            return;
        }
        if (skipCount > 0) {
            --skipCount;
            return;
        }
        decodePendingBytes();
        switch (c) {
        case '\\':
        case '{':
        case '}': addText(QString(QLatin1Char(c))); break;
        case '~': addText(u"\u00A0"); break;
        case '_': addText(u"\u2011"); break;
        case '-': addText(u"\u00AD"); break;
        case '\r':
        case '\n': endParagraph(); break;
        case '*': readOptionalDestination(); break;
        default: break; // formula and index marks
        }
    }

    // A {\*\...} group is read when it is known, else skipped; unknown ones
    // in the text are kept to be written back.
    void readOptionalDestination()
    {
        if (groups.size() <= 1)
            return;
        const Keyword keyword = keywordOf(nextWord());
        if (readsOptionalDestination(keyword))
            return;
        const bool keeps = keyword == Keyword::Unknown && state.destination == Destination::Text;
        const char* opening = groupOpening;
        skipGroup();
        if (keeps && p[-1] == '}') {
            placeText(state.inTable);
            flushRun();
            keepGroup(doc, cursor, QByteArrayView(opening, p - opening));
        }
    }

    void applyKeyword(Keyword keyword, bool hasParam, int param)
    {
        CharState& chars = state.chars;
        Paragraph& paragraph = state.paragraph;
        const bool on = !hasParam || param != 0;
        switch (keyword) {
        case Keyword::Par: endParagraph(); break;
        case Keyword::Row: endRow(); break;
        case Keyword::Cell: endCell(); break;
        case Keyword::RowDefault: tables.defineRow(); break;
        case Keyword::CellEdge: tables.addCellEdge(param); break;
        case Keyword::InTable: state.inTable = true; break;
        case Keyword::Line: addText(u"\u2028"); break;
        case Keyword::Tab: addText(u"\t"); break;
        case Keyword::EmDash: addText(u"\u2014"); break;
        case Keyword::EnDash: addText(u"\u2013"); break;
        case Keyword::Bullet: addText(u"\u2022"); break;
        case Keyword::LeftQuote: addText(u"\u2018"); break;
        case Keyword::RightQuote: addText(u"\u2019"); break;
        case Keyword::LeftDoubleQuote: addText(u"\u201C"); break;
        case Keyword::RightDoubleQuote: addText(u"\u201D"); break;
        case Keyword::EmSpace: addText(u"\u2003"); break;
        case Keyword::EnSpace: addText(u"\u2002"); break;
        case Keyword::Unicode: addUnicode(param); break;
        case Keyword::UnicodeSkip: state.unicodeSkip = std::clamp(param, 0, MaxUnicodeSkip); break;
        case Keyword::Binary: skipBinary(param); break;
        case Keyword::FootnoteMark: addFootnoteMark(); break;
        case Keyword::UnicodePair: enterTable(Destination::Skipped); break;
        case Keyword::UnicodeAlternative:
            if (state.destination == Destination::Skipped)
                state.destination = Destination::Text;
            break;
        case Keyword::Plain: chars = CharState(); break;
        case Keyword::Bold: chars.bold = on; break;
        case Keyword::Italic: chars.italic = on; break;
        case Keyword::Underline: chars.underline = on; break;
        case Keyword::UnderlineNone: chars.underline = false; break;
        case Keyword::StrikeOut: chars.strikeOut = on; break;
        case Keyword::FontSize: chars.halfPoints = param > 0 ? std::min(param, 3276) : 24; break;
        case Keyword::Color: chars.color = param; break;
        case Keyword::Highlight:
        case Keyword::Background: chars.background = param > 0 ? param : -1; break;
        case Keyword::Superscript: chars.position = QTextCharFormat::AlignSuperScript; break;
        case Keyword::Subscript: chars.position = QTextCharFormat::AlignSubScript; break;
        case Keyword::NoSuperSub: chars.position = QTextCharFormat::AlignNormal; break;
        case Keyword::Font: selectFont(param); break;
        case Keyword::ParagraphDefault:
            paragraph = Paragraph();
            state.inTable = false;
            break;
        case Keyword::AlignLeft: paragraph.alignment = Paragraph::Left; break;
        case Keyword::AlignCentre: paragraph.alignment = Paragraph::Centre; break;
        case Keyword::AlignRight: paragraph.alignment = Paragraph::Right; break;
        case Keyword::AlignJustify: paragraph.alignment = Paragraph::Justify; break;
        case Keyword::LeftIndent: paragraph.leftIndent = paragraphTwips(param); break;
        case Keyword::RightIndent: paragraph.rightIndent = paragraphTwips(param); break;
        case Keyword::FirstIndent: paragraph.firstIndent = paragraphTwips(param); break;
        case Keyword::SpaceBefore: paragraph.spaceBefore = paragraphTwips(param); break;
        case Keyword::SpaceAfter: paragraph.spaceAfter = paragraphTwips(param); break;
        case Keyword::LineSpacing: paragraph.lineSpacing = paragraphTwips(param); break;
        case Keyword::LineMultiple: paragraph.lineMultiple = on; break;
        case Keyword::Ansi: codePage = 1252; break;
        case Keyword::Mac: codePage = 10000; break;
        case Keyword::Pc: codePage = 437; break;
        case Keyword::Pca: codePage = 850; break;
        case Keyword::AnsiCodePage:
            if (param > 0)
                codePage = param;
            break;
        case Keyword::DefaultFont: defaultFont = param; break;
        case Keyword::FontTable: enterTable(Destination::FontTable); break;
        case Keyword::FontCharset: pendingFont.codePage = codePageOfCharset(param); break;
        case Keyword::FontCodePage:
            if (param > 0)
                pendingFont.codePage = param;
            break;
        case Keyword::ColorTable: enterTable(Destination::ColorTable); break;
        case Keyword::FieldInstruction: enterTable(Destination::FieldInstruction); break;
        case Keyword::Picture: enterPicture(); break;
        case Keyword::ShapePicture: break;
        case Keyword::PngPicture: picture.setKind(PictureKind::Png); break;
        case Keyword::JpegPicture: picture.setKind(PictureKind::Jpeg); break;
        case Keyword::PictureWidthGoal: picture.setGoalWidth(param); break;
        case Keyword::PictureHeightGoal: picture.setGoalHeight(param); break;
        case Keyword::PictureScaleX: picture.setScaleX(param); break;
        case Keyword::PictureScaleY: picture.setScaleY(param); break;
        case Keyword::Red:
            red = std::clamp(param, 0, 255);
            colorGiven = true;
            break;
        case Keyword::Green:
            green = std::clamp(param, 0, 255);
            colorGiven = true;
            break;
        case Keyword::Blue:
            blue = std::clamp(param, 0, 255);
            colorGiven = true;
            break;
        case Keyword::SkippedDestination:
            if (groups.size() > 1)
                skipGroup();
            break;
        case Keyword::Unknown: break;
        }
    }

    // \binN carries N raw bytes, a picture's data or skipped.
    void skipBinary(int count)
    {
        const qint64 length = std::min<qint64>(std::max(count, 0), end - p);
        if (state.destination == Destination::Picture)
            picture.addBinary(QByteArrayView(p, length));
        p += length;
    }

    void enterPicture()
    {
        if (groups.size() <= 1 || state.destination != Destination::Text)
            return;
        state.destination = Destination::Picture;
        picture = PictureReader();
        pictureOpening = groupOpening;
    }

    void insertPicture()
    {
        if (state.destination != Destination::Text)
            return;
        flushRun();
        picture.insert(cursor, QByteArrayView(pictureOpening, p - pictureOpening));
    }

    void enterTable(Destination table)
    {
        // A table word outside a group of its own would swallow the document.
        if (groups.size() > 1)
            state.destination = table;
    }

    // The control word after p, not consumed; empty when none follows.
    QByteArrayView nextWord() const
    {
        if (end - p < 2 || *p != '\\')
            return {};
        const char* word = p + 1;
        const char* wordEnd = word;
        while (wordEnd < end && isLetter(*wordEnd))
            ++wordEnd;
        return QByteArrayView(word, wordEnd - word);
    }

    // "{\*\ud" holds the Unicode alternative of an \upr group and
    // "{\*\fldinst" a field's instruction and "{\*\shppict" a picture: read,
    // not skipped.
    static bool readsOptionalDestination(Keyword keyword)
    {
        return keyword == Keyword::UnicodeAlternative || keyword == Keyword::FieldInstruction
            || keyword == Keyword::ShapePicture;
    }

    // A cell outside a table (no \intbl) ends with a tab, as text.
    void endCell()
    {
        if (state.destination != Destination::Text)
            return;
        if (!state.inTable) {
            addText(u"\t");
            return;
        }
        placeText(true);
        tables.endCell();
    }

    void endRow()
    {
        if (state.destination != Destination::Text)
            return;
        if (!state.inTable) {
            endParagraph();
            return;
        }
        flushRun();
        tables.endRow();
    }

    // Moves the cursor into the cell, or out of the table, text goes to.
    void placeText(bool inTable)
    {
        if (tables.isPlaced(inTable))
            return;
        decodePendingBytes();
        flushRun();
        tables.place(cursor, inTable);
        blockParagraph.reset(); // the block the cursor moved to has a format of its own
    }

    // Paragraph formats hold for the paragraph their \par ends.
    void endParagraph()
    {
        if (state.destination != Destination::Text)
            return;
        placeText(state.inTable);
        setParagraphFormat(state.paragraph);
        addText(u"\n");
    }

    // The block the cursor is in takes paragraph's format; the blocks that
    // follow inherit it until the format changes.
    void setParagraphFormat(const Paragraph& paragraph)
    {
        if (paragraph == blockParagraph)
            return;
        decodePendingBytes();
        flushRun();
        cursor.setBlockFormat(blockFormatOf(paragraph));
        blockParagraph = paragraph;
    }

    void addFootnoteMark()
    {
        if (state.destination == Destination::Text)
            addText(QString::number(++footnotes));
    }

    void selectFont(int index)
    {
        if (state.destination == Destination::FontTable) {
            commitFont();
            pendingFontIndex = index;
        } else {
            state.chars.font = index;
        }
    }

    void commitFont()
    {
        if (pendingFontIndex >= 0 && !fonts.contains(pendingFontIndex)) {
            pendingFont.name = pendingFont.name.trimmed();
            fonts.insert(pendingFontIndex, pendingFont);
        }
        pendingFontIndex = -1;
        pendingFont = FontEntry();
    }

    // Consumes the rest of the current group, its closing brace included.
    void skipGroup()
    {
        int depth = 1;
        while (p < end && depth > 0) {
            const char c = *p++;
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                --depth;
            } else if (c == '\\' && p < end) {
                skipControlInSkippedGroup();
            }
        }
        if (depth > 0)
            return;
        if (overflowDepth > 0) {
            --overflowDepth;
            return;
        }
        state = groups.back();
        groups.pop_back();
    }

    // Steps over one control word or symbol; \binN carries N raw bytes.
    void skipControlInSkippedGroup()
    {
        if (!isLetter(*p)) {
            ++p;
            return;
        }
        const char* start = p;
        while (p < end && isLetter(*p))
            ++p;
        const bool binary = QByteArrayView(start, p - start) == "bin";
        qint64 value = 0;
        for (; p < end && isDigit(*p); ++p)
            value = std::min<qint64>(value * 10 + (*p - '0'), end - p);
        if (binary)
            p += std::min<qint64>(value + (p < end && *p == ' ' ? 1 : 0), end - p);
    }

    void addUnicode(int value)
    {
        if (value < 0)
            value += 65536;
        char16_t unit = (value >= 0 && value <= 0xFFFF) ? char16_t(value) : char16_t(0xFFFD);
        // Word gives Symbol font characters as U+F020..U+F0FF.
        if (unit >= 0xF020 && unit <= 0xF0FF && currentCodePage() == SymbolCodePage)
            unit = symbolCharacter(uchar(unit));
        if (unit >= 0x20 || unit == '\t')
            addText(QStringView(&unit, 1));
        skipCount = state.unicodeSkip;
    }

    void addByte(char byte)
    {
        if (uchar(byte) < 0x20) { // control codes are not text, bar the tab
            if (byte == '\t')
                addText(u"\t");
            return;
        }
        const int page = currentCodePage();
        if (!pendingBytes.isEmpty() && page != pendingPage)
            decodePendingBytes();
        pendingPage = page;
        pendingBytes += byte;
    }

    int currentCodePage() const
    {
        if (state.destination == Destination::FontTable)
            return pendingFont.codePage ? pendingFont.codePage : codePage;
        return codePageOfFont(state.chars.font);
    }

    int codePageOfFont(int index) const
    {
        const auto font = fonts.constFind(index >= 0 ? index : defaultFont);
        return (font != fonts.cend() && font->codePage) ? font->codePage : codePage;
    }

    void decodePendingBytes()
    {
        if (pendingBytes.isEmpty())
            return;
        if (decoder.codePage() != pendingPage)
            decoder = CodePageDecoder(pendingPage);
        QString text;
        decoder.decode(pendingBytes, text);
        pendingBytes.clear();
        addText(text);
    }

    // Plain ASCII goes straight into the run, without a temporary string.
    void addText(QLatin1StringView text)
    {
        decodePendingBytes();
        if (state.destination == Destination::Picture) {
            picture.addHex(text);
            return;
        }
        if (state.destination == Destination::Text && state.chars == runChars && tables.isPlaced(state.inTable)
            && !runInSymbolFont)
            runText += text;
        else if (state.destination == Destination::Text && codePageOfFont(state.chars.font) == SymbolCodePage)
            addSymbolText(text);
        else
            addText(QString(text));
    }

    void addText(QStringView text)
    {
        decodePendingBytes();
        switch (state.destination) {
        case Destination::Text:
            if (!(state.chars == runChars)) {
                flushRun();
                runChars = state.chars;
                runInSymbolFont = codePageOfFont(runChars.font) == SymbolCodePage;
            }
            placeText(state.inTable);
            runText += text;
            break;
        case Destination::FontTable: addFontNameText(text); break;
        case Destination::ColorTable:
            for (qsizetype n = text.count(u';'); n > 0; --n)
                commitColor();
            break;
        case Destination::FieldInstruction:
            if (fieldInstruction.size() < MaxFieldInstruction)
                fieldInstruction += text.left(MaxFieldInstruction - fieldInstruction.size());
            break;
        case Destination::Picture:
        case Destination::Skipped: break;
        }
    }

    // Letters in the Symbol font draw Greek and signs.
    void addSymbolText(QLatin1StringView text)
    {
        QString mapped(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            mapped[i] = QChar(symbolCharacter(uchar(text[i].unicode())));
        addText(mapped);
    }

    void addFontNameText(QStringView text)
    {
        for (QChar c : text) {
            if (c == u';')
                commitFont();
            else if (c >= u' ' && pendingFontIndex >= 0)
                pendingFont.name += c;
        }
    }

    void commitColor()
    {
        colors.append(colorGiven ? QColor(red, green, blue) : QColor());
        red = green = blue = 0;
        colorGiven = false;
    }

    void flushRun()
    {
        if (runText.isEmpty())
            return;
        cursor.insertText(runText, formatOf(runChars));
        runText.resize(0);
    }

    QTextCharFormat formatOf(const CharState& chars)
    {
        auto cached = formats.constFind(chars);
        if (cached != formats.cend())
            return *cached;
        QTextCharFormat format;
        const auto font = fonts.constFind(chars.font >= 0 ? chars.font : defaultFont);
        if (font != fonts.cend() && !font->name.isEmpty())
            format.setFontFamilies({font->name});
        format.setFontPointSize(chars.halfPoints / 2.0);
        if (chars.color >= 0 && chars.color < colors.size() && colors[chars.color].isValid())
            format.setForeground(colors[chars.color]);
        format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(chars.italic);
        format.setFontUnderline(chars.underline);
        format.setFontStrikeOut(chars.strikeOut);
        format.setVerticalAlignment(chars.position);
        if (chars.background >= 0 && chars.background < colors.size() && colors[chars.background].isValid())
            format.setBackground(colors[chars.background]);
        if (!chars.link.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(chars.link);
        }
        formats.insert(chars, format);
        return format;
    }

    // Word processors end every paragraph with \par, the last one included.
    // The block after a table stays: it holds the table's end.
    void dropFinalParagraphMark()
    {
        if (doc.blockCount() > 1 && doc.lastBlock().length() == 1
            && QTextCursor(doc.lastBlock().previous()).currentTable() == nullptr) {
            cursor.movePosition(QTextCursor::End);
            cursor.deletePreviousChar();
        }
    }

    const char* p;
    const char* end;
    QTextDocument& doc;
    QTextCursor cursor;

    GroupState state;
    std::vector<GroupState> groups;
    int overflowDepth = 0;
    int skipCount = 0; // fallback characters still to skip after \uN
    TableBuilder tables;
    int footnotes = 0;
    const char* groupOpening = nullptr; // the brace of the group opened last
    const char* pictureOpening = nullptr;
    PictureReader picture;

    std::optional<Paragraph> blockParagraph = Paragraph(); // the format of the block the cursor is in
    Paragraph lastParagraph;                               // the format in force when the document closed

    QString runText;
    CharState runChars{.font = -2}; // no font: the first text starts a run
    bool runInSymbolFont = false;
    QHash<CharState, QTextCharFormat> formats;

    int codePage = 1252;
    int defaultFont = 0;
    QByteArray pendingBytes;
    int pendingPage = 1252;
    CodePageDecoder decoder;

    QHash<int, FontEntry> fonts;
    FontEntry pendingFont;
    int pendingFontIndex = -1;
    QList<QColor> colors;
    QString fieldInstruction;
    int red = 0, green = 0, blue = 0;
    bool colorGiven = false;
};

} // namespace

bool isRtf(const QByteArray& data)
{
    return data.startsWith("{\\rtf");
}

bool read(const QByteArray& data, QTextDocument& document)
{
    if (!isRtf(data))
        return false;
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    forgetDocumentGroups(document);
    Reader(data, document).run();
    document.setUndoRedoEnabled(undo);
    return true;
}

}
