// The POP3 clients against scripted servers: the exact dialogue and events of
// a retrieval, STAT and LIST reply shapes, message data, refusals, a failing
// decoder, and failures and cancels in each wait.
#include "ClientLog.h"
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"
#include "toolkit/Streams.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// Keeps each received text; decodes it too only when asked, and fails on
// the message given, as a decoder that cannot cope would.
class TRecordingPOP : public TmsPOP {
public:
    QList<QByteArray> Texts;
    bool Decode = false;
    int FailAt = -1;

protected:
    void MessageReceived(int index, TStream& stream) override
    {
        Texts << stream.ReadAll();
        stream.SetPosition(0);
        if (Decode)
            DecodeIntoList(stream);
        if (index == FailAt)
            throw EMessageError(QStringLiteral("decoder failed"));
    }
};

struct TPopProbe {
    TRecordingPOP pop;
    TClientLog events{pop};

    explicit TPopProbe(const QString& server, int timeOut = 60)
    {
        ChangeOptions(pop, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.TimeOut = timeOut;
        });
        pop.UserName = QStringLiteral("tester");
        pop.Password = QStringLiteral("secret");
        pop.OnRetrieving = events.NoteNum("Retrieving");
        pop.OnRetrieved = events.NoteNum("Retrieved");
        pop.OnDeleting = events.NoteNum("Deleting");
    }
};

TScriptedServer& LoggedIn(TScriptedServer& server, const QByteArray& stat)
{
    return server.Reply("+OK ready")
        .Expect("USER tester")
        .Reply("+OK")
        .Expect("PASS secret")
        .Reply("+OK in")
        .Expect("STAT")
        .Reply(stat);
}

TScriptedServer& Message(TScriptedServer& server, int number, const QByteArray& wire)
{
    const QByteArray n = QByteArray::number(number);
    return server.Expect("LIST " + n)
        .Reply("+OK " + n + ' ' + QByteArray::number(wire.size()))
        .Expect("RETR " + n)
        .Reply("+OK")
        .Send(wire);
}

const QByteArray first = "Subject: one\r\n\r\n..dotted\r\n..\r\nend\r\n.\r\n";
const QByteArray second = "Subject: two\r\n\r\nbody\r\n.\r\n";

} // namespace

