// The main window's recent-files list and the files dropped on its editor.
#include "Answers.h"
#include "FileDrops.h"
#include "FreshSettings.h"
#include "WindowParts.h"

#include "app/MainWindow.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/RichEdit.h"
#include "toolkit/gui/RichEditFileNames.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

class MainFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<MainWindow> form;

    QString path(const QString& name) const { return dir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    void makeForm()
    {
        form = std::make_unique<MainWindow>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    TRichEdit* editor() const { return partOf<TRichEdit>(*form, "RichEdit1"); }
    QMenu* fileMenu() const { return form->menuBar()->actions().first()->menu(); }

    // The File menu from item 12 on, as drawn; a separator reads "-".
    QStringList fileMenuTail() const
    {
        QStringList texts;
        const QList<QAction*> items = fileMenu()->actions();
        for (qsizetype i = 12; i < items.size(); ++i)
            texts << (items[i]->isSeparator() ? QString("-") : items[i]->text());
        return texts;
    }

    void open(const QString& name)
    {
        answers->files << path(name);
        trigger(*form, "Open1");
    }

    void typeChange()
    {
        editor()->view()->setFocus();
        QTest::keyClicks(editor()->view(), "changed");
    }

private slots:
    void init()
    {
        UseFreshSettings(dir.filePath("config"));
        answers = std::make_unique<Answers>();
        makeForm();
        for (const char* name : {"a.txt", "b.txt"})
            writeFile(name, QByteArray("text of ") + name);
    }

    void cleanup()
    {
        form.reset();
        answers.reset();
    }

    void openAndSaveAsAreListedAfterPrintAndKept()
    {
        QCOMPARE(fileMenuTail(), (QStringList{"-", "E&xit"}));
        open("a.txt");
        answers->files << path("saved.txt");
        trigger(*form, "SaveAs1");
        typeChange();
        trigger(*form, "Save1");
        QCOMPARE(fileMenuTail(), (QStringList{"-", "&1 saved.txt", "&2 a.txt", "-", "E&xit"}));
        QCOMPARE(TRegIniFile("Software\\Penvale\\mru").ReadString("MRU", "0", {}), path("saved.txt"));

        form.reset();
        makeForm();
        QCOMPARE(fileMenuTail(), (QStringList{"-", "&1 saved.txt", "&2 a.txt", "-", "E&xit"}));
    }

    void aRecentFileOpensAfterTheQuestionAndMovesUp()
    {
        open("a.txt");
        open("b.txt");
        typeChange();
        answers->boxAnswers << mrNo;
        fileMenu()->actions().at(14)->trigger();
        QCOMPARE(answers->asked, QStringList{"Document has changed. Save changes?"});
        QCOMPARE(editor()->Text(), QString("text of a.txt"));
        QCOMPARE(form->docName(), path("a.txt"));
        QCOMPARE(fileMenuTail().mid(1, 2), (QStringList{"&1 a.txt", "&2 b.txt"}));
    }

    // A file named on the command line opens whatever bytes its name holds,
    // and saves to the same file.
    void theCommandLineOpensAnyName()
    {
        const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xE9.txt"; // Latin-1, not UTF-8
        FILE* file = std::fopen(name.constData(), "w");
        QVERIFY(file);
        std::fputs("latin name", file);
        std::fclose(file);
        const char* argv[] = {"penvale", name.constData()};
        form = std::make_unique<MainWindow>(RichEditFileNames::commandLine(2, argv));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(editor()->Text(), QString("latin name"));
        typeChange();
        trigger(*form, "Save1");
        file = std::fopen(name.constData(), "r");
        QVERIFY(file);
        char content[32] = {};
        std::fread(content, 1, sizeof content - 1, file);
        std::fclose(file);
        QCOMPARE(QByteArray(content), QByteArray("changedlatin name"));
        QVERIFY(answers->asked.isEmpty());
    }

    void aDropThatIsNoReadableFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("uris");
        QTest::addColumn<QString>("named");
        QTest::newRow("missing file") << uriListOf({path("gone.txt")}) << path("gone.txt");
        QTest::newRow("folder") << uriListOf({dir.path()}) << dir.path();
        QTest::newRow("web address") << QByteArray("https://example.org/a.txt\r\n") << "https://example.org/a.txt";
    }

    void aDropThatIsNoReadableFileChangesNothing()
    {
        QFETCH(QByteArray, uris);
        QFETCH(QString, named);
        typeChange();
        dropOn(editor()->view(), uris);
        QCOMPARE(answers->asked.size(), 1); // the open error alone: no question about the changes
        QVERIFY2(answers->asked.first().startsWith("Cannot open file \"" + named + "\"."),
                 qPrintable(answers->asked.first()));
        QCOMPARE(editor()->Text(), QString("changed"));
        QCOMPARE(form->docName(), QString("New Document"));
        QVERIFY(editor()->Modified());
    }
};

QTEST_MAIN(MainFilesTest)
#include "tst_main_files.moc"
