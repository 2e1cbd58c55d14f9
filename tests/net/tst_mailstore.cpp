// The local mail store's allocation of numbered message files.
#include "mail/msstore.h"
#include "toolkit/Exception.h"
#include "toolkit/Streams.h"

#include <QTemporaryDir>
#include <QtTest>

class TestMailStore : public QObject {
    Q_OBJECT

private slots:
    void numbersFromZeroAndCountsUp()
    {
        QTemporaryDir temp;
        const QString dir = temp.filePath(QStringLiteral("new/mail"));   // made when first used
        QCOMPARE(MailStore::NextSavedMail(dir), dir + QStringLiteral("/m0.eml"));
        QCOMPARE(ReadWholeFile(dir + QStringLiteral("/emax.dat")), QByteArray("1\r\n"));
        QCOMPARE(MailStore::NextSavedMail(dir), dir + QStringLiteral("/m1.eml"));
        QCOMPARE(MailStore::NextCopyToSelf(dir), dir + QStringLiteral("/cm0.eml"));
        QCOMPARE(ReadWholeFile(dir + QStringLiteral("/copymax.dat")), QByteArray("1\r\n"));
        QCOMPARE(ReadWholeFile(dir + QStringLiteral("/emax.dat")), QByteArray("2\r\n"));
        QVERIFY(!QFile::exists(dir + QStringLiteral("/m0.eml")));   // the caller writes the message
    }

    void counterTakenAsWritten_data()
    {
        QTest::addColumn<QByteArray>("counter");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("next");
        QTest::newRow("line end LF") << QByteArray("7\n") << "m7.eml" << QByteArray("8\r\n");
        QTest::newRow("no line end") << QByteArray("41") << "m41.eml" << QByteArray("42\r\n");
        QTest::newRow("leading zero") << QByteArray("05\r\n") << "m05.eml" << QByteArray("6\r\n");
        QTest::newRow("more lines") << QByteArray("3\r\nold\r\n") << "m3.eml" << QByteArray("4\r\n");
    }
    void counterTakenAsWritten()
    {
        QFETCH(QByteArray, counter);
        QFETCH(QString, file);
        QFETCH(QByteArray, next);
        QTemporaryDir dir;
        WriteWholeFile(dir.filePath(QStringLiteral("emax.dat")), counter);
        QCOMPARE(MailStore::NextSavedMail(dir.path()), dir.filePath(file));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("emax.dat"))), next);
    }

    // Nothing is allocated and the counter stays as it was.
    void counterThatIsNoNumber_data()
    {
        QTest::addColumn<QByteArray>("counter");
        QTest::newRow("text") << QByteArray("abc\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("negative") << QByteArray("-1\r\n");
        QTest::newRow("path") << QByteArray("../x\r\n");
        QTest::newRow("too large") << QByteArray("99999999999999999999999\r\n");
    }
    void counterThatIsNoNumber()
    {
        QFETCH(QByteArray, counter);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("emax.dat"));
        WriteWholeFile(path, counter);
        try {
            MailStore::NextSavedMail(dir.path());
            QFAIL("no error");
        } catch (const EConvertError& e) {
            QVERIFY2(e.Message.startsWith(QStringLiteral("The mail store counter ") + path + " does not hold a number"),
                     qPrintable(e.Message));
        }
        QCOMPARE(ReadWholeFile(path), counter);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"emax.dat"}));
    }

    void directoryThatCannotBeMade()
    {
        QTemporaryDir dir;
        WriteWholeFile(dir.filePath(QStringLiteral("file")), "x");
        QVERIFY_THROWS_EXCEPTION(EFCreateError, MailStore::NextSavedMail(dir.filePath(QStringLiteral("file/sub"))));
    }
};

QTEST_GUILESS_MAIN(TestMailStore)
#include "tst_mailstore.moc"
