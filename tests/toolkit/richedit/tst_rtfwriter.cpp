// RTF written by us reads back with the same text and character formats.
#include "RichEditTestSupport.h"
#include "toolkit/rtf/RtfReader.h"
#include "toolkit/rtf/RtfWriter.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextImageFormat>
#include <QTextTable>
#include <QtTest>

namespace {

struct Run {
    QString text;
    QTextCharFormat format;
};

QTextCharFormat formatWith(const QString& font, int points, const QColor& color, int style)
{
    QTextCharFormat f;
    if (!font.isEmpty())
        f.setFontFamilies({font});
    if (points)
        f.setFontPointSize(points);
    if (color.isValid())
        f.setForeground(color);
    f.setFontWeight(style & Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style & Italic);
    f.setFontUnderline(style & Underline);
    f.setFontStrikeOut(style & StrikeOut);
    return f;
}

void fill(QTextDocument& doc, const QList<Run>& runs)
{
    QFont font("Arial");
    font.setPixelSize(13);
    doc.setDefaultFont(font);
    QTextCursor c(&doc);
    for (const Run& r : runs)
        c.insertText(r.text, r.format);
}

// Text and resolved attributes of every fragment, neighbours of equal
// attributes joined, so documents compare whatever their fragmentation.
QList<QPair<QString, RichEditAttributes>> runsOf(const QTextDocument& doc)
{
    QList<QPair<QString, RichEditAttributes>> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const auto a = RichEditAttributes::of(it.fragment().charFormat(), doc.defaultFont());
            const auto same = [&](const RichEditAttributes& o) {
                return o.name == a.name && o.points == a.points && o.color == a.color && o.style == a.style;
            };
            if (!runs.isEmpty() && same(runs.last().second))
                runs.last().first += it.fragment().text();
            else
                runs.append({it.fragment().text(), a});
        }
        if (b.next().isValid())
            runs.last().first += u'\n';
    }
    return runs;
}

