// TRichEdit as the program uses it, in both views: loading and saving,
// lines, the length limit, selection attributes, find, undo, notifications.
#include "RichEditTestSupport.h"
#include "errorof.h"
#include "toolkit/Exception.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/rtf/RtfReader.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QTextTable>
#include <QtTest>

#include <cerrno>
#include <unistd.h>

class TestRichEdit : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static void addModes()
    {
        QTest::addColumn<bool>("plain");
        QTest::newRow("rich view") << false;
        QTest::newRow("plain view") << true;
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    static void typeInto(TRichEdit& edit, const QString& text) { QTest::keyClicks(edit.view(), text); }

private slots:
    void looksLikeTheEditor()
    {
        TRichEdit edit;
        for (bool plain : {false, true}) {
            edit.SetPlainText(plain);
            auto* area = qobject_cast<QAbstractScrollArea*>(edit.view());
            QVERIFY(area);
            QVERIFY(plain ? bool(qobject_cast<QPlainTextEdit*>(area)) : bool(qobject_cast<QTextEdit*>(area)));
            QCOMPARE(area->frameShape(), QFrame::NoFrame);
            QCOMPARE(area->palette().color(QPalette::Base), QColor(Qt::white));
            QCOMPARE(area->palette().color(QPalette::Inactive, QPalette::Highlight),
                     area->palette().color(QPalette::Active, QPalette::Highlight));
            QCOMPARE(edit.document()->defaultFont().family(), QStringLiteral("Arial"));
            QCOMPARE(edit.document()->defaultFont().pixelSize(), 13);
            QCOMPARE(edit.SelColor(), QColor(Qt::black));
            QCOMPARE(edit.SelFontName(), QStringLiteral("Arial"));
        }
    }

    // Plain text follows a dark colour scheme; rich text keeps its paper.
    void plainTextFollowsTheColourScheme()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(220, 220, 220));
        QApplication::setPalette(dark);
        const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
        TRichEdit edit;
        edit.SetPlainText(true);
        QCOMPARE(edit.view()->palette().color(QPalette::Base), QColor(30, 30, 30));
        QCOMPARE(edit.view()->palette().color(QPalette::Text), QColor(220, 220, 220));
        edit.SetPlainText(false);
        QCOMPARE(edit.view()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(edit.view()->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void loadAndSaveKeepTheContent_data() { addModes(); }
    void loadAndSaveKeepTheContent()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetLines({"first", "sécond\twith tab", "", "last"});
        edit.SetSelection(0, 5);
        edit.SetSelStyle(Bold);
        const QString file = path("content");
        edit.SaveToFile(file);
        edit.SetModified(true);

        TRichEdit other;
        other.SetPlainText(plain);
        other.LoadFromFile(file);
        QCOMPARE(other.Lines(), edit.Lines());
        QVERIFY(!other.Modified());
        QVERIFY(!other.CanUndo());
        QCOMPARE(other.SelStart(), 0);
        QCOMPARE(attributesOf(*other.document(), "first").style, plain ? 0 : Bold);
        if (plain) {
            QFile saved(file);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), QByteArray("first\nsécond\twith tab\n\nlast\n"));
        }
    }

    void plainTextReadsEveryCommonEncoding()
    {
        TRichEdit edit;
        edit.LoadFromBytes("\xEF\xBB\xBFutf-8 caf\xC3\xA9\r\nline 2\r\n");
        QCOMPARE(edit.Lines(), QStringList({"utf-8 café", "line 2"}));
        edit.LoadFromBytes("latin caf\xE9 \x80");
        QCOMPARE(edit.Text(), QStringLiteral("latin café €"));
        edit.LoadFromBytes(QByteArray("\xFF\xFEh\0i\0", 6));
        QCOMPARE(edit.Text(), QStringLiteral("hi"));
    }

    // A file is written back byte for byte as it was read; a new text is UTF-8 with LF.
    void plainTextSavesAsItWasRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("fits");
        QTest::newRow("new document") << QByteArray() << true;
        QTest::newRow("UTF-8, LF") << QByteArray("caf\xC3\xA9\nend\n") << true;
        QTest::newRow("UTF-8 with mark, CR LF, no last line end") << QByteArray(
            "\xEF\xBB\xBF"
            "caf\xC3\xA9\r\nend") << true;
        QTest::newRow("UTF-16 LE, CR LF") << QByteArray(
            "\xFF\xFE"
            "a\0\r\0\n\0\xAC\x20\r\0\n\0",
            14) << true;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0a\0\n\x20\xAC\0\n", 10) << true;
        QTest::newRow("windows-1252, CR LF") << QByteArray("caf\xE9 \x80\r\nend\r\n") << false;
    }
    void plainTextSavesAsItWasRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, fits);
        TRichEdit edit;
        edit.SetPlainText(true);
        if (file.isEmpty()) {
            edit.SetText("caf\u00e9\nend");
            file = "caf\xC3\xA9\nend\n";
        } else {
            edit.LoadFromBytes(file);
        }
        QVERIFY(edit.TextFitsFileFormat());
        QCOMPARE(edit.SaveToBytes(), file);

        // A character the encoding lacks: the whole text is saved as UTF-8.
        edit.SetSelStart(0);
        edit.SetSelText(QString::fromUtf8("\xE2\x86\x92")); // an arrow
        QCOMPARE(edit.TextFitsFileFormat(), fits);
        const QByteArray saved = edit.SaveToBytes();
        if (!fits)
            QCOMPARE(saved, QByteArray("\xE2\x86\x92"
                                       "caf\xC3\xA9 \xE2\x82\xAC\r\nend\r\n"));
        TRichEdit back;
        back.SetPlainText(true);
        back.LoadFromBytes(saved);
        QCOMPARE(back.Text(), edit.Text());
    }

    // Whatever a file holds, an edit changes only the edited bytes: every
    // other byte, undecodable ones included, and each line's own end stay.
    void plainTextKeepsEveryByteOutsideAnEdit_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("Shift_JIS") << QByteArray(
            "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42\r\n"
            "\x8d\xa1\x93\xfa\x82\xcd\x82\xa2\x82\xa2\x93\x56\x8b\x43\x82\xc5\x82\xb7\x81\x42\r\n")
                                   << QString::fromUtf8("日本語の文章です。");
        QTest::newRow("GBK") << QByteArray(
            "\xd6\xd0\xce\xc4\xb5\xc4\xce\xc4\xd5\xc2\xa3\xac\xbd\xf1\xcc\xec\xcc\xec\xc6\xf8\xba\xdc\xba\xc3\xa1\xa3\n")
                             << QString::fromUtf8("中文的文章，今天天气很好。");
        QTest::newRow("UTF-8 with a stray byte")
            << QByteArray("caf\xC3\xA9 \xFF na\xC3\xAFve\n") << QString::fromUtf8("café ");
        QTest::newRow("bytes windows-1252 leaves undefined") << QByteArray("a\x81\x8D\x8F\x90\x9D\xE9z") << QString();
        QTest::newRow("mixed LF and CR LF") << QByteArray("one\r\ntwo\nthree\r\nfour") << QStringLiteral("one");
        QTest::newRow("CR only") << QByteArray("one\rtwo\r") << QStringLiteral("one");
    }
    void plainTextKeepsEveryByteOutsideAnEdit()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, firstLine);
        TRichEdit edit;
        edit.SetPlainText(true);
        edit.LoadFromBytes(file);
        if (!firstLine.isEmpty())
            QVERIFY2(edit.Lines().first().startsWith(firstLine), qPrintable(edit.Lines().first()));
        edit.SetSelStart(0);
        edit.SetSelText("x");
        QVERIFY(edit.TextFitsFileFormat());
        QCOMPARE(edit.SaveToBytes(), "x" + file);
    }

    void formatDecidesHowContentReads()
    {
        const QByteArray rtf = "{\\rtf1 {\\b x}}";
        TRichEdit edit;
        edit.LoadFromBytes(rtf);
        QCOMPARE(edit.Text(), QStringLiteral("x"));
        QCOMPARE(attributesOf(*edit.document(), "x").style, Bold);
        edit.SetPlainText(true);
        edit.LoadFromBytes(rtf);
        QCOMPARE(edit.Text(), QString::fromLatin1(rtf));
        QCOMPARE(edit.SaveToBytes(), rtf);
        edit.SetPlainText(false);
        edit.LoadFromBytes("{rtf is not RTF");
        QCOMPARE(edit.Text(), QStringLiteral("{rtf is not RTF"));
    }

    // Content that is neither RTF nor text (NUL bytes outside UTF-16) fails
    // to load, and the editor keeps what it had.
    void unreadableContentFailsAndKeepsTheText_data() { addModes(); }
    void unreadableContentFailsAndKeepsTheText()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetText("kept");
        edit.SetModified(true);
        QCOMPARE(errorOf([&] { edit.LoadFromBytes(QByteArray("bin\0ary", 7)); }),
                 QStringLiteral("Failed to Load Stream"));
        QCOMPARE(edit.Text(), QStringLiteral("kept"));
        QVERIFY(edit.Modified());
    }

    // A save replaces what the file holds and nothing else: the longest name
    // the file system allows, the file's permissions, a symbolic link (written
    // through to its target) and a hard link (both names see the new text).
    void savingKeepsTheFileItReplaces()
    {
        TRichEdit edit;
        edit.SetPlainText(true);
        edit.SetText("new");
        const auto contentOf = [](const QString& name) {
            QFile file(name);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
        };
        for (int length : {249, 255}) {
            const QString longName = path(QString(length, u'n'));
            QVERIFY(QFile(longName).open(QIODevice::WriteOnly));
            edit.SaveToFile(longName);
            QCOMPARE(contentOf(longName), QByteArray("new\n"));
        }

        const QString kept = path("kept.txt");
        QVERIFY(QFile(kept).open(QIODevice::WriteOnly));
        const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(kept, permissions));
        edit.SaveToFile(kept);
        QCOMPARE(QFile::permissions(kept), permissions | QFileDevice::ReadUser | QFileDevice::WriteUser);

        const QString link = path("link.txt");
        QVERIFY(QFile::link(kept, link));
        edit.SetText("through the link");
        edit.SaveToFile(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(kept), QByteArray("through the link\n"));

        const QString second = path("second name.txt");
        QCOMPARE(::link(QFile::encodeName(kept).constData(), QFile::encodeName(second).constData()), 0);
        edit.SetText("both names");
        edit.SaveToFile(second);
        QCOMPARE(contentOf(kept), QByteArray("both names\n"));
        QCOMPARE(QFile::permissions(kept), permissions | QFileDevice::ReadUser | QFileDevice::WriteUser);
    }

    void fileErrors()
    {
        TRichEdit edit;
        const QString missing = path("missing.txt");
        QCOMPARE(FailureOf<EFOpenError>([&] { edit.LoadFromFile(missing); }),
                 Errors::FileOpen(missing, Errors::SystemReason(ENOENT)));
        QVERIFY_THROWS_EXCEPTION(EFCreateError, edit.SaveToFile(path("no/such/dir.rtf")));
        QVERIFY_THROWS_EXCEPTION(Exception, edit.LoadFromFile(dir.path()));
    }

    void lines_data() { addModes(); }
    void lines()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        QCOMPARE(edit.LineCount(), 0);
        QCOMPARE(edit.Lines(), QStringList());
        edit.AppendLine("one");
        edit.AppendLine("");
        edit.AppendLine("three");
        QCOMPARE(edit.Lines(), QStringList({"one", "", "three"}));
        QCOMPARE(edit.LineCount(), 3);
        QCOMPARE(edit.Text(), QStringLiteral("one\n\nthree"));
        edit.SetLines({"a", "b"});
        QCOMPARE(edit.LineCount(), 2);
        edit.ClearLines();
        QCOMPARE(edit.LineCount(), 0);
        edit.SetText("x\ny\n");
        QCOMPARE(edit.Lines(), QStringList({"x", "y", ""}));
    }

    void modifiedFollowsEdits_data() { addModes(); }
    void modifiedFollowsEdits()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.LoadFromBytes("loaded");
        QVERIFY(!edit.Modified());
        typeInto(edit, "a");
        QVERIFY(edit.Modified());
        edit.SetModified(false);
        edit.SetText("by code");
        QVERIFY(edit.Modified());
        edit.SetModified(false);
        edit.AppendLine("more");
        QVERIFY(edit.Modified());
    }

    // A file longer than the limit loads whole (a later save must not cut
    // it); the limit bounds only typing and pasting.
    void lengthLimitBoundsTypingNotLoading_data() { addModes(); }
    void lengthLimitBoundsTypingNotLoading()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetMaxLength(10);
        int refusals = 0;
        edit.OnMaxLengthRefused = [&] { ++refusals; };
        const QByteArray big(100, 'x');
        edit.LoadFromBytes(big);
        QCOMPARE(edit.Text().size(), 100);
        edit.SetSelStart(100);
        typeInto(edit, "abc");
        QCOMPARE(edit.Text().size(), 100);
        QCOMPARE(edit.TextLength(), 100);
        QCOMPARE(refusals, 3);

        edit.Clear();
        typeInto(edit, "1234567");
        QApplication::clipboard()->setText("pasted text");
        edit.PasteFromClipboard();
        QCOMPARE(edit.Text(), QStringLiteral("1234567pas"));
        QCOMPARE(refusals, 4); // cut short
        typeInto(edit, "abc\t");
        QTest::keyClick(edit.view(), Qt::Key_Return);
        QCOMPARE(edit.Text(), QStringLiteral("1234567pas"));
        edit.SetSelection(0, 4);
        typeInto(edit, "Z");
        QCOMPARE(edit.Text(), QStringLiteral("Z567pas"));
        typeInto(edit, "abcd");
        QCOMPARE(edit.Text(), QStringLiteral("Zabc567pas"));
        edit.SetMaxLength(0);
        typeInto(edit, "unbounded");
        QCOMPARE(edit.Text(), QStringLiteral("Zabcunbounded567pas"));
    }

    void wordWrap()
    {
        TRichEdit edit;
        QVERIFY(edit.WordWrap());
        edit.SetWordWrap(false);
        QVERIFY(!edit.WordWrap());
        QCOMPARE(qobject_cast<QTextEdit*>(edit.view())->lineWrapMode(), QTextEdit::NoWrap);
        edit.SetPlainText(true);
        QCOMPARE(qobject_cast<QPlainTextEdit*>(edit.view())->lineWrapMode(), QPlainTextEdit::NoWrap);
        edit.SetWordWrap(true);
        QCOMPARE(qobject_cast<QPlainTextEdit*>(edit.view())->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void selection_data() { addModes(); }
    void selection()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetText("hello\nworld");
        edit.SetSelection(3, 5);
        QCOMPARE(edit.SelStart(), 3);
        QCOMPARE(edit.SelLength(), 5);
        QCOMPARE(edit.SelText(), QStringLiteral("lo\nwo"));
        edit.SetSelText("P");
        QCOMPARE(edit.Text(), QStringLiteral("helPrld"));
        QCOMPARE(edit.SelStart(), 4);
        QCOMPARE(edit.SelLength(), 0);
        edit.SelectAll();
        QCOMPARE(edit.SelLength(), 7);
        edit.SetSelStart(99);
        QCOMPARE(edit.SelStart(), 7);
        QCOMPARE(edit.SelLength(), 0);
        edit.SetSelection(-5, 2);
        QCOMPARE(edit.SelText(), QStringLiteral("he"));
    }

    void selectionAttributes_data() { addModes(); }
    void selectionAttributes()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetText("plain styled");
        edit.SetSelection(6, 6);
        edit.SetSelFontName("Courier New");
        edit.SetSelFontSize(18);
        edit.SetSelColor(QColor(10, 20, 30));
        edit.SetSelStyle(Bold | StrikeOut);
        QCOMPARE(edit.SelFontName(), QStringLiteral("Courier New"));
        QCOMPARE(edit.SelFontSize(), 18);
        QCOMPARE(edit.SelColor(), QColor(10, 20, 30));
        QCOMPARE(edit.SelStyle(), Bold | StrikeOut);
        const TConsistentAttributes uniform = edit.SelConsistency();
        QVERIFY(uniform.Name && uniform.Size && uniform.Color && uniform.Bold && uniform.StrikeOut);

        edit.SetSelection(3, 6); // "in sty": across both runs
        const TConsistentAttributes mixed = edit.SelConsistency();
        QVERIFY(!mixed.Name && !mixed.Size && !mixed.Color && !mixed.Bold && !mixed.StrikeOut);
        QVERIFY(mixed.Italic && mixed.Underline);
        QCOMPARE(edit.SelFontName(), QStringLiteral("Arial")); // of the first character
        QCOMPARE(edit.SelFontSize(), 10);

        // With no selection the attributes are those of the next typing.
        edit.SetSelStart(0);
        edit.SetSelStyle(Italic | Underline);
        QCOMPARE(edit.SelStyle(), Italic | Underline);
        typeInto(edit, "new");
        QCOMPARE(attributesAt(*edit.document(), 0).style, Italic | Underline);
        QCOMPARE(attributesOf(*edit.document(), "plain").style, 0);
    }

    void find_data() { addModes(); }
    void find()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.SetText("Cat catalog\ncat CAT");
        const TSearchOptions any, matchCase{true, false}, wholeWord{false, true};
        QCOMPARE(edit.FindText("cat", 0, -1, any), 0);
        QCOMPARE(edit.FindText("cat", 0, -1, matchCase), 4);
        QCOMPARE(edit.FindText("cat", 1, -1, wholeWord), 12);
        QCOMPARE(edit.FindText("CAT", 0, 19, {true, true}), 16);
        QCOMPARE(edit.FindText("CAT", 0, 18, {true, true}), -1); // runs past the end of the range
        QCOMPARE(edit.FindText("dog", 0, -1, any), -1);
        QCOMPARE(edit.FindText("", 0, -1, any), -1);
        QCOMPARE(edit.FindText("cat", 17, 5, any), -1);
    }

    void undoAndClipboard_data() { addModes(); }
    void undoAndClipboard()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        edit.LoadFromBytes("start");
        QVERIFY(!edit.CanUndo());
        edit.SetSelStart(5);
        typeInto(edit, "!");
        QVERIFY(edit.CanUndo());
        edit.Undo();
        QCOMPARE(edit.Text(), QStringLiteral("start"));

        edit.SetSelection(0, 2);
        edit.CutToClipboard();
        QCOMPARE(edit.Text(), QStringLiteral("art"));
        edit.SetSelStart(3);
        edit.PasteFromClipboard();
        edit.SetSelection(0, 1);
        edit.CopyToClipboard();
        edit.SetSelStart(5);
        edit.PasteFromClipboard();
        QCOMPARE(edit.Text(), QStringLiteral("artsta"));
    }

    // RTF from a word processor pastes with its picture, table and link, and
    // a save keeps them.
    void pastedRtfKeepsPicturesTablesAndLinks()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        auto* mime = new QMimeData;
        mime->setText(QStringLiteral("link a b"));
        mime->setData(QStringLiteral("text/rtf"),
                      "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt link}}"
                      "{\\pict\\pngblip "
                          + png.toHex() + "}\\par\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row}");
        QApplication::clipboard()->setMimeData(mime);
        TRichEdit edit;
        edit.LoadFromBytes("{\\rtf1 before}");
        edit.SetSelStart(6);
        edit.PasteFromClipboard();

        QTextDocument saved;
        QVERIFY(Rtf::read(edit.SaveToBytes(), saved));
        QVERIFY2(saved.toPlainText().startsWith(QStringLiteral("beforelink\uFFFC\na\nb")),
                 qPrintable(saved.toPlainText()));
        QCOMPARE(formatOf(saved, "link").anchorHref(), QStringLiteral("https://example.org/"));
        const QTextImageFormat picture = formatOf(saved, "\uFFFC").toImageFormat();
        QCOMPARE(saved.resource(QTextDocument::ImageResource, QUrl(picture.name())).value<QImage>().size(),
                 QSize(4, 3));
        const QTextTable* table = QTextCursor(saved.findBlockByNumber(1)).currentTable();
        QVERIFY(table != nullptr);
        QCOMPARE(QSize(table->columns(), table->rows()), QSize(2, 1));
    }

    void notifications_data() { addModes(); }
    void notifications()
    {
        QFETCH(bool, plain);
        TRichEdit edit;
        edit.SetPlainText(plain);
        int changes = 0, moves = 0;
        edit.OnChange = [&] { ++changes; };
        edit.OnSelectionChange = [&] { ++moves; };
        edit.SetText("abc");
        QVERIFY(changes > 0);
        changes = moves = 0;
        edit.SetSelection(1, 1);
        QCOMPARE(changes, 0);
        QCOMPARE(moves, 1);
        edit.SetSelection(1, 1);
        QCOMPARE(moves, 1);
        typeInto(edit, "x");
        QCOMPARE(changes, 1);
        QCOMPARE(moves, 2);
        edit.LoadFromBytes("new content");
        QVERIFY(changes > 1);
    }

    // Changing the mode moves the content between views untouched.
    void modeChangeKeepsEverything()
    {
        TRichEdit edit;
        edit.SetText("one two");
        edit.SetSelection(4, 3);
        edit.SetSelStyle(Italic);
        edit.SetSelection(1, 2);
        QTextDocument* doc = edit.document();
        for (bool plain : {true, false, true}) {
            edit.SetPlainText(plain);
            QCOMPARE(edit.document(), doc);
            QCOMPARE(edit.Text(), QStringLiteral("one two"));
            QCOMPARE(edit.SelStart(), 1);
            QCOMPARE(edit.SelLength(), 2);
            QVERIFY(edit.Modified());
            QVERIFY(edit.CanUndo());
            QCOMPARE(attributesOf(*doc, "two").style, Italic);
        }
        QCOMPARE(edit.SaveToBytes(), QByteArray("one two\n"));
    }

    void formattingRect()
    {
        TRichEdit edit;
        edit.resize(400, 300);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        const QRect all = edit.FormattingRect();
        QVERIFY(!all.isEmpty());
        QVERIFY(edit.rect().contains(all));
        edit.SetFormattingRect(all.adjusted(10, 5, -50, 0));
        QCOMPARE(edit.FormattingRect(), all.adjusted(10, 5, -50, 0));
        edit.SetPlainText(true);
        QCOMPARE(edit.FormattingRect(), all.adjusted(10, 5, -50, 0));
        edit.SetFormattingRect(QRect());
        QCOMPARE(edit.FormattingRect(), all);
    }

    void printsPageByPage()
    {
        TRichEdit edit;
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("Line %1 of the printed text").arg(i);
        edit.SetLines(lines);
        const auto pagesOf = [&](const QRect& rect) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path("print.pdf"));
            edit.Print("job", printer, rect);
            QFile pdf(path("print.pdf"));
            pdf.open(QIODevice::ReadOnly);
            const QByteArray content = pdf.readAll();
            return content.count("/Type /Page\n") + content.count("/Type /Page>") + content.count("/Type /Page ");
        };
        const qsizetype whole = pagesOf(QRect());
        QVERIFY2(whole >= 4, qPrintable(QString::number(whole)));
        QVERIFY(pagesOf(QRect(0, 0, 4000, 1200)) > whole);
    }
};

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
