#include "Answers.h"
#include "FreshSettings.h"

#include "app/About.h"
#include "app/MainU.h"
#include "app/SettingsStore.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/Shell.h"

#include <QAction>
#include <QComboBox>
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

    // A user edit: typed text sets the modified flag.
    void type(const QString& text)
    {
        form->RichEdit1->view()->setFocus();
        QTest::keyClicks(form->RichEdit1->view(), text);
        QVERIFY(form->RichEdit1->Modified());
    }

    void openNamed(const QString& name, const QByteArray& content)
    {
        writeFile(name, content);
        answers->files << name;
        form->Open1Click();
        QCOMPARE(form->docName, name);
    }

    QString panel(int i) const { return form->StatusPanels[i]->text(); }

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
        QCOMPARE(form->docName, QString("New Document"));
        QVERIFY(form->newDocument);
        QVERIFY(form->PlainText1->isChecked());
        QVERIFY(!form->Panel3->isVisible());
        QCOMPARE(form->getDocState(), 0);
        QCOMPARE(panel(2), QString("Plain Text"));
        QCOMPARE(panel(3), QString("New Document"));
        QCOMPARE(panel(4), QString("Unmodified"));
        QCOMPARE(panel(0), QString("Arial"));
        QCOMPARE(panel(1), QString("10"));
        QVERIFY(form->WordWrap1->isChecked());
        QVERIFY(!form->Font1->isEnabled() && !form->FontName->isVisible());
    }

    void menusCarryTheirCaptionsShortcutsAndSeparators()
    {
        QStringList shape;
        for (QAction* menu : form->menuBar()->actions()) {
            shape << menu->text() + ":";
            for (QAction* item : menu->menu()->actions())
                shape << (item->isSeparator() ? QString("-") : item->text() + " " + item->shortcut().toString());
        }
        const QStringList expected = {
            "&File:", "&New Ctrl+N", "&Open Ctrl+O", "&Save Ctrl+S", "Save&As Ctrl+A", "-",
            "Send &Email Ctrl+E", "&Retrieve Email Ctrl+R", "-", "Pa&ge Setup Ctrl+G", "&Print Ctrl+P", "-",
            "E&xit Ctrl+Z",
            "&Edit:", "&Cut Ctrl+X", "Cop&y Ctrl+C", "&Paste Ctrl+V", "&Undo Ctrl+U", "-", "&Find ", "&Replace ",
            "&Text Attributes:", "&Font Ctrl+F", "-", "&Bold Ctrl+B", "&Italicize Ctrl+I", "Under&line Ctrl+L", "-",
            "&Plain Text Only ",
            "&Options:", "&Default Editor Width ", "Default Width &Only ", "Use &Page Setup Width ",
            "Max Size - 1 Meg ", "-", "&Word Wrap Ctrl+W", "-", "Stay On &Top Ctrl+T", "Short Date &Format ",
            "Start &Clock ", "Start Ti&mer ", "-", "&Settings ",
            "&Help:", "&Contents ", "-", "About ",
        };
        QCOMPARE(shape, expected);
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
        QCOMPARE(form->getDocState(), named ? 2 : 1);

        answers->boxAnswers << answer;
        if (!named && answer == mrYes)
            answers->files << (dialogConfirms ? std::optional<QString>(target) : std::nullopt);
        form->New1Click();

        QCOMPARE(answers->asked, QStringList{"Document has changed. Save changes?"});
        if (named)
            QCOMPARE(form->docName == "New Document", goesOn);
        QCOMPARE(form->RichEdit1->Text().isEmpty(), goesOn);
        if (written)
            QVERIFY(fileBytes(target).contains("new words"));
        else if (named)
            QCOMPARE(fileBytes(target), QByteArray("old"));
        else
            QVERIFY(!QFile::exists(target));
    }

    void aCleanDocumentAsksNothing()
    {
        form->New1Click();
        openNamed(path("clean.txt"), "text");
        form->New1Click();
        QVERIFY(answers->asked.isEmpty());
        QCOMPARE(form->docName, QString("New Document"));
        QVERIFY(form->newDocument);
    }

    void openSetsTheDocumentAndCancelKeepsIt()
    {
        answers->files << std::nullopt;
        form->Open1Click();
        QCOMPARE(form->docName, QString("New Document"));
        openNamed(path("a.txt"), "line one\nline two");
        QCOMPARE(answers->lastDialogInitialDir, dir.path());
        QVERIFY(!form->newDocument);
        QCOMPARE(form->RichEdit1->Lines(), QStringList({"line one", "line two"}));
        QCOMPARE(form->RichEdit1->SelStart(), 0);
        QCOMPARE(panel(3), path("a.txt"));
        QCOMPARE(panel(4), QString("Unmodified"));
    }

    void saveWritesOnlyChangesAndSaveAsAlways()
    {
        answers->files << path("never.txt");
        form->Save1Click();
        QVERIFY(!QFile::exists(path("never.txt")));
        QCOMPARE(answers->dialogsRun, 0);
        answers->files.clear();

        type("first");
        answers->files << path("doc.txt");
        form->Save1Click();
        QCOMPARE(fileBytes(path("doc.txt")), QByteArray("first\n"));
        QCOMPARE(form->docName, path("doc.txt"));
        QVERIFY(!form->newDocument);
        QCOMPARE(panel(4), QString("Unmodified"));

        type(" second");
        form->Save1Click();
        QCOMPARE(fileBytes(path("doc.txt")), QByteArray("first second\n"));
        QCOMPARE(answers->dialogsRun, 1);

        answers->files << path("copy.txt");
        form->SaveAs1Click();
        QCOMPARE(fileBytes(path("copy.txt")), QByteArray("first second\n"));
        QCOMPARE(form->docName, path("copy.txt"));
    }

    void aFailedSaveKeepsTheDocumentAndShowsTheError()
    {
        type("precious");
        answers->files << path("missing-dir/doc.txt");
        form->Save1->trigger();
        QCOMPARE(answers->asked.size(), 1);
        QVERIFY(answers->asked[0].startsWith("Cannot create file"));
        QCOMPARE(form->docName, QString("New Document"));
        QCOMPARE(form->getDocState(), 1);
        QCOMPARE(form->RichEdit1->Text(), QString("precious"));
    }

    void switchingToPlainTextAsksOnlyForNamedDocuments()
    {
        form->PlainText1Click(); // to rich text, never asks
        QVERIFY(!form->PlainText1->isChecked());
        QCOMPARE(panel(2), QString("Rich Text"));
        QVERIFY(form->FontName->isVisible() && form->Bold1->isEnabled());
        type("styled");
        form->RichEdit1->SelectAll();
        form->RichEdit1->SetSelFontSize(20);
        form->RichEdit1->SetSelStyle(int(TFontStyle::Bold));
        form->PlainText1Click(); // new document: no question
        QVERIFY(answers->asked.isEmpty());
        QVERIFY(form->PlainText1->isChecked());
        QVERIFY(form->RichEdit1->Modified()); // the switch never changes the flag
        form->RichEdit1->SelectAll();
        QCOMPARE(form->RichEdit1->SelFontSize(), 10);
        QCOMPARE(form->RichEdit1->SelFontName(), QString("Arial"));
        QCOMPARE(form->RichEdit1->SelStyle(), 0);

        answers->boxAnswers << mrNo; // drop the changes
        openNamed(path("n.txt"), "named");
        answers->asked.clear();
        form->PlainText1Click();
        answers->boxAnswers << mrNo;
        form->PlainText1Click();
        QCOMPARE(answers->asked, QStringList{"All text formatting will be lost. Continue?"});
        QVERIFY(!form->PlainText1->isChecked());
        answers->boxAnswers << mrYes;
        form->PlainText1Click();
        QVERIFY(form->PlainText1->isChecked());
        QCOMPARE(form->getDocState(), 0);
    }

    void theModeDecidesTheFormatAndTheDialogFilters()
    {
        QCOMPARE(form->SaveDialog1->Filter, QString("Plain Text"));
        QVERIFY(form->OpenDialog1->Filter.startsWith("Plain Text(*.txt)|*.txt|"));
        form->PlainText1Click();
        QCOMPARE(form->SaveDialog1->Filter, QString("Rich Text(*.rtf)|*.rtf"));
        QVERIFY(form->OpenDialog1->Filter.startsWith("Rich Text(*.rft)|*.rtf|"));
        QCOMPARE(form->OpenDialog1->Title, QString("Open"));
        type("rich");
        answers->files << path("r.txt"); // the extension does not choose the format
        form->SaveAs1Click();
        QVERIFY(fileBytes(path("r.txt")).startsWith("{\\rtf"));
        form->resetOpenDialog("Attachments");
        QCOMPARE(form->OpenDialog1->Filter, QString("All Files|*.*"));
        QCOMPARE(form->OpenDialog1->Title, QString("Attachments"));
        form->resetOpenDialog("nonsense");
        QCOMPARE(form->OpenDialog1->Title, QString("Attachments"));
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
        QCOMPARE(form->RichEdit1->MaxLength(), limit);
        QCOMPARE(form->MaxSize10Meg1->text(), caption);
    }

    void sizeLimitClicksAlternateAndStoreAtOnce()
    {
        form->MaxSize10Meg1Click();
        QCOMPARE(form->RichEdit1->MaxLength(), 1000000);
        QCOMPARE(form->MaxSize10Meg1->text(), QString("Max Size - 100 Meg"));
        QCOMPARE(TRegistry().ReadString("DocMax"), QString("1MB"));
        form->MaxSize10Meg1Click();
        QCOMPARE(form->RichEdit1->MaxLength(), 100000000);
        QCOMPARE(TRegistry().ReadString("DocMax"), QString("100MB"));
    }

    void stayOnTopKeepsTheTextAndClearsTheFlag()
    {
        form->StayOnTop1Click(); // empty document: no scratch file
        QVERIFY(form->stayOnTopActive && form->StayOnTop1->isChecked());
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!QFile::exists(path("doc.tmp")));

        form->PlainText1Click();
        type("kept bold");
        form->RichEdit1->SetSelection(0, 4);
        form->RichEdit1->SetSelStyle(int(TFontStyle::Bold));
        form->StayOnTop1Click();
        QVERIFY(!form->stayOnTopActive && !form->StayOnTop1->isChecked());
        QCOMPARE(form->RichEdit1->Text(), QString("kept bold"));
        form->RichEdit1->SetSelection(0, 4);
        QCOMPARE(form->RichEdit1->SelStyle(), int(TFontStyle::Bold));
        QCOMPARE(panel(4), QString("Unmodified"));
    }

    void aCommandLineFileIsOpenedAtFirstShow()
    {
        form.reset();
        writeFile(path("arg.txt"), "from the command line");
        makeForm({path("arg.txt")});
        QCOMPARE(form->RichEdit1->Text(), QString("from the command line"));
        QCOMPARE(form->docName, path("arg.txt"));
        QVERIFY(!form->newDocument);
        QCOMPARE(form->getDocState(), 0);

        form.reset();
        makeForm({path("no-such-file.txt")});
        QCOMPARE(form->docName, QString("New Document"));
        QVERIFY(answers->asked.isEmpty());
    }

    void droppingLoadsTheFirstFileWithoutAsking()
    {
        type("unsaved");
        writeFile(path("d1.txt"), "one");
        writeFile(path("d2.txt"), "two");
        form->FileDrop1Drop({path("d1.txt"), path("d2.txt"), path("d3.txt")});
        QVERIFY(answers->asked.isEmpty());
        QCOMPARE(form->RichEdit1->Text(), QString("one"));
        QCOMPARE(form->docName, path("d1.txt"));
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
        QTest::mouseDClick(form->StatusPanels[0], Qt::LeftButton);
        QCOMPARE(panel(0), QString("Scr = 96; Form = 96  656"));
    }

    void missingHelpIsAClearError()
    {
        QStringList opened;
        Shell::SetOpener([&](const QString& f) { opened << f; return true; });
        form->helpFile = path("absent.html");
        form->Contents1->trigger();
        QCOMPARE(answers->asked.size(), 1);
        QVERIFY(answers->asked[0].contains("absent.html"));
        writeFile(path("help.html"), "<p>help</p>");
        form->helpFile = path("help.html");
        form->Contents1->trigger();
        QCOMPARE(opened, QStringList{path("help.html")});
        Shell::SetOpener({});
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
