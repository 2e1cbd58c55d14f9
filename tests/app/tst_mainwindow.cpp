#include "Answers.h"
#include "FileDrops.h"
#include "FreshSettings.h"
#include "WindowParts.h"

#include "app/About.h"
#include "app/MainU.h"
#include "app/SettingsStore.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<TForm1> form;

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
        form = std::make_unique<TForm1>(args);
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
            {"&File", {"&New  Ctrl+N", "&Open  Ctrl+O", "&Save  Ctrl+S", "Save&As  Ctrl+A", "----",
                       "Send &Email  Ctrl+E", "&Retrieve Email  Ctrl+R", "----", "Pa&ge Setup  Ctrl+G",
                       "&Print  Ctrl+P", "----", "E&xit  Ctrl+Z"}},
            {"&Edit", {"&Cut  Ctrl+X", "Cop&y  Ctrl+C", "&Paste  Ctrl+V", "&Undo  Ctrl+U", "----", "&Find",
                       "&Replace"}},
            {"&Text Attributes", {"&Font  Ctrl+F  (grey)", "----", "&Bold  Ctrl+B  (grey)",
                                  "&Italicize  Ctrl+I  (grey)", "Under&line  Ctrl+L  (grey)", "----",
                                  "[x] &Plain Text Only"}},
            {"&Options", {"&Default Editor Width", "[ ] Default Width &Only", "[ ] Use &Page Setup Width",
                          "Max Size - 1 Meg", "----", "[x] &Word Wrap  Ctrl+W", "----", "[ ] Stay On &Top  Ctrl+T",
                          "Short Date &Format", "Start &Clock", "Start Ti&mer", "----", "&Settings"}},
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
        QTest::addColumn<bool>("dialogConfirms");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("written");
        QTest::newRow("new, yes, saved") << false << int(mrYes) << true << true << true;
        QTest::newRow("new, yes, dialog cancelled") << false << int(mrYes) << false << true << false;
        QTest::newRow("new, no") << false << int(mrNo) << false << true << false;
        QTest::newRow("new, cancel") << false << int(mrCancel) << false << false << false;
        QTest::newRow("named, yes") << true << int(mrYes) << false << true << true;
        QTest::newRow("named, no") << true << int(mrNo) << false << true << false;
        QTest::newRow("named, cancel") << true << int(mrCancel) << false << false << false;
    }

    void saveChangesIsAskedOnlyForChanges()
    {
        QFETCH(bool, named);
        QFETCH(int, answer);
        QFETCH(bool, dialogConfirms);
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
            answers->files << (dialogConfirms ? std::optional<QString>(target) : std::nullopt);
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
        QVERIFY(partOf<QComboBox>(*form, "FontName")->isVisible() && item("Bold1")->isEnabled());
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

    void stayOnTopKeepsTheTextAndClearsTheFlag()
    {
        click("StayOnTop1"); // empty document: no scratch file
        QVERIFY(form->stayOnTopActive() && item("StayOnTop1")->isChecked());
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!QFile::exists(path("doc.tmp")));

        click("PlainText1");
        type("kept bold");
        editor()->SetSelection(0, 4);
        editor()->SetSelStyle(int(TFontStyle::Bold));
        click("StayOnTop1");
        QVERIFY(!form->stayOnTopActive() && !item("StayOnTop1")->isChecked());
        QCOMPARE(editor()->Text(), QString("kept bold"));
        editor()->SetSelection(0, 4);
        QCOMPARE(editor()->SelStyle(), int(TFontStyle::Bold));
        QCOMPARE(panel(StatusPanel::State), QString("Unmodified"));
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
        QVERIFY(answers->asked.isEmpty());
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

    void diagnosticsAtDesignResolution()
    {
        if (form->screen()->logicalDotsPerInch() != 96)
            QSKIP("the screen is not at 96 pixels per inch");
        QCOMPARE(form->width(), 656);
        QTest::mouseDClick(form->statusBar(), Qt::LeftButton);
        QCOMPARE(panel(StatusPanel::Font), QString("Scr = 96; Form = 96  656"));
    }

    // The help page is looked up beside the program.
    void missingHelpIsAClearError()
    {
        const QString helpFile = QCoreApplication::applicationDirPath() + "/Orvid.html";
        QFile::remove(helpFile);
        QStringList opened;
        Shell::SetOpener([&](const QString& f) { opened << f; return true; });
        click("Contents1");
        QCOMPARE(answers->asked, QStringList{QString("Cannot find the help file \"%1\".").arg(helpFile)});
        writeFile(helpFile, "<p>help</p>");
        click("Contents1");
        QFile::remove(helpFile);
        Shell::SetOpener({});
        QCOMPARE(opened, QStringList{helpFile});
    }

    void aboutSwapsItsPanelOnDoubleClick()
    {
        TAboutBox box(form.get());
        box.show();
        QCOMPARE(box.windowTitle(), QString("About Penvale"));
        QVERIFY(box.Panel1->isVisible());
        QTest::mouseDClick(box.ProgramIcon, Qt::LeftButton);
        QVERIFY(!box.Panel1->isVisible());
        QVERIFY(box.Acknowledgements->isVisible());
        QTest::mouseDClick(box.Acknowledgements->viewport(), Qt::LeftButton);
        QVERIFY(box.Panel1->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
