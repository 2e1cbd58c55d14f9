// The POP3 client's extensions against scripted servers: STLS refused or
// failing before the login, APOP and its fall-back, mail left on the server fetched once by its
// unique id over several retrievals, servers that will not list ids, and hostile counts and listings.
#include "ScriptedServer.h"
#include "SessionChanges.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "net/pop3/retrieve_to_store.h"
#include "net/pop3/seen_ids.h"
#include "net/session/challenge_logins.h"
#include "toolkit/Streams.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

struct TPopProbe {
    TmsStoringPOP pop;

    explicit TPopProbe(const QString& server, const QString& seenIds = {})
    {
        ChangeOptions(pop, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.TimeOut = 5;
        });
        pop.UserName = QStringLiteral("tester");
        pop.Password = QStringLiteral("secret");
        pop.SeenIdsFile = seenIds;
    }

    QStringList Subjects() const
    {
        QStringList subjects;
        for (qsizetype i = 0; i < pop.MessageList->Count(); ++i)
            subjects << QString::fromUtf8(pop.MessageList->Items(i).Subject());
        return subjects;
    }
};

TScriptedServer& LoggedIn(TScriptedServer& server, int count)
{
    return server.Reply("+OK ready")
        .Expect("USER tester")
        .Reply("+OK")
        .Expect("PASS secret")
        .Reply("+OK in")
        .Expect("STAT")
        .Reply("+OK " + QByteArray::number(count) + " 100");
}

// Message number on the server, with its subject as its text.
TScriptedServer& Message(TScriptedServer& server, int number, const QByteArray& subject)
{
    const QByteArray n = QByteArray::number(number);
    return server.Expect("LIST " + n)
        .Reply("+OK " + n + " 30")
        .Expect("RETR " + n)
        .Reply("+OK")
        .Send("Subject: " + subject + "\r\n\r\nbody\r\n.\r\n");
}

// A mailbox left on the server: UIDL lists the ids given, in order.
TScriptedServer& Listed(TScriptedServer& server, const QList<QByteArray>& ids)
{
    LoggedIn(server, int(ids.size())).Expect("UIDL").Reply("+OK");
    for (qsizetype i = 0; i < ids.size(); ++i)
        server.Reply(QByteArray::number(i + 1) + ' ' + ids[i]);
    return server.Reply(".");
}

// Message number on the server with the text given, dot-stuffed on the wire.
TScriptedServer& Sent(TScriptedServer& server, int number, QByteArray text)
{
    const QByteArray n = QByteArray::number(number);
    text.replace("\r\n.", "\r\n..");
    return server.Expect("LIST " + n).Reply("+OK " + n + " 100").Expect("RETR " + n).Reply("+OK").Send(text + ".\r\n");
}

// The bytes of the files this process holds open in a directory, named or
// not yet (a temporary file gets its name only when it is kept).
qint64 OpenBytesIn(const QString& directory)
{
    qint64 bytes = 0;
    for (const QFileInfo& handle : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (handle.symLinkTarget().startsWith(directory + '/'))
            bytes += handle.size();
    return bytes;
}

QList<QByteArray> Kept(const QString& file)
{
    QFile kept(file);
    kept.open(QIODevice::ReadOnly);
    return kept.readAll().split('\n');
}

} // namespace

class TestPop3Extensions : public QObject {
    Q_OBJECT

private slots:
    // Refused, or accepted by a server that then speaks no TLS: the login is never sent.
    void stlsBeforeTheLogin()
    {
        TScriptedServer refused;
        refused.Reply("+OK ready").Expect("STLS").Reply("-ERR not here").Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(refused.Address());
        ChangeOptions(probe.pop, [&](TrkSessionOptions& options) { options.Security = TmsSecurity::StartTls; });
        QCOMPARE(FailureOf<EServerError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "The server refused STLS, which the security setting requires (it replied: -ERR not here)");
        QTRY_VERIFY(refused.Finished());
        QCOMPARE(refused.Failures(), QStringList());

        TScriptedServer noTls;
        noTls.Reply("+OK ready").Expect("STLS").Reply("+OK go ahead").Close();
        TPopProbe upgrade(noTls.Address());
        ChangeOptions(upgrade.pop, [&](TrkSessionOptions& options) { options.Security = TmsSecurity::StartTls; });
        QVERIFY(!errorOf([&] { upgrade.pop.RetrieveAll(TmsAfterRetrieve::Delete); }).isEmpty());
        QTRY_VERIFY(noTls.Finished());
        QVERIFY(!noTls.Unread().contains("secret"));
        QVERIFY(!noTls.Unread().contains("USER"));
    }

