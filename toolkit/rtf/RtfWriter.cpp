#include "RtfWriter.h"

#include "RtfKeptGroup.h"
#include "RtfLink.h"
#include "RtfParagraph.h"
#include "RtfPicture.h"
#include "RtfTable.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>

namespace Rtf {

namespace {

void appendEscaped(QByteArray& out, QStringView text)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == QChar::LineSeparator) {
            out += "\\line ";
        } else if (c == QChar::Nbsp) {
            out += "\\~";
        } else if (c >= 0x80 && c != QChar::ObjectReplacementCharacter) {
            // \uN takes a signed 16-bit N; surrogate pairs go out unit by unit.
            // The fallback is a hex escape: some readers drop a "?" with the character.
            out += "\\u";
            out += QByteArray::number(int(qint16(c)));
            out += "\\'3f";
        }
        // Other control characters have no RTF form and are dropped.
    }
}

// Tables span 6.5 inches, the text width of a letter or A4 page.
constexpr int TableWidth = 9360;

enum class Placement { Text, Cell };

class Writer {
public:
    explicit Writer(const QTextDocument& document) : doc(document)
    {
        fontIndex(doc.defaultFont().family()); // \deff0
    }

    QByteArray run()
    {
        body.reserve(doc.characterCount() + doc.characterCount() / 4);
        writeFrame(*doc.rootFrame());
        return header() + body + "}\n";
    }

private:
    void writeFrame(const QTextFrame& frame)
    {
        for (auto it = frame.begin(); !it.atEnd(); ++it) {
            if (const auto* table = qobject_cast<const QTextTable*>(it.currentFrame()))
                writeTable(*table);
            else if (it.currentFrame() != nullptr)
                writeFrame(*it.currentFrame());
            else
                writeBlock(it.currentBlock(), Placement::Text, "\\par\n");
        }
    }

    // Merged cells are written as their first cell and empty ones.
    void writeTable(const QTextTable& table)
    {
        for (int row = 0; row < table.rows(); ++row) {
            body += "\\trowd" + cellEdgesOf(table.columns(), TableWidth) + '\n';
            for (int column = 0; column < table.columns(); ++column) {
                const QTextTableCell cell = table.cellAt(row, column);
                if (cell.row() != row || cell.column() != column) {
                    writeEmptyCell();
                    continue;
                }
                const int end = cell.lastPosition();
                for (QTextBlock block = cell.firstCursorPosition().block(); block.isValid(); block = block.next()) {
                    const bool last = block.position() + block.length() > end;
                    writeBlock(block, Placement::Cell, last ? "\\cell " : "\\par ");
                    if (last)
                        break;
                }
            }
            body += "\\row\n";
        }
    }

    void writeEmptyCell()
    {
        body += "\\pard\\intbl\\cell ";
        paragraph.clear();
    }

    void writeBlock(const QTextBlock& block, Placement placement, const char* ending)
    {
        QByteArray words = paragraphWordsOf(block);
        if (placement == Placement::Cell)
            words += "\\intbl";
        if (words != paragraph) {
            body += "\\pard";
            body += words;
            body += ' ';
            paragraph = words;
        }
        QString link; // the target of the field open in body
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            switchLink(body, link, fragment.charFormat());
            if (fragment.charFormat().isImageFormat()) {
                const QByteArray picture = pictureGroupOf(fragment.charFormat().toImageFormat(), doc);
                for (qsizetype i = 0; i < fragment.length(); ++i)
                    body += picture;
                continue;
            }
            if (const QByteArray kept = keptGroupOf(fragment.charFormat()); !kept.isEmpty()) {
                for (qsizetype i = 0; i < fragment.length(); ++i)
                    body += kept;
                continue;
            }
            body += '{';
            body += formatWords(fragment.charFormatIndex(), fragment.charFormat());
            body += ' ';
            appendEscaped(body, fragment.text());
            body += '}';
        }
        closeLink(body, link);
        body += ending;
    }

    // Neighbouring fragments of one link share one field, so the link reads
    // back whole.
    static void switchLink(QByteArray& body, QString& link, const QTextCharFormat& format)
    {
        const QString target = format.isAnchor() ? format.anchorHref() : QString();
        if (target == link)
            return;
        closeLink(body, link);
        if (!target.isEmpty())
            // The instruction in a group of its own, as Word writes it: some
            // readers know links only in that shape.
            body += "{\\field{\\*\\fldinst {" + linkInstructionOf(target) + "}}{\\fldrslt ";
        link = target;
    }

    static void closeLink(QByteArray& body, QString& link)
    {
        if (!link.isEmpty())
            body += "}}";
        link.clear();
    }

    QByteArray header() const
    {
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (qsizetype i = 0; i < fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            appendEscaped(out, fonts[i]);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (const QColor& c : colors)
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
                 + QByteArray::number(c.blue()) + ';';
        out += "}\n{\\*\\generator Penvale;}\n";
        out += documentGroupsOf(doc);
        return out;
    }

    const QByteArray& paragraphWordsOf(const QTextBlock& block)
    {
        const int index = block.blockFormatIndex();
        auto cached = wordsByParagraph.find(index);
        if (cached == wordsByParagraph.end())
            cached = wordsByParagraph.insert(index, paragraphWords(block.blockFormat()));
        return *cached;
    }

    // Control words of one character format, cached by the document's index.
    QByteArray formatWords(int index, const QTextCharFormat& format)
    {
        auto cached = wordsByFormat.constFind(index);
        if (cached != wordsByFormat.cend())
            return *cached;
        const QFont font = format.font().resolve(doc.defaultFont());
        QByteArray words = "\\f" + QByteArray::number(fontIndex(font.family())) + "\\fs"
                         + QByteArray::number(qRound(pointSizeOf(font) * 2));
        const QBrush brush = format.foreground();
        words += "\\cf" + QByteArray::number(brush.style() == Qt::NoBrush ? 0 : colorIndex(brush.color()));
        if (font.bold())
            words += "\\b";
        if (font.italic())
            words += "\\i";
        if (font.underline())
            words += "\\ul";
        if (font.strikeOut())
            words += "\\strike";
        if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            words += "\\super";
        else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
            words += "\\sub";
        if (format.background().style() != Qt::NoBrush)
            words += "\\highlight" + QByteArray::number(colorIndex(format.background().color()));
        wordsByFormat.insert(index, words);
        return words;
    }

    int fontIndex(const QString& family)
    {
        qsizetype i = fonts.indexOf(family);
        if (i < 0) {
            fonts.append(family);
            i = fonts.size() - 1;
        }
        return int(i);
    }

    int colorIndex(const QColor& color)
    {
        const QColor rgb = color.toRgb();
        qsizetype i = colors.indexOf(rgb);
        if (i < 0) {
            colors.append(rgb);
            i = colors.size() - 1;
        }
        return int(i) + 1; // entry 0 is the automatic colour
    }

    const QTextDocument& doc;
    QByteArray body;
    QByteArray paragraph; // the words of the paragraph format in force
    QStringList fonts;
    QList<QColor> colors;
    QHash<int, QByteArray> wordsByFormat;
    QHash<int, QByteArray> wordsByParagraph;
};

} // namespace

qreal pointSizeOf(const QFont& font)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    if (font.pixelSize() > 0)
        return font.pixelSize() * 72.0 / 96.0;
    return 12.0;
}

QByteArray write(const QTextDocument& document)
{
    return Writer(document).run();
}

}
