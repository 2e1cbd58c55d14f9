// The session's line protocol against scripted servers: reply lines and
// codes, multi-line replies, lines the reply buffer of old could not hold,
// replies that never end, closes before a line ends, and command lines.
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"

#include <QtTest>

class TestSessionLines : public QObject {
    Q_OBJECT

    // A probe connected to a server that plays the dialogue set up by script.
    struct Connected : TSessionProbe {
        explicit Connected(TScriptedServer& server, int timeOut = 60) : TSessionProbe(server.Address(), timeOut)
        {
            OpenAndConnect();
            ChangeListeners(session, [&](TrkSessionListeners& listeners) {
                listeners.OnReply = [this](QObject*, const QByteArray& line) { replies << line; };
                listeners.OnCommand = [this](QObject*, const QByteArray& line) { commands << line; };
            });
        }
        QList<QByteArray> replies;
        QList<QByteArray> commands;
    };

private slots:
    void replyCodes_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("three digits") << QByteArray("250 ok") << 250;
        QTest::newRow("digits alone") << QByteArray("354") << 354;
        QTest::newRow("two digits") << QByteArray("25 ok") << -1;
        QTest::newRow("sign") << QByteArray("+25 ok") << -1;
        QTest::newRow("pop3 status") << QByteArray("+OK ready") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
    }
    void replyCodes()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, code);
        TTestSession session;
        QCOMPARE(session.ReplyCode(line), code);
    }

    void multiLineReplies_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("last");
        QTest::addColumn<int>("lines");
        QTest::newRow("three lines") << QByteArray("250-one\r\n250-two\r\n250 three\r\n") << 250
                                     << QByteArray("250 three") << 3;
        QTest::newRow("hyphen later is one line") << QByteArray("250 a-b\r\n") << 250 << QByteArray("250 a-b") << 1;
        QTest::newRow("other code inside")
            << QByteArray("220-a\r\n250 b\r\n220 c\r\n") << 220 << QByteArray("220 c") << 3;
        QTest::newRow("bare LF ends a line") << QByteArray("221 bye\n") << 221 << QByteArray("221 bye") << 1;
    }
    void multiLineReplies()
    {
        QFETCH(QByteArray, wire);
        QFETCH(int, code);
        QFETCH(QByteArray, last);
        QFETCH(int, lines);
        TScriptedServer server;
        server.Send(wire).Reply("999 after");
        Connected probe(server);
        QCOMPARE(probe.session.ReadReply(), code);
        QCOMPARE(probe.session.LastReply(), last);
        QCOMPARE(probe.replies.size(), lines);
        QCOMPARE(probe.session.ReadReply(), 999); // nothing after the reply was taken with it
    }

    void linesTheOldBufferCouldNotHold_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("300 bytes") << QByteArray("250 ") + QByteArray(296, 'x');
        QTest::newRow("NUL inside") << QByteArray("250 a\0b", 7);
        QTest::newRow("64 KiB with CR LF") << QByteArray("250 ") + QByteArray(65536 - 6, 'y');
    }
    void linesTheOldBufferCouldNotHold()
    {
        QFETCH(QByteArray, line);
        TScriptedServer server;
        server.Reply(line);
        Connected probe(server);
        QCOMPARE(probe.session.ReadReply(), 250);
        QCOMPARE(probe.session.LastReply(), line);
    }

    void overlongLineIsAnErrorAndCloses()
    {
        TScriptedServer server;
        server.Reply("250 " + QByteArray(70000, 'z'));
        Connected probe(server);
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ReadReply(); }), "Reply line is longer than 65536 bytes");
        QVERIFY(!probe.session.Connected());
        QCOMPARE(probe.replies, QList<QByteArray>({QByteArray()}));
    }

    // Lines that never end the reply: an error once the reply outgrows what
    // any server sends, and the rest is never read as the next reply.
    void endlessReplyIsAnErrorAndCloses_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("short lines") << QByteArray("250-x");
        QTest::newRow("long lines") << "250-" + QByteArray(60000, 'x');
    }
    void endlessReplyIsAnErrorAndCloses()
    {
        QFETCH(QByteArray, line);
        TScriptedServer server;
        QByteArray wire;
        for (int i = 0; i < 10001; ++i)
            wire += line + "\r\n";
        server.Send(wire);
        Connected probe(server);
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ReadReply(); }),
                 "The server's reply is longer than 10000 lines or 1048576 bytes: the server setting may name a "
                 "server of another kind, or the server is failing");
        QVERIFY(!probe.session.Connected());
    }

    // A close before a whole line is an error at once, naming the step
    // awaited by the command's first word only (never its argument).
    void closeBeforeALineEnds_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("step");
        QTest::newRow("nothing") << QByteArray() << QByteArray() << "the greeting";
        QTest::newRow("half a line") << QByteArray() << QByteArray("220 half a li") << "the greeting";
        QTest::newRow("after a command") << QByteArray("PASS secret") << QByteArray() << "PASS";
    }
    void closeBeforeALineEnds()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, sent);
        QFETCH(QString, step);
        TScriptedServer server;
        if (!command.isEmpty())
            server.Expect(command);
        server.Send(sent).Pause(30).Close();
        Connected probe(server);
        if (!command.isEmpty())
            probe.session.SendLine(command);
        QByteArray line = "stale";
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ReadLine(line); }),
                 "Connection closed by the server during " + step);
        QVERIFY(line.isEmpty());
        QVERIFY(!probe.session.Connected());
        QVERIFY(!probe.session.Expired());
    }

    void lineSplitAcrossSegments()
    {
        TScriptedServer server;
        server.Send("250-fir").Pause(30).Send("st\r").Pause(30).Send("\n250 second\r\n");
        Connected probe(server);
        QCOMPARE(probe.session.ReadReply(), 250);
        QCOMPARE(probe.replies, QList<QByteArray>({"250-first", "250 second"}));
    }

    void silenceInMidLineTimesOut()
    {
        TScriptedServer server;
        server.Send("220 and then nothing");
        Connected probe(server, 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.session.ReadReply(); }), "Operation timed out");
        QCOMPARE(probe.replies, QList<QByteArray>({QByteArray()}));
    }

    void commandLinesGoOutWithCrLf()
    {
        TScriptedServer server;
        server.Expect("HELO host").Expect("").Reply("250 ok");
        Connected probe(server);
        probe.session.SendLine("HELO host");
        probe.session.SendLine("");
        QCOMPARE(probe.session.ReadReply(), 250);
        QCOMPARE(probe.commands, QList<QByteArray>({"HELO host", ""}));
        QVERIFY2(server.Failures().isEmpty(), qPrintable(server.Failures().join('\n')));
    }

    void commandWithLineBreakIsNeverSent_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("CR LF") << QByteArray("MAIL FROM:<a@b>\r\nRCPT TO:<x@y>");
        QTest::newRow("LF") << QByteArray("USER me\nDELE 1");
        QTest::newRow("CR") << QByteArray("PASS a\rb");
    }
    void commandWithLineBreakIsNeverSent()
    {
        QFETCH(QByteArray, command);
        TScriptedServer server;
        server.Expect("NOOP").Reply("250 ok");
        Connected probe(server);
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.SendLine(command); }),
                 "Command line must not contain CR or LF");
        QVERIFY(probe.session.Connected());
        probe.session.SendLine("NOOP");
        QCOMPARE(probe.session.ReadReply(), 250);
        QVERIFY2(server.Failures().isEmpty(), qPrintable(server.Failures().join('\n')));
        QVERIFY(probe.commands == QList<QByteArray>({"NOOP"}));
    }

    void cancelWhileReadingALine()
    {
        TScriptedServer server;
        server.Send("220 partial");
        Connected probe(server);
        probe.CancelSoon();
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.session.ReadReply(); }), "Operation has been canceled");
        QCOMPARE(probe.log.mid(2), QStringList({"Cancel", "Closing", "Closed", "Error: Operation has been canceled"}));
    }
};

QTEST_GUILESS_MAIN(TestSessionLines)
#include "tst_session_lines.moc"
