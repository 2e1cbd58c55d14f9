#include "Answers.h"
#include "FileDrops.h"
#include "FreshSettings.h"
#include "WindowParts.h"

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/RecoveryFiles.h"
#include "app/SettingsDialog.h"
#include "app/SettingsStore.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <memory>

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    QString path(const QString& name) const { return dir.filePath(name); }

    static QByteArray fileBytes(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    void makeForm(const QStringList& args = {})
    {
        form = std::make_unique<MainWindow>(args);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    TRichEdit* editor() const { return partOf<TRichEdit>(*form, "RichEdit1"); }
    QAction* item(const char* name) const { return partOf<QAction>(*form, name); }
    void click(const char* name) const { trigger(*form, name); }
    QString panel(StatusPanel which) const { return form->statusText(which); }

    // A user edit: typed text sets the modified flag.
    void type(const QString& text)
    {
        editor()->view()->setFocus();
        QTest::keyClicks(editor()->view(), text);
        QVERIFY(editor()->Modified());
    }

    void openNamed(const QString& name, const QByteArray& content)
    {
        writeFile(name, content);
        answers->files << name;
        click("Open1");
        QCOMPARE(form->docName(), name);
    }

    // A menu item as the menu draws it: check mark, caption, shortcut, greyed.
    static QString asDrawn(const QAction* item)
    {
        if (item->isSeparator())
            return "----";
        QString text = item->isCheckable() ? (item->isChecked() ? "[x] " : "[ ] ") : "";
        text += item->text();
        if (!item->shortcut().isEmpty())
            text += "  " + item->shortcut().toString(QKeySequence::NativeText);
        if (!item->isEnabled())
            text += "  (grey)";
        return text;
    }

private slots:
    void init()
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        makeForm();
        AppSettings().SaveDir = dir.path();
        AppSettings().OpenDir = dir.path();
    }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void startsAsAnEmptyPlainTextDocument()
    {
        QCOMPARE(form->windowTitle(), QString("Brakka  Text Editor "));
        QCOMPARE(form->docName(), QString("New Document"));
        QVERIFY(form->newDocument());
        QVERIFY(!partOf<QWidget>(*form, "Panel3")->isVisible());
        QCOMPARE(panel(StatusPanel::Mode), QString("Plain Text"));
        QCOMPARE(panel(StatusPanel::Name), QString("New Document"));
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));
        QCOMPARE(panel(StatusPanel::Font), QString("Arial"));
        QCOMPARE(panel(StatusPanel::Size), QString("10"));
        QVERIFY(!partOf<QComboBox>(*form, "FontName")->isVisible());
    }

    void theMenusAtStartAsAUserSeesThem()
    {
        const QList<std::pair<QString, QStringList>> expected = {
            {"&File",
             {"&New  Ctrl+N", "&Open  Ctrl+O", "&Save  Ctrl+S", "Save&As  Ctrl+A", "Reopen with Enco&ding  (grey)",
              "Save &with Encoding", "----", "Send &Email  Ctrl+E", "&Retrieve Email  Ctrl+R", "----",
              "Pa&ge Setup  Ctrl+G", "&Print  Ctrl+P", "----", "E&xit  Ctrl+Z"}},
            {"&Edit",
             {"&Cut  Ctrl+X", "Cop&y  Ctrl+C", "&Paste  Ctrl+V", "&Undo  Ctrl+U", "&Redo  Ctrl+Shift+Z", "----",
              "&Find", "&Replace"}},
            {"&Text Attributes",
             {"&Font  Ctrl+F  (grey)", "----", "[ ] &Bold  Ctrl+B  (grey)", "[ ] &Italicize  Ctrl+I  (grey)",
              "[ ] Under&line  Ctrl+L  (grey)", "----", "[x] &Plain Text Only"}},
            {"&Options",
             {"&Default Editor Width", "[ ] Default Width &Only", "[ ] Use &Page Setup Width", "Max Size - 1 Meg",
              "----", "[x] &Word Wrap  Ctrl+W", "----", "[ ] Stay On &Top  Ctrl+T", "[ ] Short Date &Format",
              "Start &Clock", "Start Ti&mer", "----", "&Settings"}},
            {"&Help", {"&Contents", "----", "About"}},
        };
        const QList<QAction*> bar = form->menuBar()->actions();
        QCOMPARE(bar.size(), expected.size());
        for (qsizetype i = 0; i < bar.size(); ++i) {
            QCOMPARE(bar[i]->text(), expected[i].first);
            QStringList items;
            for (const QAction* menuItem : bar[i]->menu()->actions())
                items << asDrawn(menuItem);
            QCOMPARE(items, expected[i].second);
        }
    }

    void saveChangesIsAskedOnlyForChanges_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("written");
        QTest::newRow("new, yes, saved") << false << int(mrYes) << true << true;
        QTest::newRow("new, no") << false << int(mrNo) << true << false;
        QTest::newRow("new, cancel") << false << int(mrCancel) << false << false;
        QTest::newRow("named, yes") << true << int(mrYes) << true << true;
        QTest::newRow("named, no") << true << int(mrNo) << true << false;
        QTest::newRow("named, cancel") << true << int(mrCancel) << false << false;
    }

    void saveChangesIsAskedOnlyForChanges()
    {
        QFETCH(bool, named);
        QFETCH(int, answer);
        QFETCH(bool, goesOn);
        QFETCH(bool, written);
        const QString target = named ? path("named.txt") : path("chosen.txt");
        QFile::remove(target);
        if (named)
            openNamed(target, "old");
        type("new words");
        QCOMPARE(form->newDocument(), !named);

        answers->boxAnswers << answer;
        if (!named && answer == mrYes)
            answers->files << target;
        click("New1");

        QCOMPARE(answers->asked, QStringList{"Document has changed. Save changes?"});
        if (named)
            QCOMPARE(form->docName() == "New Document", goesOn);
        QCOMPARE(editor()->Text().isEmpty(), goesOn);
        if (written)
            QVERIFY(fileBytes(target).contains("new words"));
        else if (named)
            QCOMPARE(fileBytes(target), QByteArray("old"));
        else
            QVERIFY(!QFile::exists(target));
    }

    // Yes, then a save that is not made (its dialog cancelled, or the write
    // failing) cancels whatever asked, and the changes stay.
    void aSaveNotMadeCancelsTheOperation_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("saveFails");
        for (const char* operation : {"New1", "Open1", "drop", "close"}) {
            QTest::addRow("%s, dialog cancelled", operation) << QString(operation) << false;
            QTest::addRow("%s, save fails", operation) << QString(operation) << true;
        }
    }

    void aSaveNotMadeCancelsTheOperation()
    {
        QFETCH(QString, operation);
        QFETCH(bool, saveFails);
        writeFile(path("other.txt"), "other");
        type("precious");
        answers->boxAnswers << mrYes;
        answers->files << (saveFails ? std::optional<QString>(path("missing-dir/doc.txt")) : std::nullopt);
        answers->files << path("other.txt"); // for an open dialog, which must not come

        if (operation == "drop")
            dropOn(editor()->view(), uriListOf({path("other.txt")}));
        else if (operation == "close")
            QVERIFY(!form->close());
        else
            click(qPrintable(operation));

        QCOMPARE(answers->dialogsRun, 1);
        QCOMPARE(answers->asked.size(), saveFails ? 2 : 1);
        QCOMPARE(editor()->Text(), QString("precious"));
        QCOMPARE(form->docName(), QString("New Document"));
        QVERIFY(form->newDocument() && editor()->Modified());
        QVERIFY(form->isVisible());
    }

    void aCleanDocumentAsksNothing()
    {
        click("New1");
        openNamed(path("clean.txt"), "text");
        click("New1");
        QVERIFY(answers->asked.isEmpty());
        QCOMPARE(form->docName(), QString("New Document"));
        QVERIFY(form->newDocument());
    }

    void openSetsTheDocumentAndCancelKeepsIt()
    {
        answers->files << std::nullopt;
        click("Open1");
        QCOMPARE(form->docName(), QString("New Document"));
        openNamed(path("a.txt"), "line one\nline two");
        QCOMPARE(answers->lastDialog.initialDir, dir.path());
        QVERIFY(!form->newDocument());
        QCOMPARE(editor()->Lines(), QStringList({"line one", "line two"}));
        QCOMPARE(editor()->SelStart(), 0);
        QCOMPARE(panel(StatusPanel::Name), path("a.txt"));
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));
    }

    void saveWritesOnlyChangesAndSaveAsAlways()
    {
        answers->files << path("never.txt");
        click("Save1");
        QVERIFY(!QFile::exists(path("never.txt")));
        QCOMPARE(answers->dialogsRun, 0);
        answers->files.clear();

        type("first");
        answers->files << path("doc.txt");
        click("Save1");
        QCOMPARE(fileBytes(path("doc.txt")), QByteArray("first\n"));
        QCOMPARE(form->docName(), path("doc.txt"));
        QVERIFY(!form->newDocument());
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));

        type(" second");
        click("Save1");
        QCOMPARE(fileBytes(path("doc.txt")), QByteArray("first second\n"));
        QCOMPARE(answers->dialogsRun, 1);

        answers->files << path("copy.txt");
        click("SaveAs1");
        QCOMPARE(fileBytes(path("copy.txt")), QByteArray("first second\n"));
        QCOMPARE(form->docName(), path("copy.txt"));
    }

    void aFailedSaveKeepsTheDocumentAndShowsTheError()
    {
        type("precious");
        answers->files << path("missing-dir/doc.txt");
        click("Save1");
        QCOMPARE(answers->asked.size(), 1);
        QVERIFY(answers->asked[0].startsWith("Cannot create file"));
        QCOMPARE(form->docName(), QString("New Document"));
        QVERIFY(form->newDocument());
        QCOMPARE(panel(StatusPanel::State), QString("Modified"));
        QCOMPARE(editor()->Text(), QString("precious"));
    }

    void switchingToPlainTextAsksOnlyForNamedDocuments()
    {
        click("PlainText1"); // to rich text, never asks
        QVERIFY(!item("PlainText1")->isChecked());
        QCOMPARE(panel(StatusPanel::Mode), QString("Rich Text"));
        QVERIFY(partOf<QComboBox>(*form, "FontName")->isVisible());
        type("styled");
        editor()->SelectAll();
        editor()->SetSelFontSize(20);
        editor()->SetSelStyle(int(TFontStyle::Bold));
        click("PlainText1"); // new document: no question
        QVERIFY(answers->asked.isEmpty());
        QVERIFY(item("PlainText1")->isChecked());
        QVERIFY(editor()->Modified()); // the switch never changes the flag
        editor()->SelectAll();
        QCOMPARE(editor()->SelFontSize(), 10);
        QCOMPARE(editor()->SelFontName(), QString("Arial"));
        QCOMPARE(editor()->SelStyle(), 0);

        answers->boxAnswers << mrNo; // drop the changes
        openNamed(path("n.txt"), "named");
        answers->asked.clear();
        click("PlainText1");
        answers->boxAnswers << mrNo;
        click("PlainText1");
        QCOMPARE(answers->asked, QStringList{"All text formatting will be lost. Continue?"});
        QVERIFY(!item("PlainText1")->isChecked());
        answers->boxAnswers << mrYes;
        click("PlainText1");
        QVERIFY(item("PlainText1")->isChecked());
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));
    }

    void theModeDecidesTheFormatAndTheDialogFilters()
    {
        answers->files << std::nullopt << std::nullopt;
        click("SaveAs1");
        QCOMPARE(answers->lastDialog.filter, QString("Plain Text"));
        click("Open1");
        QVERIFY(answers->lastDialog.filter.startsWith("Plain Text(*.txt)|*.txt|"));

        click("PlainText1");
        type("rich");
        answers->files << path("r.txt"); // the extension does not choose the format
        click("SaveAs1");
        QCOMPARE(answers->lastDialog.filter, QString("Rich Text(*.rtf)|*.rtf"));
        QVERIFY(fileBytes(path("r.txt")).startsWith("{\\rtf"));
        answers->files << std::nullopt;
        click("Open1");
        QVERIFY(answers->lastDialog.filter.startsWith("Rich Text(*.rft)|*.rtf|"));
        QCOMPARE(answers->lastDialog.title, QString("Open"));
    }

    // RTF content switches the window to rich text first, from every path
    // that loads; the name and the filter never choose.
    void anRtfFileOpensInRichTextFromEveryPath_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("command line") << "command line";
        QTest::newRow("Open") << "Open1";
        QTest::newRow("drop") << "drop";
    }

    void anRtfFileOpensInRichTextFromEveryPath()
    {
        QFETCH(QString, way);
        const QString letter = path("letter.txt");
        writeFile(letter, "{\\rtf1 {\\b Dear} reader}");
        if (way == "command line") {
            form.reset();
            makeForm({letter});
        } else if (way == "drop") {
            dropOn(editor()->view(), uriListOf({letter}));
        } else {
            answers->files << letter;
            click("Open1");
        }
        QCOMPARE(editor()->Text(), QString("Dear reader"));
        QVERIFY(!item("PlainText1")->isChecked() && partOf<QComboBox>(*form, "FontName")->isVisible());
        QCOMPARE(panel(StatusPanel::Mode), QString("Rich Text"));
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));
        QCOMPARE(form->docName(), letter);

        type("My ");
        click("Save1");
        answers->files << letter;
        click("Open1");
        QCOMPARE(editor()->Text(), QString("My Dear reader"));
        openNamed(path("plain.rtf"), "plain words"); // stays in rich text
        QCOMPARE(panel(StatusPanel::Mode), QString("Rich Text"));
    }

    void aPlainFileOpensInTheCurrentMode()
    {
        openNamed(path("plain.rtf"), "{not rtf}");
        QCOMPARE(panel(StatusPanel::Mode), QString("Plain Text"));
        QCOMPARE(editor()->Text(), QString("{not rtf}"));
    }

    // Saving writes a file back as it was read; a character the file's
    // encoding lacks asks, naming the encoding, before anything is written.
    void aWindowsFileIsSavedBackByteForByte()
    {
        const QByteArray latin = "Caf\xE9 cr\xE8me\r\nPrice \x80 5\r\n";
        openNamed(path("latin.txt"), latin);
        QCOMPARE(panel(StatusPanel::Encoding), QString("windows-1252"));
        type("A ");
        click("Save1");
        QCOMPARE(fileBytes(path("latin.txt")), "A " + latin);
        QVERIFY(answers->asked.isEmpty());

        editor()->SetSelText(QString::fromUtf8("\xE2\x86\x92 ")); // an arrow
        answers->boxAnswers << mrNo;
        click("Save1");
        QCOMPARE(answers->asked, QStringList{"This text has characters that windows-1252 cannot hold. "
                                             "Save it as UTF-8 instead?"});
        QCOMPARE(fileBytes(path("latin.txt")), "A " + latin);
        QCOMPARE(panel(StatusPanel::State), QString("Modified"));
        answers->boxAnswers << mrYes;
        click("Save1");
        QCOMPARE(fileBytes(path("latin.txt")),
                 QByteArray("A \xE2\x86\x92 Caf\xC3\xA9 cr\xC3\xA8me\r\nPrice \xE2\x82\xAC 5\r\n"));
        QCOMPARE(panel(StatusPanel::Encoding), QString("UTF-8"));

        openNamed(path("latin.txt"), "Caf\xE9\r\n");
        click("New1");
        type("new");
        answers->files << path("new.txt");
        click("Save1");
        QCOMPARE(fileBytes(path("new.txt")), QByteArray("new\n"));
    }

    // A file read in the wrong encoding is read again in the right one, and
    // saved in another on request.
    void reopenAndSaveWithEncoding()
    {
        const QByteArray russian = "\xd0\xd2\xc9\xd7\xc5\xd4\n"; // "привет" in KOI8-R
        openNamed(path("ru.txt"), russian);
        click("ReopenIn_KOI8-R");
        QCOMPARE(editor()->Text(), QString::fromUtf8("привет"));
        QCOMPARE(panel(StatusPanel::Encoding), QString("KOI8-R"));
        click("SaveIn_windows-1251");
        QCOMPARE(fileBytes(path("ru.txt")), QByteArray("\xef\xf0\xe8\xe2\xe5\xf2\n"));
        QCOMPARE(panel(StatusPanel::Encoding), QString("windows-1251"));

        answers->boxAnswers << mrNo;
        click("SaveIn_ISO-8859-1");
        QCOMPARE(answers->asked, QStringList{"This text has characters that ISO-8859-1 cannot hold. "
                                             "Save it as UTF-8 instead?"});
        QCOMPARE(fileBytes(path("ru.txt")), QByteArray("\xef\xf0\xe8\xe2\xe5\xf2\n"));
        QCOMPARE(panel(StatusPanel::Encoding), QString("windows-1251"));
    }

    // A text of lines of 100 characters (line ends included).
    static QByteArray linesOf(qsizetype characters)
    {
        QByteArray text(characters, 'x');
        for (qsizetype end = 49; end < characters; end += 100)
            text[end] = '\n';
        return text;
    }

    // Refused input is explained; a longer file loads whole and says so.
    void theSizeLimitSaysWhyInTheStatusBar()
    {
        click("MaxSize10Meg1");
        openNamed(path("full.txt"), linesOf(1000000));
        editor()->view()->setFocus();
        editor()->SetSelStart(500);
        QApplication::clipboard()->setText("more");
        click("Paste1");
        QVERIFY(panel(StatusPanel::Font).startsWith("Size limit reached: at most 1"));
        QVERIFY(!editor()->Modified());
        editor()->SetSelStart(10);
        QCOMPARE(panel(StatusPanel::Font), QString("Arial"));
        QTest::keyClick(editor()->view(), Qt::Key_A);
        QVERIFY(panel(StatusPanel::Font).startsWith("Size limit reached"));

        openNamed(path("over.txt"), linesOf(1000001));
        QCOMPARE(editor()->TextLength(), 1000001);
        QVERIFY(panel(StatusPanel::Font).startsWith("Size limit exceeded: 1"));
    }

    // "Make these settings permanent" creates the key; the limit chosen
    // before stays chosen, and later choices go into the key.
    void theSizeLimitOutlivesTheSettingsKey()
    {
        click("MaxSize10Meg1");
        SettingsDialog::setAnswerer([](SettingsDialog& dialog) {
            dialog.keepDirectoriesButton->setChecked(true);
            return int(QDialog::Accepted);
        });
        click("Settings1");
        SettingsDialog::setAnswerer({});
        QVERIFY(TRegistry().KeyExists("\\Software\\Penvale"));
        form.reset();
        makeForm();
        QCOMPARE(editor()->MaxLength(), 1000000);
        click("MaxSize10Meg1");
        form.reset();
        makeForm();
        QCOMPARE(editor()->MaxLength(), 100000000);
    }

    void sizeLimitCaptionsFollowTheStoredValue_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("caption");
        QTest::newRow("none") << QString() << 0 << "Max Size - 1 Meg";
        QTest::newRow("100MB") << "100MB" << 100000000 << "Max Size - 1 Meg";
        QTest::newRow("1MB") << "1MB" << 1000000 << "Max Size - 100 Meg";
        QTest::newRow("other") << "lots" << 1000000 << "Max Size - 100 Meg";
    }

    void sizeLimitCaptionsFollowTheStoredValue()
    {
        QFETCH(QString, stored);
        QFETCH(int, limit);
        QFETCH(QString, caption);
        form.reset();
        if (!stored.isNull())
            writeDocMax(stored);
        makeForm();
        QCOMPARE(editor()->MaxLength(), limit);
        QCOMPARE(item("MaxSize10Meg1")->text(), caption);
    }

    void sizeLimitClicksAlternateAndStoreAtOnce()
    {
        click("MaxSize10Meg1");
        QCOMPARE(editor()->MaxLength(), 1000000);
        QCOMPARE(item("MaxSize10Meg1")->text(), QString("Max Size - 100 Meg"));
        QCOMPARE(TRegistry().ReadString("DocMax"), QString("1MB"));
        click("MaxSize10Meg1");
        QCOMPARE(editor()->MaxLength(), 100000000);
        QCOMPARE(TRegistry().ReadString("DocMax"), QString("100MB"));
    }

    // The switch leaves the document as it was: text, formats, name and the
    // modified flag, so closing still asks.
    void stayOnTopLeavesTheDocumentAlone()
    {
        click("PlainText1");
        type("kept bold");
        editor()->SetSelection(0, 4);
        editor()->SetSelStyle(int(TFontStyle::Bold));
        click("StayOnTop1");
        QVERIFY(form->stayOnTopActive() && item("StayOnTop1")->isChecked());
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        click("StayOnTop1");
        QVERIFY(!form->stayOnTopActive() && !item("StayOnTop1")->isChecked());
        QCOMPARE(editor()->Text(), QString("kept bold"));
        editor()->SetSelection(0, 4);
        QCOMPARE(editor()->SelStyle(), int(TFontStyle::Bold));
        QVERIFY(form->newDocument() && editor()->Modified());
        QCOMPARE(form->docName(), QString("New Document"));
        QCOMPARE(panel(StatusPanel::State), QString("Modified"));
        QVERIFY(!QFile::exists(path("doc.tmp")));
        answers->boxAnswers << mrCancel;
        QVERIFY(!form->close());
        QCOMPARE(answers->asked, QStringList{"Document has changed. Save changes?"});
    }

    void aCommandLineFileIsOpenedAtFirstShow()
    {
        form.reset();
        writeFile(path("arg.txt"), "from the command line");
        makeForm({path("arg.txt")});
        QCOMPARE(editor()->Text(), QString("from the command line"));
        QCOMPARE(form->docName(), path("arg.txt"));
        QVERIFY(!form->newDocument());
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));

        form.reset();
        makeForm({path("no-such-file.txt")});
        QCOMPARE(form->docName(), QString("New Document"));
        QCOMPARE(answers->asked,
                 QStringList{"Cannot open file \"" + path("no-such-file.txt") + "\". No such file or directory"});
    }

    void droppingLoadsTheFirstFileAskingForChanges()
    {
        type("unsaved");
        writeFile(path("d1.txt"), "one");
        writeFile(path("d2.txt"), "two");
        answers->boxAnswers << mrNo;
        dropOn(editor()->view(), uriListOf({path("d1.txt"), path("d2.txt"), path("d3.txt")}));
        QCOMPARE(answers->asked, QStringList{"Document has changed. Save changes?"});
        QCOMPARE(editor()->Text(), QString("one"));
        QCOMPARE(form->docName(), path("d1.txt"));
    }

    void closingFollowsTheProtocol()
    {
        type("unsaved");
        answers->boxAnswers << mrCancel;
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        answers->boxAnswers << mrNo;
        QVERIFY(form->close());
    }

    // A run that ends without closing, as a crash or a kill ends it, leaves
    // its unsaved text to the next start; a save then drops the copy.
    void unsavedChangesSurviveACrashWithTheirFormats()
    {
        form.reset();
        QDir(RecoveryFiles::folder()).removeRecursively();
        makeForm();
        click("PlainText1");
        type("plain ");
        click("Bold1");
        type("bold");
        const QString crashed = form->findChild<RecoveryFiles*>()->fileName();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(crashed), 2 * RecoveryFiles::writeDelayMs);
        const auto groupAndOthers = [](const QString& name) { return int(QFile::permissions(name)) & 0x77; };
        QCOMPARE(groupAndOthers(crashed), 0);
        QCOMPARE(groupAndOthers(RecoveryFiles::folder()), 0);
        form.reset();
        QVERIFY(QFile::exists(crashed));

        makeForm();
        answers->boxAnswers << mrYes;
        form->offerRecovery();
        QCOMPARE(answers->asked, QStringList{"Recover unsaved changes to New Document?"});
        QVERIFY(!QFile::exists(crashed));
        QCOMPARE(editor()->Text(), QString("plain bold"));
        QTextCursor inBold(editor()->document());
        inBold.setPosition(8);
        QCOMPARE(inBold.charFormat().fontWeight(), int(QFont::Bold));
        QCOMPARE(panel(StatusPanel::Mode), QString("Rich Text"));
        QCOMPARE(panel(StatusPanel::State), QString("Modified"));

        const QString restored = form->findChild<RecoveryFiles*>()->fileName();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(restored), 2 * RecoveryFiles::writeDelayMs);
        answers->files << path("kept.rtf");
        click("Save1");
        QVERIFY(!QFile::exists(restored));
    }

    // Another program writes or deletes the open file: Save asks before
    // overwriting, focus offers to reload, and a deleted file is written again.
    void changesOnDiskAreAskedAbout()
    {
        openNamed(path("shared.txt"), "ours\n");
        writeFile(path("shared.txt"), "theirs, longer\n");
        type("x");
        answers->boxAnswers << mrNo;
        click("Save1");
        QCOMPARE(answers->asked.size(), 1);
        QVERIFY(answers->asked[0].contains("was changed by another program: overwrite"));
        QCOMPARE(editor()->Text(), QString("theirs, longer"));
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));

        writeFile(path("shared.txt"), "theirs again\n");
        type("mine ");
        answers->boxAnswers << mrYes;
        click("Save1");
        QVERIFY(fileBytes(path("shared.txt")).startsWith("mine "));

        QFile::remove(path("shared.txt"));
        type("z");
        const qsizetype askedBefore = answers->asked.size();
        click("Save1");
        QCOMPARE(answers->asked.size(), askedBefore + 1);
        QVERIFY(answers->asked.last().contains("was deleted on disk"));
        QVERIFY(QFile::exists(path("shared.txt")));

        writeFile(path("shared.txt"), "from elsewhere\n");
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        answers->boxAnswers << mrYes;
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(answers->asked.last(), "\"" + path("shared.txt") + "\" was changed by another program. Reload it?");
        QCOMPARE(editor()->Text(), QString("from elsewhere"));
    }

    void diagnosticsAtDesignResolution()
    {
        if (form->screen()->logicalDotsPerInch() != 96)
            QSKIP("the screen is not at 96 pixels per inch");
        QCOMPARE(form->width(), 656);
        QTest::mouseDClick(form->statusBar(), Qt::LeftButton);
        QCOMPARE(panel(StatusPanel::Font), QString("Scr = 96; Form = 96  656"));
    }

    // A 144 dpi screen, as the desktop scales it (ctest runs this under
    // QT_SCALE_FACTOR=1.5).
    void diagnosticsAtTheScreensResolution()
    {
        if (form->screen()->devicePixelRatio() != 1.5)
            QSKIP("the screen is not scaled by 1.5");
        QTest::mouseDClick(form->statusBar(), Qt::LeftButton);
        QVERIFY2(panel(StatusPanel::Font).startsWith("Scr = 144;"), qPrintable(panel(StatusPanel::Font)));
    }

    // The help page is looked up beside the program; a desktop without a
    // viewer for it is said in a box that names the file.
    void helpThatCannotBeShownIsAClearError()
    {
        const QString helpFile = QCoreApplication::applicationDirPath() + "/Orvid.html";
        QFile::remove(helpFile);
        QStringList opened;
        Shell::SetOpener([&](const QString& f) {
            opened << f;
            return true;
        });
        click("Contents1");
        QCOMPARE(answers->asked, QStringList{QString("Cannot find the help file \"%1\".").arg(helpFile)});
        writeFile(helpFile, "<p>help</p>");
        click("Contents1");
        QCOMPARE(opened, QStringList{helpFile});

        Shell::SetOpener({}); // the desktop's opener, finding no viewer
        QDir().mkpath(path("bin"));
        writeFile(path("bin/xdg-open"), "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n");
        QFile::setPermissions(path("bin/xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray searchPath = qgetenv("PATH");
        qputenv("PATH", path("bin").toUtf8() + ':' + searchPath);
        answers->asked.clear();
        click("Contents1");
        QTRY_COMPARE(answers->asked, QStringList{QString("No program could show the help file \"%1\".").arg(helpFile)});
        qputenv("PATH", searchPath);
        QFile::remove(helpFile);
    }

    void aboutSwapsItsPanelOnDoubleClick()
    {
        AboutBox box(form.get());
        box.show();
        QCOMPARE(box.windowTitle(), QString("About Penvale"));
        QVERIFY(box.textPage->isVisible());
        QTest::mouseDClick(box.programIcon, Qt::LeftButton);
        QVERIFY(!box.textPage->isVisible());
        QVERIFY(box.acknowledgements->isVisible());
        QTest::mouseDClick(box.acknowledgements->viewport(), Qt::LeftButton);
        QVERIFY(box.textPage->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
