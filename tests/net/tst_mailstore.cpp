// The local mail store: numbered message files that never replace another
// and are never left cut short.
#include "mail/model/message.h"
#include "mail/store/mail_store.h"
#include "mail/store/store_listing.h"
#include "toolkit/Exception.h"
#include "toolkit/Streams.h"

#include <QTemporaryDir>
#include <QtTest>


#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void fill(TmsMessage& message, qsizetype lines)
{
    message.Sender().SetAddress("me@here.test");
    message.SetSubject("Stored");
    for (qsizetype i = 0; i < lines; ++i)
        message.Body().append(QByteArray(70, 'x'));
}

QString store(const QString& directory, const MailStore::TStoreKind& kind = MailStore::SavedMail, qsizetype lines = 1)
{
    TmsMessage message;
    fill(message, lines);
    return MailStore::WriteMessageFile(directory, kind, message);
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The subjects of the rows a listing shows.
QStringList listed(const QString& directory)
{
    QStringList subjects;
    MailStore::ListStore(directory, MailStore::SavedMail,
                         [&](const MailStore::TListedMessage& row) { subjects << QString::fromUtf8(row.subject); });
    return subjects;
}

// A writer that dies as a crash ends it, with one group on disk and two
// messages written after it, before their sync.
void crashWhileWriting(const QString& directory)
{
    const pid_t child = ::fork();
    if (child == 0) {
        TmsMessage message;
        fill(message, 1);
        MailStore::TStoreWriter writer(directory, MailStore::SavedMail);
        writer.Write(message);
        writer.Sync();
        writer.Write(message);
        writer.Write(message);
        ::_exit(0); // no destructor runs
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

} // namespace

class TestMailStore : public QObject {
    Q_OBJECT

private slots:
    void numbersFromZeroAndCountsUp()
    {
        QTemporaryDir temp;
        const QString dir = temp.filePath(QStringLiteral("new/mail")); // made when first used
        QCOMPARE(store(dir), dir + QStringLiteral("/m0.eml"));
        QCOMPARE(ReadWholeFile(dir + QStringLiteral("/emax.dat")), QByteArray("1\r\n"));
        QVERIFY(ReadWholeFile(dir + QStringLiteral("/m0.eml")).contains("Stored"));
        QCOMPARE(store(dir), dir + QStringLiteral("/m1.eml"));
        QCOMPARE(store(dir, MailStore::CopiesToSelf), dir + QStringLiteral("/cm0.eml"));
        QCOMPARE(ReadWholeFile(dir + QStringLiteral("/copymax.dat")), QByteArray("1\r\n"));
        QCOMPARE(entries(dir), QStringList({"cm0.eml", "copymax.dat", "emax.dat", "m0.eml", "m1.eml"}));
    }

    // The counter names the file when nothing holds that name; an existing
    // file or link is skipped, never replaced or followed.
    void takesTheFirstFreeNumber_data()
    {
        QTest::addColumn<QByteArray>("counter"); // "none": no counter file
        QTest::addColumn<QStringList>("taken");  // "name>" is a link to a missing file
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("next");
        QTest::newRow("line end LF") << QByteArray("7\n") << QStringList() << "m7.eml" << QByteArray("8\r\n");
        QTest::newRow("no line end") << QByteArray("41") << QStringList() << "m41.eml" << QByteArray("42\r\n");
        QTest::newRow("leading zero") << QByteArray("05\r\n") << QStringList() << "m05.eml" << QByteArray("6\r\n");
        QTest::newRow("more lines") << QByteArray("3\r\nold\r\n") << QStringList() << "m3.eml" << QByteArray("4\r\n");
        QTest::newRow("counter lost") << QByteArray("none") << QStringList({"m0.eml"}) << "m1.eml"
                                      << QByteArray("2\r\n");
        QTest::newRow("counter behind") << QByteArray("1\r\n") << QStringList({"m1.eml", "m2.eml"}) << "m3.eml"
                                        << QByteArray("4\r\n");
        QTest::newRow("leading zero taken")
            << QByteArray("05\r\n") << QStringList({"m05.eml"}) << "m6.eml" << QByteArray("7\r\n");
        QTest::newRow("dangling link") << QByteArray("none") << QStringList({"m0.eml>"}) << "m1.eml"
                                       << QByteArray("2\r\n");
    }
    void takesTheFirstFreeNumber()
    {
        QFETCH(QByteArray, counter);
        QFETCH(QStringList, taken);
        QFETCH(QString, file);
        QFETCH(QByteArray, next);
        QTemporaryDir dir;
        if (counter != "none")
            WriteWholeFile(dir.filePath(QStringLiteral("emax.dat")), counter);
        for (QString name : std::as_const(taken)) {
            if (name.endsWith(QLatin1Char('>')))
                QVERIFY(QFile::link(dir.filePath(QStringLiteral("planted")), dir.filePath(name.chopped(1))));
            else
                WriteWholeFile(dir.filePath(name), "kept " + name.toUtf8());
        }
        QCOMPARE(store(dir.path()), dir.filePath(file));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("emax.dat"))), next);
        for (const QString& name : std::as_const(taken))
            if (!name.endsWith(QLatin1Char('>')))
                QCOMPARE(ReadWholeFile(dir.filePath(name)), "kept " + name.toUtf8());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("planted"))));
    }

    // Nothing is stored and the counter stays as it was.
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
            store(dir.path());
            QFAIL("no error");
        } catch (const EConvertError& e) {
            QVERIFY2(e.Message.startsWith(QStringLiteral("The mail store counter ") + path + " does not hold a number"),
                     qPrintable(e.Message));
        }
        QCOMPARE(ReadWholeFile(path), counter);
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat"}));
    }

    // A group takes its numbers as it is written, each file empty until the
    // sync; a group never synced leaves nothing, the counter as it was.
    void writerPutsAGroupOnDiskAtOnce()
    {
        QTemporaryDir dir;
        TmsMessage message;
        fill(message, 3);
        store(dir.path());
        {
            MailStore::TStoreWriter writer(dir.path(), MailStore::SavedMail);
            QCOMPARE(writer.Write(message), dir.filePath(QStringLiteral("m1.eml")));
            QCOMPARE(writer.Write(message), dir.filePath(QStringLiteral("m2.eml")));
            QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("m2.eml"))), QByteArray());
            writer.Sync();
            QCOMPARE(writer.Write(message), dir.filePath(QStringLiteral("m3.eml")));
        }
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat", "m0.eml", "m1.eml", "m2.eml"}));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("emax.dat"))), QByteArray("3\r\n"));
        const QByteArray text = ReadWholeFile(dir.filePath(QStringLiteral("m2.eml")));
        QVERIFY(text.contains("Stored") && text.endsWith(QByteArray(70, 'x') + "\r\n"));
    }

    // A group that could not be put on disk is never reported as stored by a
    // later Sync: a caller that sends its DELEs then would lose it.
    void aFailedGroupKeepsFailing()
    {
        QTemporaryDir dir;
        TmsMessage message;
        fill(message, 3);
        MailStore::TStoreWriter writer(dir.path(), MailStore::SavedMail);
        writer.Write(message);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("emax.dat"))); // the counter cannot be written
        QVERIFY_THROWS_EXCEPTION(EFCreateError, writer.Sync());
        QVERIFY_THROWS_EXCEPTION(EFCreateError, writer.Sync());
        QVERIFY_THROWS_EXCEPTION(EFCreateError, writer.Write(message));
    }

    // A counter planted as a link to a file elsewhere is neither read nor
    // written through; one that turns into a link before a group is synced is
    // replaced, its target untouched.
    void counterIsNeverFollowedThroughALink()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("precious"));
        const QString counter = dir.filePath(QStringLiteral("emax.dat"));
        WriteWholeFile(target, "7\r\n");
        QVERIFY(QFile::link(target, counter));
        try {
            store(dir.path());
            QFAIL("a counter that is a link was followed");
        } catch (const EFOpenError& e) {
            QVERIFY2(e.Message.contains(counter) && e.Message.contains(QStringLiteral("symbolic link")),
                     qPrintable(e.Message));
        }
        QVERIFY(QFile::remove(counter));

        TmsMessage message;
        fill(message, 1);
        MailStore::TStoreWriter writer(dir.path(), MailStore::SavedMail);
        writer.Write(message);
        QVERIFY(QFile::link(target, counter));
        writer.Sync();
        QCOMPARE(ReadWholeFile(target), QByteArray("7\r\n"));
        QVERIFY(!QFileInfo(counter).isSymLink());
        QCOMPARE(ReadWholeFile(counter), QByteArray("1\r\n"));
    }

    // What a crash left (empty numbered files that were only reserved, the
    // writer's temporary files) is cleared by the next listing or store, and
    // an empty file is never a row.
    void anInterruptedWriteLeavesNoBlankRows()
    {
        QTemporaryDir dir;
        crashWhileWriting(dir.path());
        QVERIFY(entries(dir.path()).size() > 2);
        QCOMPARE(listed(dir.path()), QStringList({"Stored"}));
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat", "m0.eml"}));

        crashWhileWriting(dir.path());
        QCOMPARE(store(dir.path()), dir.filePath(QStringLiteral("m2.eml")));
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat", "m0.eml", "m1.eml", "m2.eml"}));
        QCOMPARE(listed(dir.path()), QStringList({"Stored", "Stored", "Stored"}));
    }

    // A writer at work in the same store keeps what it has written: its
    // names are not listed, nor cleared, and reach the disk whole.
    void aWriterAtWorkKeepsItsFiles()
    {
        QTemporaryDir dir;
        store(dir.path());
        TmsMessage message;
        fill(message, 1);
        MailStore::TStoreWriter writer(dir.path(), MailStore::SavedMail);
        writer.Write(message);
        QCOMPARE(listed(dir.path()), QStringList({"Stored"}));
        store(dir.path());
        writer.Sync();
        QCOMPARE(listed(dir.path()), QStringList({"Stored", "Stored", "Stored"}));
    }

    // A counter far above the files takes no longer to list than the files
    // do; the gaps close and the counter follows the rows.
    void listingTakesTheFilesPresent()
    {
        QTemporaryDir dir;
        // A walk over every number below this counter would never end.
        WriteWholeFile(dir.filePath(QStringLiteral("emax.dat")), "4000000000000000000\r\n");
        WriteWholeFile(dir.filePath(QStringLiteral("m7.eml")), "Subject: seven\r\n\r\n");
        WriteWholeFile(dir.filePath(QStringLiteral("m12.eml")), "Subject: twelve\r\n\r\n");
        WriteWholeFile(dir.filePath(QStringLiteral("m100.eml")), "Subject: hundred\r\n\r\n");
        QCOMPARE(listed(dir.path()), QStringList({"seven", "twelve", "hundred"}));
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat", "m0.eml", "m1.eml", "m2.eml"}));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("emax.dat"))), QByteArray("3\r\n"));
        QCOMPARE(store(dir.path()), dir.filePath(QStringLiteral("m3.eml")));
    }

    // One sentence that names the folder and what to do.
    void directoryThatCannotBeMade()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("file"));
        WriteWholeFile(file, "x");
        const auto failure = [](const QString& directory) {
            try {
                store(directory);
            } catch (const EFCreateError& e) {
                return e.Message;
            }
            return QString();
        };
        QCOMPARE(failure(file), '"' + file + "\" is a file, not a folder: choose a folder for the messages.");
        QCOMPARE(failure(file + "/sub"),
                 "The folder \"" + file + "/sub\" cannot be created: choose a folder you can write to.");
    }

    // A full disk, as a file size limit: no m<n>.eml cut short, no stray
    // temporary file, the counter untouched.
    void aFullDiskStoresNothing()
    {
        QTemporaryDir dir;
        WriteWholeFile(dir.filePath(QStringLiteral("emax.dat")), "3\r\n");
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        QString failure;
        try {
            store(dir.path(), MailStore::SavedMail, 2000);
        } catch (const EFCreateError& e) {
            failure = e.Message;
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        QVERIFY2(failure.contains(dir.filePath(QStringLiteral("m3.eml"))), qPrintable(failure));
        QCOMPARE(entries(dir.path()), QStringList({"emax.dat"}));
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("emax.dat"))), QByteArray("3\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestMailStore)
#include "tst_mailstore.moc"