    // A setting pointed at another kind of server says so, and sends it nothing.
    void smtpServerIsNoPop3Server()
    {
        TScriptedServer server;
        server.Reply("220 mail.example.com ESMTP ready");
        TPopProbe probe(server.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "The server did not answer as a POP3 server (it greeted: 220 mail.example.com ESMTP ready): check "
                 "the server and port of the setting");
        QTRY_VERIFY(server.PeerGone());
        QVERIFY(server.Unread().isEmpty());
    }

    // The example of RFC 1939; a refused APOP falls back to USER and PASS. No log shows the password.
    void apopWhenTheGreetingOffersIt_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("accepted") << QByteArray("+OK maildrop has 0 messages");
        QTest::newRow("refused") << QByteArray("-ERR APOP not for you");
    }
    void apopWhenTheGreetingOffersIt()
    {
        QFETCH(QByteArray, reply);
        TScriptedServer server;
        server.Reply("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>")
            .Expect("APOP mrose c4c9334bac560ecc979e58001b3e22fb")
            .Reply(reply);
        if (reply.startsWith('-'))
            server.Expect("USER mrose").Reply("+OK").Expect("PASS tanstaaf").Reply("+OK in");
        server.Expect("STAT").Reply("+OK 0 0").Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        probe.pop.UserName = QStringLiteral("mrose");
        probe.pop.Password = QStringLiteral("tanstaaf");
        QList<QByteArray> commands;
        ChangeListeners(probe.pop, [&](TrkSessionListeners& listeners) {
            listeners.OnCommand = [&](QObject*, const QByteArray& line) { commands << line; };
        });
        probe.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        for (const QByteArray& line : commands)
            QVERIFY2(!line.contains("tanstaaf") && !line.contains("c4c9334b"), line.constData());
    }

    // A server that offered APOP is remembered; when it no longer does on a
    // connection without TLS the user is asked once: no sends no password,
    // yes logs in as before and is not asked again.
    void aWithdrawnApopIsAskedOnce_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void aWithdrawnApopIsAskedOnce()
    {
        QFETCH(bool, yes);
        QTemporaryDir dir;
        const QString memory = dir.filePath(QStringLiteral("challenge-logins"));
        TScriptedServer offering;
        offering.Reply("+OK ready <1.2@x.test>").Expect("APOP tester cc3d2933b3fefbdc3105bdc1a9c39a15").Reply("+OK");
        offering.Expect("STAT").Reply("+OK 0 0").Expect("QUIT").Reply("+OK bye");
        TPopProbe first(offering.Address());
        first.pop.ChallengeLoginsFile = memory;
        first.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QVERIFY(TChallengeLogins(memory, offering.Address(), "tester", "APOP").OfferedBefore());

        TScriptedServer withdrawn;
        if (yes)
            LoggedIn(withdrawn, 0).Expect("QUIT").Reply("+OK bye");
        else
            withdrawn.Reply("+OK ready").Expect("QUIT").Reply("+OK bye");
        TChallengeLogins(memory, withdrawn.Address(), "tester", "APOP").Remember();
        TPopProbe probe(withdrawn.Address());
        probe.pop.ChallengeLoginsFile = memory;
        QStringList warnings;
        probe.pop.OnChallengeWithdrawn = [&](QObject*, const QString& warning) {
            warnings << warning;
            return yes;
        };
        const QString failure = errorOf([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); });
        QTRY_VERIFY(withdrawn.Finished());
        QCOMPARE(withdrawn.Failures(), QStringList());
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains("(APOP)") && warnings.first().contains("unencrypted"),
                 qPrintable(warnings.first()));
        QCOMPARE(failure.startsWith(warnings.first()), !yes);
        QCOMPARE(TChallengeLogins(memory, withdrawn.Address(), "tester", "APOP").OfferedBefore(), !yes);
    }

    // Seen messages are skipped, a new one is fetched alone, vanished ids are forgotten.
    void fetchesEachMessageOnce()
    {
        QTemporaryDir home;
        const QString seen = home.filePath(QStringLiteral("seen/account.uids"));

        TScriptedServer first;
        Message(Message(Listed(first, {"id-a", "id-b"}), 1, "a"), 2, "b").Expect("QUIT").Reply("+OK bye");
        TPopProbe one(first.Address(), seen);
        one.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
        QTRY_VERIFY(first.Finished());
        QCOMPARE(first.Failures(), QStringList());
        QCOMPARE(one.Subjects(), QStringList({"a", "b"}));

        TScriptedServer second;
        Message(Listed(second, {"id-a", "id-b", "id-c"}), 3, "c").Expect("QUIT").Reply("+OK bye");
        TPopProbe two(second.Address(), seen);
        two.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
        QTRY_VERIFY(second.Finished());
        QCOMPARE(second.Failures(), QStringList());
        QCOMPARE(two.Subjects(), QStringList({"c"}));

        TScriptedServer third;
        Listed(third, {"id-b", "id-c"}).Expect("QUIT").Reply("+OK bye");
        TPopProbe three(third.Address(), seen);
        three.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
        QTRY_VERIFY(third.Finished());
        QCOMPARE(third.Failures(), QStringList());
        QCOMPARE(three.Subjects(), QStringList());
        QCOMPARE(Kept(seen), QList<QByteArray>({"id-b", "id-c", ""}));
    }

    // Every message is fetched as without the file: a server that refuses UIDL,
    // a damaged file.
    void fetchesEverythingWithoutUsableIds()
    {
        QTemporaryDir home;
        const QString seen = home.filePath(QStringLiteral("account.uids"));

        TScriptedServer refusing;
        LoggedIn(refusing, 1).Expect("UIDL").Reply("-ERR no UIDL");
        Message(refusing, 1, "a").Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(refusing.Address(), seen);
        probe.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
        QTRY_VERIFY(refusing.Finished());
        QCOMPARE(refusing.Failures(), QStringList());
        QCOMPARE(probe.Subjects(), QStringList({"a"}));
        QVERIFY(!QFile::exists(seen));

        QFile damaged(seen);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("id-a\n\x01\xff not an id\n");
        damaged.close();
        TScriptedServer listing;
        Message(Listed(listing, {"id-a"}), 1, "a").Expect("QUIT").Reply("+OK bye");
        TPopProbe again(listing.Address(), seen);
        again.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
        QTRY_VERIFY(listing.Finished());
        QCOMPARE(listing.Failures(), QStringList());
        QCOMPARE(again.Subjects(), QStringList({"a"}));
        QCOMPARE(Kept(seen), QList<QByteArray>({"id-a", ""}));
    }

    // The server deletes only at QUIT: a connection lost before it brings the
    // stored messages back, and the next retrieval deletes them unstored.
    void deletedMailIsStoredOnceAfterALostConnection_data()
    {
        QTest::addColumn<bool>("lostAtFirstDele");
        QTest::newRow("lost before QUIT") << false;
        QTest::newRow("lost at the first DELE") << true;
    }
    void deletedMailIsStoredOnceAfterALostConnection()
    {
        QFETCH(bool, lostAtFirstDele);
        QTemporaryDir home;
        const QString seen = home.filePath(QStringLiteral("account.uids"));
        const QString store = home.filePath(QStringLiteral("store"));

        TScriptedServer lost;
        Message(Message(Listed(lost, {"id-a", "id-b"}), 1, "a"), 2, "b").Expect("DELE 1");
        if (!lostAtFirstDele)
            lost.Reply("+OK").Expect("DELE 2").Reply("+OK").Expect("QUIT");
        lost.Close();
        TPopProbe first(lost.Address(), seen);
        QVERIFY(!errorOf([&] { first.pop.RetrieveMailbox(TmsAfterRetrieve::Delete, store); }).isEmpty());
        QTRY_VERIFY(lost.Finished());
        QCOMPARE(lost.Failures(), QStringList());

        TScriptedServer again;
        Listed(again, {"id-a", "id-b", "id-c"}).Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK");
        Message(again, 3, "c").Expect("DELE 3").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        TPopProbe second(again.Address(), seen);
        second.pop.RetrieveMailbox(TmsAfterRetrieve::Delete, store);
        QTRY_VERIFY(again.Finished());
        QCOMPARE(again.Failures(), QStringList());
        QCOMPARE(second.Subjects(), QStringList({"c"}));
        QCOMPARE(QDir(store).entryList({"m*.eml"}, QDir::Files, QDir::Name),
                 QStringList({"m0.eml", "m1.eml", "m2.eml"}));
    }

    // What a server announces or lists is checked before anything is sized or looped over by it.
    void hostileCounts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<QByteArray>>("ids");
        QTest::addColumn<QString>("error");
        QTest::newRow("two billion messages")
            << 2000000000 << QList<QByteArray>{"id-a"}
            << "The server's STAT reply announces 2000000000 messages; a mailbox of 0 to 100000 messages can be "
               "fetched: remove mail on the server and try again";
        QTest::newRow("negative count") << -3 << QList<QByteArray>{}
                                        << "The server's STAT reply announces -3 messages; a mailbox of 0 to 100000 "
                                           "messages can be fetched: remove mail on the server and try again";
        QTest::newRow("more ids than messages")
            << 1 << QList<QByteArray>{"id-a", "id-b", "id-c"}
            << "The server's unique id listing (UIDL) runs past the 1 messages it announced; the server is failing: "
               "try again later";
    }
    void hostileCounts()
    {
        QFETCH(int, count);
        QFETCH(QList<QByteArray>, ids);
        QFETCH(QString, error);
        QTemporaryDir home;
        TScriptedServer server;
        LoggedIn(server, count);
        if (count > 0 && count < 10) {
            server.Expect("UIDL").Reply("+OK");
            for (qsizetype i = 0; i < ids.size(); ++i)
                server.Reply(QByteArray::number(i + 1) + ' ' + ids[i]);
            server.Reply("."); // a listing cut short leaves the session out of step: no QUIT
        } else {
            server.Expect("QUIT").Reply("+OK bye");
        }
        TPopProbe probe(server.Address(), home.filePath(QStringLiteral("account.uids")));
        QCOMPARE(FailureOf<EServerError>([&] { probe.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {}); }),
                 error);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
    }

    // Two messages under one id: neither can be told apart, so both are fetched every time.
    void sharedIdsAreNoIds()
    {
        QTemporaryDir home;
        const QString seen = home.filePath(QStringLiteral("account.uids"));
        for (int run = 0; run < 2; ++run) {
            TScriptedServer server;
            Message(Message(Listed(server, {"id-a", "id-a"}), 1, "a"), 2, "b").Expect("QUIT").Reply("+OK bye");
            TPopProbe probe(server.Address(), seen);
            probe.pop.RetrieveMailbox(TmsAfterRetrieve::LeaveOnServer, {});
            QTRY_VERIFY(server.Finished());
            QCOMPARE(server.Failures(), QStringList());
            QCOMPARE(probe.Subjects(), QStringList({"a", "b"}));
        }
    }

    // A stored message is the server's text byte for byte, whatever it holds
    // (an mbox "From " line, raw Latin-1, fields in an odd order), and it is
    // listed with its own sender and recipient.
    void storesWhatTheServerSent()
    {
        QFile corpus(QFINDTESTDATA("../mail/data/corpus/python-msg_25.eml"));
        QVERIFY(corpus.open(QIODevice::ReadOnly));
        const QByteArray mbox = corpus.readAll().replace("\n", "\r\n");
        const QByteArray latin1 =
            "X-Odd: first\r\nSubject: caf\xe9\r\nContent-Transfer-Encoding: 8bit\r\n"
            "To: Bob <bob@there.test>\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
            "MIME-Version: 1.0\r\nFrom: Ann <ann@here.test>\r\n\r\nCaf\xe9 cr\xe8me\r\n.dot\r\n";
        TScriptedServer server;
        Sent(Sent(LoggedIn(server, 2), 1, mbox), 2, latin1).Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK");
        server.Expect("QUIT").Reply("+OK bye");
        QTemporaryDir store;
        TPopProbe probe(server.Address());
        probe.pop.RetrieveMailbox(TmsAfterRetrieve::Delete, store.path());
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(ReadWholeFile(store.filePath("m0.eml")), mbox);
        QCOMPARE(ReadWholeFile(store.filePath("m1.eml")), latin1);
        const TmsListMessage& first = probe.pop.MessageList->Items(0);
        QCOMPARE(first.Sender().Address(), "MAILER-DAEMON@zinfandel.lacita.com");
        QCOMPARE(first.Recipients().Items(0).Address(), "linuxuser-admin@www.linux.org.uk");
        const TmsListMessage& second = probe.pop.MessageList->Items(1);
        QCOMPARE(second.Sender().Address(), "ann@here.test");
        QCOMPARE(second.Recipients().Items(0).Address(), "bob@there.test");
    }

    // A message being stored goes to disk as it arrives, never whole in
    // memory first: most of it is in the store before the rest has come.
    void aStoredMessageGoesToDiskAsItArrives()
    {
        QByteArray text = "Subject: large\r\n\r\n";
        for (int line = 0; line < 13000; ++line)
            text += QByteArray(76, 'x') + "\r\n";
        TScriptedServer server;
        Sent(LoggedIn(server, 1), 1, text).Expect("DELE 1").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        QTemporaryDir store;
        TPopProbe probe(server.Address());
        qint64 onDiskWhileArriving = 0;
        TrkSessionListeners listeners;
        listeners.OnProgress = [&](QObject*, int, qint64 received) {
            if (received < text.size() / 2)
                return;
            onDiskWhileArriving = std::max(onDiskWhileArriving, OpenBytesIn(store.path()));
        };
        probe.pop.SetListeners(listeners);
        probe.pop.RetrieveMailbox(TmsAfterRetrieve::Delete, store.path());
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY2(onDiskWhileArriving >= text.size() / 3, qPrintable(QString::number(onDiskWhileArriving)));
        QCOMPARE(ReadWholeFile(store.filePath("m0.eml")), text);
    }

    void implicitTlsPort()
    {
        TPopProbe probe(QStringLiteral("127.0.0.1"));
        ChangeOptions(probe.pop, [&](TrkSessionOptions& options) { options.Security = TmsSecurity::Tls; });
        errorOf([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); });
        QCOMPARE(int(probe.pop.Port()), 995);
    }
};

QTEST_GUILESS_MAIN(TestPop3Extensions)
#include "tst_pop3_ext.moc"
