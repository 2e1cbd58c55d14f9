// pvmail send and retrieve against scripted servers on IPv6: what a script
// sees of a failed goodbye, a hang-up, a refused message and a silent server,
// and what a retrieval stores.
#include "ScriptedServer.h"
#include "toolkit/Streams.h"

#include <QHostInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every retrieval here logs in without TLS, and says so first.
const QByteArray clearLoginWarning =
    "pvmail retrieve: warning: without --security starttls or tls the password can be read on the network\n";

struct TRun {
    int code;
    QByteArray out;
    QByteArray err;
};

// The scripted server plays on this thread's events while pvmail runs.
TRun Pvmail(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(PVMAIL_PROGRAM), arguments);
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
        process.kill(); // a hung pvmail fails its test, not the whole run
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TScriptedServer& Greeted(TScriptedServer& server)
{
    return server.Reply("220 ready")
        .Expect("EHLO " + QHostInfo::localHostName().toUtf8())
        .Reply("250 hi")
        .Expect("MAIL FROM:<me@here.test>");
}

} // namespace

class TestPvmailProtocol : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    TRun retrieve(const TScriptedServer& server, const QStringList& extra)
    {
        const QString password = dir.filePath(QStringLiteral("password"));
        WriteWholeFile(password, "secret\n");
        return Pvmail(QStringList{"retrieve", "--server", server.Address(), "--user", "tester", "--password-file",
                                  password, "--store", dir.filePath(QStringLiteral("store"))}
                      + extra);
    }

private slots:
    void sendSaysWhatHappened()
    {
        const QStringList send = {"send", "--from", "me@here.test", "--to", "you@there.test", "--server"};
        TScriptedServer accepting(QHostAddress::LocalHostIPv6);
        Greeted(accepting)
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("250 ok")
            .Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Close();
        const TRun sent = Pvmail(send + QStringList{accepting.Address()});
        QCOMPARE(sent.code, 0);
        QCOMPARE(sent.err, QByteArray("pvmail send: the message was sent, but closing the connection failed: "
                                      "Connection closed by the server during QUIT\n"));

        TScriptedServer hangingUp(QHostAddress::LocalHostIPv6);
        Greeted(hangingUp).Close();
        const TRun failed = Pvmail(send + QStringList{hangingUp.Address()});
        QCOMPARE(failed.code, 1);
        QCOMPARE(failed.err, QByteArray("pvmail send: Connection closed by the server during MAIL FROM\n"));
    }

    void retrieveGoesOnPastARefusedMessage()
    {
        TScriptedServer server(QHostAddress::LocalHostIPv6);
        server.Reply("+OK ready")
            .Expect("USER tester")
            .Reply("+OK")
            .Expect("PASS secret")
            .Reply("+OK")
            .Expect("STAT")
            .Reply("+OK 2 40")
            .Expect("UIDL")
            .Reply("-ERR no ids")
            .Expect("LIST 1")
            .Reply("+OK 1 20")
            .Expect("RETR 1")
            .Reply("-ERR locked")
            .Expect("LIST 2")
            .Reply("+OK 2 20")
            .Expect("RETR 2")
            .Reply("+OK")
            .Send("Subject: two\r\nX-Odd: caf\xe9\r\n\r\n..x\r\n.\r\n")
            .Expect("DELE 2")
            .Reply("+OK")
            .Expect("QUIT")
            .Reply("+OK bye");
        const TRun run = retrieve(server, {});
        QCOMPARE(run.code, 1);
        QCOMPARE(run.err, clearLoginWarning + "pvmail retrieve: Message 1 was not retrieved and stays on the server: "
                                              "-ERR locked\n");
        const QJsonObject stored = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(stored["number"].toInt(), 2);
        QCOMPARE(stored["file"].toString(), "m0.eml");
        QCOMPARE(ReadWholeFile(dir.filePath(QStringLiteral("store/m0.eml"))),
                 QByteArray("Subject: two\r\nX-Odd: caf\xe9\r\n\r\n.x\r\n")); // as sent, but for the dot-stuffing
        QVERIFY(server.Finished());
    }

    void retrieveTakesATimeOut()
    {
        TScriptedServer silent;
        silent.Reply("+OK ready").Expect("USER tester");
        QElapsedTimer clock;
        clock.start();
        const TRun run = retrieve(silent, {"--timeout", "1"});
        QCOMPARE(run.code, 1);
        QCOMPARE(run.err, clearLoginWarning + "pvmail retrieve: Operation timed out\n");
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(retrieve(silent, {"--timeout", "soon"}).code, 2);
    }
};

QTEST_GUILESS_MAIN(TestPvmailProtocol)
#include "tst_pvmail_protocol.moc"