class TestPop3 : public QObject {
    Q_OBJECT

private slots:
    void retrievesAndDeletesInOrder()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK 2 320");
        Message(server, 1, first).Expect("DELE 1").Reply("+OK");
        Message(server, 2, second).Expect("DELE 2").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        probe.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(probe.pop.Texts,
                 QList<QByteArray>({"Subject: one\r\n\r\n.dotted\r\n.\r\nend\r\n", "Subject: two\r\n\r\nbody\r\n"}));
        QStringList shape = probe.events.log;
        shape.replaceInStrings(QRegularExpression("^Progress .*"), "Progress");
        QCOMPARE(shape, QStringList({"Open", "Connect", "Retrieving 0", "Progress", "Retrieved 0", "Deleting 0",
                                     "Retrieving 1", "Progress", "Retrieved 1", "Deleting 1", "Closing", "Closed"}));
        QCOMPARE(probe.pop.MessageCount, 2);
        QCOMPARE(probe.pop.MailboxSize, 320);
    }

    void leavesMailOnTheServer()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK 1 10");
        Message(server, 1, second).Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        probe.pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(!probe.events.log.contains("Deleting 0"));
    }

    void emptyMailboxAndEmptyMessage()
    {
        TScriptedServer empty;
        LoggedIn(empty, "+OK 0 0").Expect("QUIT").Reply("+OK bye");
        TPopProbe none(empty.Address());
        none.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QTRY_VERIFY(empty.Finished());
        QCOMPARE(empty.Failures(), QStringList());
        QCOMPARE(none.pop.MessageCount, 0);

        // "." alone ends the text at once: nothing to wait for.
        TScriptedServer nothing;
        LoggedIn(nothing, "+OK 1 0");
        Message(nothing, 1, ".\r\n").Expect("DELE 1").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        TPopProbe one(nothing.Address(), 5);
        one.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QCOMPARE(one.pop.Texts, QList<QByteArray>({QByteArray()}));
        QTRY_VERIFY(nothing.Finished());
    }

    void statShapes_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        QTest::newRow("count and size") << QByteArray("+OK 0 320") << 0 << 320;
        QTest::newRow("more text after the size") << QByteArray("+OK 0 320 octets") << 0 << 320;
        QTest::newRow("count alone") << QByteArray("+OK 0") << -1 << -1;
        QTest::newRow("nothing") << QByteArray("+OK") << -1 << -1;
    }
    void statShapes()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, count);
        QFETCH(int, size);
        TScriptedServer server;
        LoggedIn(server, reply).Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        probe.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QCOMPARE(probe.pop.MessageCount, count);
        QCOMPARE(probe.pop.MailboxSize, size);
        QTRY_VERIFY(server.Finished());
    }

    void statThatIsNoNumber()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK many 320").Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        QCOMPARE(FailureOf<EConvertError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "'many' is not a valid integer value");
        QTRY_VERIFY(server.Finished());
    }

    // The size the LIST reply gives is what progress is measured against.
    void listShapes_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("expected");
        QTest::newRow("number and size") << QByteArray("+OK 1 52") << 52;
        QTest::newRow("size unusable") << QByteArray("+OK 1 many") << 0;
        QTest::newRow("nothing") << QByteArray("+OK") << 0;
        QTest::newRow("one word taken as the size") << QByteArray("+OK 26") << 26;
    }
    void listShapes()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, expected);
        TScriptedServer server;
        LoggedIn(server, "+OK 1 50")
            .Expect("LIST 1")
            .Reply(reply)
            .Expect("RETR 1")
            .Reply("+OK")
            .Pause(30)
            .Send("Subject: x\r\n\r\n")
            .Pause(30)
            .Send(QByteArray(10, 'b') + "\r\n")
            .Pause(30)
            .Send(".\r\n")
            .Expect("QUIT")
            .Reply("+OK bye");
        TPopProbe probe(server.Address());
        QList<QPair<int, qint64>> reports;
        ChangeListeners(probe.pop, [&](TrkSessionListeners& listeners) {
            listeners.OnProgress = [&](QObject*, int perc, qint64 transferred) { reports.append({perc, transferred}); };
        });
        probe.pop.RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
        QVERIFY(!reports.isEmpty() && reports.last().second > 0);
        for (const auto& [perc, transferred] : reports)
            QCOMPARE(perc, expected ? qRound(transferred * 100.0 / expected) : -1);
    }

    // Anything but "+" is refused with the reply, and QUIT follows.
    void refusals_data()
    {
        QTest::addColumn<QList<QByteArray>>("dialogue");
        QTest::addColumn<QString>("error");
        QTest::newRow("greeting") << QList<QByteArray>{"-ERR busy"} << "-ERR busy";
        QTest::newRow("USER") << QList<QByteArray>{"+OK", "USER tester", "-ERR who"} << "-ERR who";
        QTest::newRow("PASS") << QList<QByteArray>{"+OK", "USER tester", "+OK", "PASS secret",
                                                   "-ERR [AUTH] Authentication failed."}
                              << "-ERR [AUTH] Authentication failed.";
        QTest::newRow("PASS, empty line") << QList<QByteArray>{"+OK", "USER tester", "+OK", "PASS secret", ""}
                                          << "Empty reply from the server during PASS";
    }
    void refusals()
    {
        QFETCH(QList<QByteArray>, dialogue);
        QFETCH(QString, error);
        TScriptedServer server;
        for (qsizetype i = 0; i < dialogue.size(); ++i)
            i % 2 ? server.Expect(dialogue[i]) : server.Reply(dialogue[i]);
        server.Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }), error);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(probe.pop.Texts.isEmpty());
        QVERIFY(!probe.pop.Connected());
    }

    void refusedQuitIsAnError()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK 1 10");
        Message(server, 1, second).Expect("DELE 1").Reply("+OK").Expect("QUIT").Reply("-ERR not now");
        TPopProbe probe(server.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }), "-ERR not now");
        QCOMPARE(probe.pop.Texts.size(), 1);
    }

    void missingProperties()
    {
        TPopProbe probe({});
        probe.pop.UserName.clear();
        probe.pop.Password.clear();
        QCOMPARE(FailureOf<ESocketError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "UserName property is required");
        probe.pop.UserName = QStringLiteral("tester");
        QCOMPARE(FailureOf<ESocketError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "Password property is required");
        probe.pop.Password = QStringLiteral("secret");
        QCOMPARE(FailureOf<ESocketError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "Server property is required");
        QCOMPARE(probe.events.log,
                 QStringList({"Error: UserName property is required", "Error: Password property is required", "Open",
                              "Error: Server property is required"}));
    }

    // A message is deleted from the server only once it is in the list.
    void failingDecoderKeepsTheMessageOnTheServer()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK 3 30");
        Message(server, 1, second).Expect("DELE 1").Reply("+OK");
        Message(server, 2, second).Expect("QUIT").Reply("+OK bye");
        TPopProbe probe(server.Address());
        probe.pop.FailAt = 1;
        QCOMPARE(FailureOf<EMessageError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }), "decoder failed");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(server.Unread().isEmpty());
        QVERIFY(probe.events.log.contains("Retrieved 0"));
        QVERIFY(!probe.events.log.contains("Retrieved 1"));
    }

    void timeOutInTheSecondMessage()
    {
        TScriptedServer server;
        LoggedIn(server, "+OK 2 30");
        Message(server, 1, second).Expect("DELE 1").Reply("+OK");
        server.Expect("LIST 2").Reply("+OK 2 15").Expect("RETR 2").Reply("+OK").Send("Subject: half\r\n");
        TPopProbe probe(server.Address(), 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "Operation timed out");
        QCOMPARE(probe.pop.Texts.size(), 1);
        QTRY_VERIFY(server.PeerGone());
        QVERIFY(server.Finished());
        QVERIFY(server.Unread().isEmpty()); // no QUIT after a time-out
    }

    void connectionFailures()
    {
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(TScriptedServer::ClosedPort());
        TPopProbe refused(closed, 30);
        QCOMPARE(FailureOf<ESocketError>([&] { refused.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "[10061] Connection refused (" + closed + ")");

        TScriptedServer reset;
        LoggedIn(reset, "+OK 1 10")
            .Expect("LIST 1")
            .Reply("+OK 1 10")
            .Expect("RETR 1")
            .Reply("+OK")
            .Send("Subject: x\r\n")
            .ResetConnection();
        TPopProbe resetProbe(reset.Address());
        QCOMPARE(FailureOf<ESocketError>([&] { resetProbe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "[10054] Connection reset by peer");
        QVERIFY(resetProbe.pop.Texts.isEmpty());

        // A close inside the data is an error, not a message cut short.
        TScriptedServer cut;
        LoggedIn(cut, "+OK 1 10")
            .Expect("LIST 1")
            .Reply("+OK 1 10")
            .Expect("RETR 1")
            .Reply("+OK")
            .Send("Subject: x\r\n")
            .Close();
        TPopProbe cutProbe(cut.Address());
        QCOMPARE(FailureOf<ESocketError>([&] { cutProbe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "Connection closed by the server before the end of the data");
        QVERIFY(cutProbe.pop.Texts.isEmpty());
        QVERIFY(!cutProbe.pop.Connected());
    }

    // Cancel in each wait: the connection is closed at once, no QUIT.
    void cancelInEachWait_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("greeting") << 0;
        QTest::newRow("USER") << 2;
        QTest::newRow("PASS") << 4;
        QTest::newRow("STAT") << 6;
        QTest::newRow("LIST") << 8;
        QTest::newRow("RETR") << 10;
        QTest::newRow("data") << 12;
        QTest::newRow("DELE") << 14;
        QTest::newRow("QUIT") << 16;
    }
    void cancelInEachWait()
    {
        QFETCH(int, steps);
        // R replies, E expects, S sends raw data.
        const QList<QByteArray> dialogue = {
            "R+OK ready", "EUSER tester", "R+OK", "EPASS secret",    "R+OK",       "ESTAT",   "R+OK 1 10", "ELIST 1",
            "R+OK 1 10",  "ERETR 1",      "R+OK", "SSubject: x\r\n", "S\r\n.\r\n", "EDELE 1", "R+OK",      "EQUIT"};
        TScriptedServer server;
        for (const QByteArray& step : dialogue.first(steps)) {
            const QByteArray text = step.mid(1);
            step[0] == 'R' ? server.Reply(text) : step[0] == 'E' ? server.Expect(text) : server.Send(text);
        }
        TPopProbe probe(server.Address());
        CancelSoon(probe.pop, 100);
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.pop.RetrieveAll(TmsAfterRetrieve::Delete); }),
                 "Operation has been canceled");
        QVERIFY(!probe.pop.Connected());
        QTRY_VERIFY(server.PeerGone());
        QVERIFY(server.Finished());
        QVERIFY(server.Unread().isEmpty());

        // The next retrieval is not affected by the cancel.
        TScriptedServer again;
        LoggedIn(again, "+OK 0 0").Expect("QUIT").Reply("+OK bye");
        ChangeOptions(probe.pop, [&](TrkSessionOptions& options) { options.Server = again.Address(); });
        probe.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QTRY_VERIFY(again.Finished());
    }
};

QTEST_GUILESS_MAIN(TestPop3)
#include "tst_pop3.moc"
