#include "widgets/RecentFilesList.h"

#include "errorof.h"
#include "toolkit/Exception.h"
#include "toolkit/Registry.h"
#include "toolkit/gui/Prompter.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class RecentFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir config;
    std::unique_ptr<QMenu> menu;

    static constexpr const char* key = "Software\\Penvale\\mru";

    // A File menu of twelve items, as the main window has it.
    void makeMenu()
    {
        menu = std::make_unique<QMenu>();
        for (int i = 0; i < 12; ++i)
            menu->addAction(QString("item %1").arg(i));
    }

    std::unique_ptr<TMostRecentUsedList> makeList(int menuIndex = -1)
    {
        auto list = std::make_unique<TMostRecentUsedList>(nullptr);
        list->MenuToAttach = menu.get();
        list->RegistryKey = key;
        list->MenuIndex = menuIndex;
        list->Loaded();
        return list;
    }

    // The menu's captions from position from on; a separator reads "-".
    QStringList captions(int from = 12) const
    {
        QStringList texts;
        const QList<QAction*> items = menu->actions();
        for (int i = from; i < items.size(); ++i)
            texts << (items[i]->isSeparator() ? QString("-") : items[i]->text());
        return texts;
    }

    static QStringList stored()
    {
        const TRegIniFile ini(key);
        QStringList names;
        const int total = ini.ReadInteger("MRU", "Total", -1);
        for (int i = 0; i < total; ++i)
            names << ini.ReadString("MRU", QString::number(i), "?");
        return names;
    }

    static void store(const QString& total, int entries)
    {
        TRegIniFile ini(key);
        ini.WriteString("MRU", "Total", total);
        for (int i = 0; i < entries; ++i)
            ini.WriteString("MRU", QString::number(i), QString("/old/f%1.txt").arg(i));
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QFile::remove(RegistryFileName());
        makeMenu();
    }

    void keepsTheNewestAndStoresAtOnce()
    {
        auto list = makeList();
        for (int i = 1; i <= 6; ++i)
            list->AddFilename(QString("/docs/f%1.txt").arg(i));
        QCOMPARE(captions(), (QStringList{"-", "&1 f6.txt", "&2 f5.txt", "&3 f4.txt", "&4 f3.txt", "&5 f2.txt"}));
        QCOMPARE(stored(),
                 (QStringList{"/docs/f6.txt", "/docs/f5.txt", "/docs/f4.txt", "/docs/f3.txt", "/docs/f2.txt"}));
    }

    void aNameInOtherCapitalsMovesTheFirstSpelling()
    {
        auto list = makeList();
        list->AddFilename("/docs/Letter.txt");
        list->AddFilename("/docs/other.txt");
        list->AddFilename("/DOCS/LETTER.TXT");
        QCOMPARE(captions(), (QStringList{"-", "&1 Letter.txt", "&2 other.txt"}));
        QCOMPARE(stored(), (QStringList{"/docs/Letter.txt", "/docs/other.txt"}));
    }

    void theSeparatorAtMenuIndexComesWithTheFirstEntry()
    {
        auto list = makeList(10);
        QCOMPARE(captions(10), (QStringList{"item 10", "item 11"}));
        list->AddFilename("/docs/a.txt");
        QCOMPARE(captions(10), (QStringList{"-", "&1 a.txt", "item 10", "item 11"}));
        list->AddFilename("/docs/b.txt");
        QCOMPARE(captions(10), (QStringList{"-", "&1 b.txt", "&2 a.txt", "item 10", "item 11"}));
    }

    void storedTotal_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("afterAdding");
        QTest::newRow("seven, above MaxEntries") << "7" << 7 << 7;
        QTest::newRow("hexadecimal") << "0x3" << 3 << 4;
        QTest::newRow("not a number") << "many" << 0 << 1;
    }

    // Loading keeps every stored entry; the next name added trims one.
    void storedTotal()
    {
        QFETCH(QString, total);
        QFETCH(int, shown);
        QFETCH(int, afterAdding);
        store(total, 7);
        auto list = makeList();
        QCOMPARE(captions().size(), shown ? shown + 1 : 0);
        list->AddFilename("/docs/new.txt");
        QCOMPARE(captions().size(), afterAdding + 1);
        QCOMPARE(captions().at(1), QString("&1 new.txt"));
    }

    void aDamagedTotalLoadsABoundedList()
    {
        store("2147483647", 0);
        auto list = makeList();
        QCOMPARE(captions().size(), 101);
    }

    void aMissingEntryReadsAsAnEmptyName()
    {
        store("2", 1);
        auto list = makeList();
        QCOMPARE(captions(), (QStringList{"-", "&1 f0.txt", "&2 "}));
    }

    void clickReportsTheNameThenMovesIt()
    {
        auto list = makeList();
        list->AddFilename("/docs/a.txt");
        list->AddFilename("/docs/b.txt");
        QStringList reported;
        list->OnSelectFilename = [&](QObject* sender, const QString& name) {
            QCOMPARE(sender, list.get());
            QCOMPARE(captions().at(1), QString("&1 b.txt")); // not moved yet
            reported << name;
        };
        menu->actions().at(14)->trigger();
        QCOMPARE(reported, QStringList{"/docs/a.txt"});
        QCOMPARE(captions(), (QStringList{"-", "&1 a.txt", "&2 b.txt"}));
        QCOMPARE(stored(), (QStringList{"/docs/a.txt", "/docs/b.txt"}));
    }

    void aFailingSelectionLeavesTheEntry()
    {
        auto list = makeList();
        list->AddFilename("/docs/a.txt");
        list->AddFilename("/docs/b.txt");
        list->OnSelectFilename = [](QObject*, const QString&) { throw Exception("gone"); };
        QStringList shown;
        Prompter::SetAnswerer([&](const Prompter::Prompt& box) {
            shown << box.text;
            return int(mrOk);
        });
        menu->actions().at(14)->trigger();
        Prompter::SetAnswerer({});
        QCOMPARE(shown, QStringList{"gone"});
        QCOMPARE(captions(), (QStringList{"-", "&1 b.txt", "&2 a.txt"}));
    }

    void captionStyles()
    {
        auto list = makeList();
        list->FilenameStyle = dsFull;
        list->AddFilename("/docs/Tom & Jerry.txt");
        QCOMPARE(captions().at(1), QString("&1 /docs/Tom && Jerry.txt"));
        list->OnDrawFilename = [](QObject*, int index, QString& name) {
            name = QString("#%1 %2").arg(index).arg(name);
        };
        list->AddFilename("/docs/b.txt");
        QCOMPARE(captions(), (QStringList{"-", "#1 /docs/b.txt", "#2 /docs/Tom & Jerry.txt"}));
    }

    void needsItsMenu()
    {
        TMostRecentUsedList list(nullptr);
        const QString expected = "MenuToAttach have to be assigned before";
        QCOMPARE(errorOf([&] { list.Loaded(); }), expected);
        QCOMPARE(errorOf([&] { list.AddFilename("/docs/a.txt"); }), expected);
    }
};

QTEST_MAIN(RecentFilesTest)
#include "tst_recent_files.moc"