QString describe(const QList<QPair<QString, RichEditAttributes>>& runs)
{
    QStringList parts;
    for (const auto& [text, a] : runs)
        parts << QStringLiteral("[%1|%2 %3 %4 %5]").arg(text, a.name).arg(a.points).arg(a.color.name()).arg(a.style);
    return parts.join(u' ');
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT

private slots:
    void everyFormatSurvivesTheRoundTrip()
    {
        QList<Run> runs;
        const QString fonts[] = {QString(), "Courier New", "Times New Roman"};
        const int sizes[] = {0, 8, 11, 36};
        const QColor colors[] = {QColor(), QColor(Qt::black), QColor(200, 30, 40), QColor(0, 128, 255)};
        int n = 0;
        for (int style = 0; style < 16; ++style)
            runs.append({QStringLiteral("style%1 ").arg(style), formatWith({}, 0, {}, style)});
        for (const QString& font : fonts)
            for (int size : sizes)
                for (const QColor& color : colors)
                    runs.append({QStringLiteral("run%1%2").arg(n++).arg(n % 5 ? " " : "\n"),
                                 formatWith(font, size, color, n % 16)});
        QTextDocument doc;
        fill(doc, runs);
        QTextDocument back;
        QVERIFY(Rtf::read(Rtf::write(doc), back));
        QCOMPARE(describe(runsOf(back)), describe(runsOf(doc)));
    }

    void positionHighlightAndLinksSurviveTheRoundTrip()
    {
        QTextCharFormat super, sub, highlighted, link, boldLink;
        super.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        highlighted.setBackground(QColor(Qt::yellow));
        link.setAnchor(true);
        link.setAnchorHref(QStringLiteral("https://example.org/a \"b\""));
        boldLink = link;
        boldLink.setFontWeight(QFont::Bold);
        QTextDocument doc;
        fill(doc,
             {{"x", {}}, {"2", super}, {"i", sub}, {"hl", highlighted}, {" li", link}, {"nk", boldLink}, {" end", {}}});
        const QByteArray rtf = Rtf::write(doc);
        QCOMPARE(rtf.count("\\fldinst"), 1); // one link over two formats
        QTextDocument back;
        QVERIFY(Rtf::read(rtf, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(formatOf(back, "2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QCOMPARE(formatOf(back, "i").verticalAlignment(), QTextCharFormat::AlignSubScript);
        QCOMPARE(formatOf(back, "hl").background().color(), QColor(Qt::yellow));
        QCOMPARE(formatOf(back, "li").anchorHref(), QStringLiteral("https://example.org/a%20%22b%22"));
        QCOMPARE(formatOf(back, "nk").anchorHref(), formatOf(back, "li").anchorHref());
        QVERIFY(!formatOf(back, " end").isAnchor());
    }

    // A picture the document shows, one it cannot show and one too large to
    // decode all keep their place and their data; a pasted image is written
    // as PNG.
    void picturesSurviveTheRoundTrip()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        QByteArray huge = png;
        huge.replace(16, 8, QByteArray::fromHex("0000ffff0000ffff")); // the header's width and height
        const QByteArray metafile = "{\\pict\\wmetafile8\\picwgoal300\\pichgoal150 0100090000}";
        const QByteArray rtf = "{\\rtf1 a{\\*\\shppict{\\pict\\pngblip\\picwgoal1200\\pichgoal900 " + png.toHex()
                             + "}}{\\nonshppict{\\pict\\wmetafile8 00}}b" + metafile + "c{\\pict\\pngblip "
                             + huge.toHex() + "}d}";
        QTextDocument doc;
        QVERIFY(Rtf::read(rtf, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("a\uFFFCb\uFFFCc\uFFFCd"));
        const QTextImageFormat shown = formatOf(doc, "\uFFFCb").toImageFormat();
        QCOMPARE(QSizeF(shown.width(), shown.height()), QSizeF(80, 60));
        QCOMPARE(doc.resource(QTextDocument::ImageResource, QUrl(shown.name())).value<QImage>().size(), QSize(4, 3));
        const QTextImageFormat tooLarge = formatOf(doc, "\uFFFCd").toImageFormat();
        QVERIFY(!doc.resource(QTextDocument::ImageResource, QUrl(tooLarge.name())).isValid());

        QTextCursor(&doc).insertImage(image); // the two ways a paste leaves an image
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted")), image);
        QTextImageFormat pasted;
        pasted.setName(QStringLiteral("pasted"));
        QTextCursor end(&doc);
        end.movePosition(QTextCursor::End);
        end.insertImage(pasted);
        const QByteArray written = Rtf::write(doc);
        QVERIFY(written.contains(metafile));
        QVERIFY(written.contains(huge.toHex()));
        QTextDocument back;
        QVERIFY(Rtf::read(written, back));
        QCOMPARE(back.toPlainText().count(QChar::ObjectReplacementCharacter), 5);
        QTextCursor last(&back);
        last.movePosition(QTextCursor::End);
        const QTextImageFormat pastedBack = last.charFormat().toImageFormat();
        QCOMPARE(back.resource(QTextDocument::ImageResource, QUrl(pastedBack.name())).value<QImage>().size(),
                 QSize(4, 3));
    }

    // Cells keep their text, paragraphs included; the text around the table
    // stays outside it, and a second save writes what the first did.
    void tablesSurviveTheRoundTrip()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("before"));
        QTextTable* table = c.insertTable(2, 2);
        const QStringList cells = {"a", "b\nsecond", "", "d"};
        for (int i = 0; i < cells.size(); ++i)
            table->cellAt(i / 2, i % 2).firstCursorPosition().insertText(cells[i]);
        c.setPosition(table->lastPosition() + 1);
        c.insertText(QStringLiteral("after"));
        c.insertTable(1, 1)->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("last"));

        const QByteArray rtf = Rtf::write(doc);
        QTextDocument back;
        QVERIFY(Rtf::read(rtf, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        const QTextTable* backTable = QTextCursor(back.findBlockByNumber(1)).currentTable();
        QVERIFY(backTable != nullptr);
        QCOMPARE(QSize(backTable->columns(), backTable->rows()), QSize(2, 2));
        for (int i = 0; i < cells.size(); ++i) {
            QTextCursor cell = backTable->cellAt(i / 2, i % 2).firstCursorPosition();
            cell.setPosition(backTable->cellAt(i / 2, i % 2).lastPosition(), QTextCursor::KeepAnchor);
            QCOMPARE(cell.selectedText().replace(QChar::ParagraphSeparator, u'\n'), cells[i]);
        }
        QVERIFY(QTextCursor(back.findBlockByNumber(0)).currentTable() == nullptr);
        QCOMPARE(Rtf::write(back), rtf);
    }

    // Groups the editor cannot show are written back where they stood: with
    // the document when they came before the text, else in it.
    void unknownGroupsAreWrittenBackWhereTheyStood()
    {
        QTextDocument doc;
        QVERIFY(Rtf::read("{\\rtf1{\\*\\unknowntable 1{2}}before{\\*\\bkmkstart here}after\\par}", doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("before\uFFFCafter"));
        const QByteArray rtf = Rtf::write(doc);
        QVERIFY2(rtf.contains("{\\*\\generator Penvale;}\n{\\*\\unknowntable 1{2}}"), rtf.constData());
        QVERIFY2(rtf.contains("before}{\\*\\bkmkstart here}{"), rtf.constData());
        QTextDocument back;
        QVERIFY(Rtf::read(rtf, back));
        QCOMPARE(Rtf::write(back), rtf);
        QVERIFY(Rtf::read("{\\rtf1 plain}", back));
        QVERIFY(!Rtf::write(back).contains("unknowntable"));
    }

    void textSurvivesTheRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("specials") << QStringLiteral("back\\slash {braces} semi;colon");
        QTest::newRow("breaks") << QStringLiteral("tab\there\u2028soft\u2029\u2029after empty\u2029");
        QTest::newRow("non-ascii") << QStringLiteral("café € Привет 日本 \U0001F600 \u00A0nbsp \uFFFF");
        QTest::newRow("trailing empty lines") << QStringLiteral("a\u2029\u2029\u2029");
    }

    void textSurvivesTheRoundTrip()
    {
        QFETCH(QString, text);
        QTextDocument doc;
        doc.setPlainText(QString(text).replace(QChar::ParagraphSeparator, u'\n'));
        QTextDocument back;
        QVERIFY(Rtf::read(Rtf::write(doc), back));
        QCOMPARE(back.toRawText(), doc.toRawText());
    }

    void writesPlainRtf()
    {
        QTextDocument doc;
        fill(doc, {{QStringLiteral("é\U0001F600{x}"), formatWith("Courier New", 10, Qt::red, Bold | Underline)}});
        const QByteArray rtf = Rtf::write(doc);
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
        QVERIFY(rtf.contains("{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Courier New;}"));
        QVERIFY(rtf.contains("{\\colortbl;\\red255\\green0\\blue0;}"));
        QVERIFY(rtf.contains("{\\*\\generator Penvale;}"));
        QVERIFY(rtf.contains("\\f1\\fs20\\cf1\\b\\ul \\u233\\'3f\\u-10179\\'3f\\u-8704\\'3f\\{x\\}"));
        for (char c : rtf)
            QVERIFY(uchar(c) < 0x80);
    }

    void paragraphFormatsSurviveTheRoundTrip()
    {
        QList<QTextBlockFormat> formats(7);
        formats[1].setAlignment(Qt::AlignHCenter);
        formats[1].setTopMargin(16);
        formats[1].setBottomMargin(8);
        formats[2].setAlignment(Qt::AlignJustify);
        formats[2].setLeftMargin(48);
        formats[2].setRightMargin(24);
        formats[2].setTextIndent(-24);
        formats[2].setLineHeight(150, QTextBlockFormat::ProportionalHeight);
        formats[3] = formats[2]; // the same format twice needs no second \pard
        formats[4].setAlignment(Qt::AlignRight);
        formats[4].setLineHeight(20, QTextBlockFormat::FixedHeight);
        formats[5].setLineHeight(18, QTextBlockFormat::MinimumHeight);
        QTextDocument doc;
        QTextCursor c(&doc);
        for (qsizetype i = 0; i < formats.size(); ++i) {
            if (i > 0)
                c.insertBlock();
            c.setBlockFormat(formats[i]);
            c.insertText(QStringLiteral("paragraph %1").arg(i));
        }
        QTextDocument back;
        QVERIFY(Rtf::read(Rtf::write(doc), back));
        QCOMPARE(back.blockCount(), doc.blockCount());
        for (QTextBlock a = doc.begin(), b = back.begin(); a.isValid(); a = a.next(), b = b.next()) {
            QCOMPARE(b.text(), a.text());
            QCOMPARE(b.blockFormat(), a.blockFormat());
        }
    }

    void pixelSizesCountAtScreenResolution()
    {
        QTextDocument doc;
        fill(doc, {{"x", QTextCharFormat()}}); // the 13-pixel default font
        QVERIFY(Rtf::write(doc).contains("\\fs20"));
    }
};

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
