#include "toolkit/Exception.h"
#include "toolkit/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class RegistryTest : public QObject {
    Q_OBJECT
    QTemporaryDir config;

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QFile::remove(RegistryFileName());
    }

    void storeLivesUnderTheConfigDirectoryOwnerOnly()
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey("\\Software\\Penvale", true));
        reg.WriteString("Password", "secret");
        QVERIFY(RegistryFileName().startsWith(config.path()));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                        | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(RegistryFileName()).permissions() & others, QFile::Permissions());
    }

    void openWithoutCreateFailsForAMissingKeyAndStaysAtTheRoot()
    {
        TRegistry reg;
        QVERIFY(!reg.KeyExists("\\Software\\Penvale"));
        QVERIFY(!reg.OpenKey("\\Software\\Penvale", false));
        reg.WriteString("DocMax", "1MB");
        QVERIFY(!reg.KeyExists("\\Software\\Penvale"));
        TRegistry again;
        QCOMPARE(again.ReadString("DocMax"), QString("1MB"));
    }

    void aCreatedKeyExistsEvenWithoutValues()
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey("\\Software\\Penvale", true));
        reg.CloseKey();
        TRegistry again;
        QVERIFY(again.KeyExists("\\Software\\Penvale"));
        QVERIFY(again.OpenKey("\\Software\\Penvale", false));
        QVERIFY(!again.ValueExists("OpenDir"));
    }

    void stringsAndIntegersRoundTrip()
    {
        {
            TRegistry reg;
            reg.OpenKey("\\Software\\Penvale", true);
            reg.WriteString("Name", QString::fromUtf8("Zoë \"quoted\"; =x\\y"));
            reg.WriteInteger("Count", -42);
            reg.WriteBool("Flag", true);
        }
        TRegistry reg;
        QVERIFY(reg.OpenKey("\\Software\\Penvale", false));
        QCOMPARE(reg.ReadString("Name"), QString::fromUtf8("Zoë \"quoted\"; =x\\y"));
        QCOMPARE(reg.ReadInteger("Count"), -42);
        QVERIFY(reg.ReadBool("Flag"));
        QVERIFY(reg.ValueExists("Count"));
        QVERIFY(!reg.ValueExists("Other"));
    }

    void everyCharacterCodeSurvivesIncludingZero()
    {
        QString raw;
        for (int c = 0; c < 256; ++c)
            raw += QChar(c);
        {
            TRegistry reg;
            reg.OpenKey("\\Software\\Penvale", true);
            reg.WriteString("Raw", raw);
        }
        TRegistry reg;
        reg.OpenKey("\\Software\\Penvale", false);
        QCOMPARE(reg.ReadString("Raw"), raw);
    }

    void readingANonNumberAsIntegerIsAnError()
    {
        TRegistry reg;
        reg.OpenKey("\\Software\\Penvale", true);
        reg.WriteString("Text", "abc");
        QVERIFY_THROWS_EXCEPTION(ERegistryException, reg.ReadInteger("Text"));
    }

    void aValueThatCannotBeWrittenNamesItself()
    {
        QVERIFY(QDir().mkpath(RegistryFileName())); // a directory where the store should be
        TRegistry reg;
        try {
            reg.WriteString("SMTPServer", "x");
            QFAIL("no error");
        } catch (const ERegistryException& e) {
            QCOMPARE(e.Message, QString("Failed to set data for 'SMTPServer'"));
        }
        QDir(RegistryFileName()).removeRecursively();
    }

    void iniSectionsAreSubkeysWithDefaults()
    {
        TRegIniFile ini("Software\\Penvale\\mru");
        QCOMPARE(ini.ReadString("Files", "File1", "none"), QString("none"));
        QCOMPARE(ini.ReadInteger("Files", "Count", 7), 7);
        ini.WriteString("Files", "File1", "/tmp/a.txt");
        ini.WriteInteger("Files", "Count", 1);
        QCOMPARE(ini.ReadString("Files", "File1", "none"), QString("/tmp/a.txt"));
        QCOMPARE(ini.ReadInteger("Files", "Count", 7), 1);
        TRegistry reg;
        QVERIFY(reg.KeyExists("\\Software\\Penvale\\mru\\Files"));
        ini.EraseSection("Files");
        QCOMPARE(ini.ReadInteger("Files", "Count", 7), 7);
    }

    void fileTypesComeFromTheMimeDatabaseOrATestTable()
    {
        TRegistry types(HKEY_CLASSES_ROOT);
        QVERIFY(types.OpenKey(".txt", false));
        QCOMPARE(types.ReadString("Content Type"), QString("text/plain"));
        QVERIFY(!TRegistry(HKEY_CLASSES_ROOT).OpenKey(".no-such-extension-here", false));
        SetFileTypeTable(QHash<QString, QString>{{".abc", "application/x-abc"}});
        QCOMPARE(ContentTypeOfExtension("ABC"), QString("application/x-abc"));
        QCOMPARE(ContentTypeOfExtension(".txt"), QString());
        SetFileTypeTable(std::nullopt);
        QCOMPARE(ContentTypeOfExtension(".PNG"), QString("image/png"));
    }
};

int runRegistryTests(int argc, char** argv)
{
    RegistryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registry.moc"
