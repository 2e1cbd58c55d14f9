// The RTF reader on the shapes word processors write, and on malformed input.
#include "RichEditTestSupport.h"
#include "toolkit/rtf/RtfReader.h"

#include <QTextBlock>
#include <QTextTable>
#include <QtTest>

class TestRtfReader : public QObject {
    Q_OBJECT

    static QString textOf(const QByteArray& rtf)
    {
        QTextDocument doc;
        if (!Rtf::read(rtf, doc))
            return QStringLiteral("<not RTF>");
        return doc.toPlainText();
    }

private slots:
    void codePages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("cp1252") << "cp1252.rtf" << QStringLiteral("café € 5 naïve “quoted”");
        QTest::newRow("charset 204") << "cyrillic.rtf" << QStringLiteral("A Привет B");
        QTest::newRow("unicode") << "unicode.rtf" << QStringLiteral("aéb\ncéd\neéf\ng\uF0B7h\ni\U0001F600j\nkЖl");
    }

    void codePages()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QCOMPARE(textOf(sample(file)), text);
    }

    void skipsWhatIsNotText()
    {
        QString text = textOf(sample("destinations.rtf"));
        QCOMPARE(text.count(QChar::ObjectReplacementCharacter), 3); // pictures stay, whatever their kind
        text.remove(QChar::ObjectReplacementCharacter);
        QVERIFY2(!text.contains(QLatin1String("idden")), qPrintable(text));
        QVERIFY2(text.startsWith(QLatin1String("Before  after")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("visible result")), qPrintable(text));
        QVERIFY2(text.endsWith(QLatin1String(" mid end")), qPrintable(text));
    }

    void keepsFieldResults()
    {
        QTextDocument doc;
        QVERIFY(Rtf::read(sample("field.rtf"), doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("See the site now\n7"));
        QCOMPARE(attributesOf(doc, "the site").style, Underline);
        QCOMPARE(attributesOf(doc, " now").style, 0);
        QCOMPARE(formatOf(doc, "the site").anchorHref(), QStringLiteral("http://example.invalid/"));
        QVERIFY(!formatOf(doc, " now").isAnchor());
        QVERIFY(!formatOf(doc, "7").isAnchor());
    }

    void readsPositionHighlightAndLinks()
    {
        QTextDocument doc;
        QVERIFY(
            Rtf::read("{\\rtf1{\\colortbl;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}x{\\super 2}{\\sub i}"
                      "{\\highlight1 hl}{\\cb2 cb}{\\chcbpat1 pat}{\\highlight0 none}{\\super a\\nosupersub b} "
                      "{\\field{\\*\\fldinst HYPERLINK \\\\l \"https://example.org/a?b=1\"}{\\fldrslt link}} end}",
                      doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("x2ihlcbpatnoneab link end"));
        QCOMPARE(formatOf(doc, "2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QCOMPARE(formatOf(doc, "i").verticalAlignment(), QTextCharFormat::AlignSubScript);
        QCOMPARE(formatOf(doc, "b ").verticalAlignment(), QTextCharFormat::AlignNormal);
        QCOMPARE(formatOf(doc, "hl").background().color(), QColor(Qt::yellow));
        QCOMPARE(formatOf(doc, "cb").background().color(), QColor(Qt::blue));
        QCOMPARE(formatOf(doc, "pat").background().color(), QColor(Qt::yellow));
        QCOMPARE(formatOf(doc, "none").background().style(), Qt::NoBrush);
        QCOMPARE(formatOf(doc, "link").anchorHref(), QStringLiteral("https://example.org/a?b=1"));
        QVERIFY(!formatOf(doc, " end").isAnchor());
    }

    void groupsRestoreFormatting()
    {
        QTextDocument doc;
        QVERIFY(Rtf::read(sample("groups.rtf"), doc));
        const QColor blue(0, 0, 255), green(0, 128, 0), black(Qt::black);
        struct Expected {
            const char* text;
            int style;
            QColor color;
            int points;
            const char* font;
        };
        const Expected runs[] = {
            {"normal", 0, black, 12, "Arial"},
            {"bold ", Bold, black, 12, "Arial"},
            {"bolditalic", Bold | Italic, black, 12, "Arial"},
            {"all", Bold | Italic | Underline, blue, 12, "Arial"},
            {"noul", Bold | Italic, blue, 12, "Arial"},
            {" bi", Bold | Italic, black, 12, "Arial"},
            {" b ", Bold, black, 12, "Arial"},
            {"n2", 0, black, 12, "Arial"},
            {"big", StrikeOut, black, 20, "Courier New"},
            {"x", Bold | Italic | Underline | StrikeOut, green, 12, "Arial"},
            {"plain", 0, black, 12, "Arial"},
            {"on", Bold, black, 12, "Arial"},
            {"off", 0, black, 12, "Arial"},
            {"z", 0, black, 12, "Arial"},
        };
        for (const Expected& e : runs) {
            const RichEditAttributes a = attributesOf(doc, e.text);
            QVERIFY2(a.style == e.style, e.text);
            QVERIFY2(a.color == e.color, e.text);
            QVERIFY2(a.points == e.points, e.text);
            QVERIFY2(a.name == QLatin1String(e.font), e.text);
        }
        const QStringList lines = doc.toRawText().split(QChar::ParagraphSeparator);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1], QStringLiteral("tab\tafter\u2028next"));
        QCOMPARE(lines[2], QStringLiteral("esc \\ { } \u00A0nbsp–—•‘’“”"));
    }

    // Lists, footnotes, optional hyphens, tables and a \uN whose fallback
    // follows a line end, as LibreOffice's own text export shows them, but
    // for a row's cells, which are a table's cells, one line each.
    void readsWhatWordProcessorsWrite()
    {
        QTextDocument doc;
        QVERIFY(Rtf::read(sample("wordprocessor.rtf"), doc));
        QCOMPARE(doc.toPlainText().split(u'\n').mid(3),
                 QStringList({QStringLiteral("Café with a line end before the fallback, and € a euro."),
                              QStringLiteral("•\tFirst bullet"), QStringLiteral("•\tSecond bullet"),
                              QStringLiteral("1.\tNumbered one"), QStringLiteral("2.\tNumbered two"),
                              QStringLiteral("Hy\u00ADphen\u00ADation and a note1 end."),
                              QStringLiteral("A second note2 here."), QStringLiteral("One"), QStringLiteral("Two"),
                              QStringLiteral("Three"), QStringLiteral("Four"), QString(), QStringLiteral("Six"),
                              QStringLiteral("After the table.")}));
        const QTextTable* table = QTextCursor(doc.findBlock(int(doc.toPlainText().indexOf(u"One")))).currentTable();
        QVERIFY(table != nullptr);
        QCOMPARE(QSize(table->columns(), table->rows()), QSize(3, 2));
        QCOMPARE(table->cellAt(1, 2).firstCursorPosition().block().text(), QStringLiteral("Six"));
    }

    void readsParagraphFormats()
    {
        QTextDocument doc;
        QVERIFY(Rtf::read(sample("wordprocessor.rtf"), doc));
        const QTextBlockFormat title = doc.findBlockByNumber(0).blockFormat();
        QCOMPARE(title.alignment(), Qt::AlignHCenter);
        QCOMPARE(title.topMargin(), 16.0); // 12 points, in pixels at 96 per inch
        QCOMPARE(title.bottomMargin(), 8.0);
        const QTextBlockFormat indented = doc.findBlockByNumber(1).blockFormat();
        QCOMPARE(indented.alignment(), Qt::AlignJustify);
        QCOMPARE(indented.leftMargin(), 48.0);
        QCOMPARE(indented.rightMargin(), 24.0);
        QCOMPARE(indented.textIndent(), -24.0);
        QCOMPARE(indented.lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
        QCOMPARE(indented.lineHeight(), 150.0);
        const QTextBlockFormat exact = doc.findBlockByNumber(2).blockFormat();
        QCOMPARE(exact.alignment(), Qt::AlignRight);
        QCOMPARE(exact.lineHeightType(), int(QTextBlockFormat::FixedHeight));
        QCOMPARE(exact.lineHeight(), 20.0);
        const QTextBlockFormat atLeast = doc.findBlockByNumber(3).blockFormat();
        QCOMPARE(atLeast.lineHeightType(), int(QTextBlockFormat::MinimumHeight));
        QVERIFY(!atLeast.hasProperty(QTextFormat::BlockAlignment));
        QCOMPARE(doc.findBlockByNumber(4).blockFormat().leftMargin(), 48.0);
        QCOMPARE(doc.lastBlock().blockFormat(), QTextBlockFormat());
    }

    void symbolFontDrawsGreekAndSigns()
    {
        const QByteArray fonts = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f2\\fcharset2 Symbol;}}";
        QCOMPARE(textOf(fonts + "{\\f2 a\\'b3b \\'b7\\u-3913\\'b7}\\u-3913?}"), QStringLiteral("α≥β ••\uF0B7"));
    }

    void takesTheUnicodeAlternative()
    {
        QCOMPARE(textOf("{\\rtf1 {\\upr{ANSI}{\\*\\ud{Unicode \\u1046?}}} end}"), QStringLiteral("Unicode Ж end"));
    }

    void recognisesRtf()
    {
        QTextDocument doc;
        doc.setPlainText("kept");
        QVERIFY(!Rtf::read("plain {\\rtf1 text}", doc));
        QVERIFY(!Rtf::read("", doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));
        QCOMPARE(textOf("{\\rtf1 x}"), QStringLiteral("x"));
    }

    void finalParagraphMarkEndsTheLastLine()
    {
        QCOMPARE(textOf("{\\rtf1 a\\par}"), QStringLiteral("a"));
        QCOMPARE(textOf("{\\rtf1 a\\par\\par}"), QStringLiteral("a\n"));
        QCOMPARE(textOf("{\\rtf1 a\\par b}"), QStringLiteral("a\nb"));
    }

    void malformedInputLoadsWhatCanBeRead_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("unclosed group") << QByteArray("{\\rtf1 abc {\\b def") << "abc def";
        QTest::newRow("extra close") << QByteArray("{\\rtf1 abc}} def") << "abc";
        QTest::newRow("cut in hex") << QByteArray("{\\rtf1 abc\\'e") << "abc";
        QTest::newRow("cut after backslash") << QByteArray("{\\rtf1 abc\\") << "abc";
        QTest::newRow("cut in unicode") << QByteArray("{\\rtf1 x\\u") << "x";
        QTest::newRow("binary past the end") << QByteArray("{\\rtf1 x\\bin999999999 abc") << "x";
        QTest::newRow("huge size") << QByteArray("{\\rtf1 \\fs99999999999999999999999 big}") << "big";
        QTest::newRow("huge unicode") << QByteArray("{\\rtf1 a\\u99999999999999?b}") << "a\uFFFDb";
        QTest::newRow("huge skip") << QByteArray("{\\rtf1 \\uc99999999 a\\u66 bcdefghijklmnopqrstuvwxyz}")
                                   << "aBrstuvwxyz";
        QTest::newRow("huge indexes") << QByteArray("{\\rtf1 \\cf2147483648\\f-99999999999 a}") << "a";
        QTest::newRow("huge indents") << QByteArray("{\\rtf1 \\li99999999999\\fi-99999999999\\sl-99999999999 a\\par}")
                                      << "a";
        QTest::newRow("cells without a row") << QByteArray("{\\rtf1 a\\cell b\\cell}") << "a\tb\t";
        QTest::newRow("star at top") << QByteArray("{\\rtf1\\*\\x a}") << "a";
        QTest::newRow("font table at top") << QByteArray("{\\rtf1\\fonttbl a}") << "a";
        QTest::newRow("long word") << QByteArray("{\\rtf1 \\") + QByteArray(100000, 'w') + " a}"
                                   << "a";
    }

    void malformedInputLoadsWhatCanBeRead()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QCOMPARE(textOf(rtf), text);
    }

    void deepNesting()
    {
        const int depth = 100000;
        const QByteArray balanced = "{\\rtf1 " + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}')
                                  + " flat}";
        QTextDocument doc;
        QVERIFY(Rtf::read(balanced, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("deep flat"));
        QCOMPARE(attributesOf(doc, "flat").style, 0);

        QCOMPARE(textOf("{\\rtf1 " + QByteArray(depth, '{') + "open"), QStringLiteral("open"));
        // A format set in a group, deeper than the reader keeps states for,
        // ends with its group.
        const QByteArray nested = "{\\rtf1 " + QByteArray(1000, '{') + "{\\i inner} outer" + QByteArray(1000, '}')
                                + "}";
        QVERIFY(Rtf::read(nested, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("inner outer"));
        QCOMPARE(attributesOf(doc, " outer").style, 0);

        QByteArray styled = "{\\rtf1 ";
        for (int i = 0; i < depth; ++i)
            styled += "{\\*\\x {\\b ";
        QCOMPARE(textOf(styled + "gone"), QString());
    }

    // A file cut short (a broken download, a full disk) loads the text up to
    // the cut. Cuts fall before a brace, a backslash or a space, so the cut
    // never shortens a control word's number into another character.
    void cutFilesLoadTheTextBeforeTheCut_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"cp1252.rtf", "cyrillic.rtf", "unicode.rtf", "destinations.rtf", "field.rtf",
                                 "groups.rtf", "wordprocessor.rtf"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }

    void cutFilesLoadTheTextBeforeTheCut()
    {
        QFETCH(QString, file);
        const QByteArray whole = sample(file);
        const QString wholeText = textOf(whole);
        QVERIFY(!wholeText.isEmpty());
        for (qsizetype cut = qsizetype(qstrlen("{\\rtf")); cut < whole.size(); ++cut) {
            if (!QByteArrayView("{}\\ \n").contains(whole[cut]))
                continue;
            // A table cut short still has the cells its rows declare.
            const QString text = textOf(whole.left(cut)).remove(u'\n');
            QVERIFY2(QString(wholeText).remove(u'\n').startsWith(text),
                     qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(text)));
        }
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
