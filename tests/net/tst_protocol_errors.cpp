// What the clients say when a server hangs up at each step of a dialogue,
// a message the SMTP server has accepted staying sent whatever its goodbye,
// and a POP3 mailbox going on past a message the server refuses.
#include "ClientLog.h"
#include "ScriptedServer.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"
#include "net/smtp/smtp_client.h"
#include "toolkit/Streams.h"

#include <QHostInfo>
#include <QtTest>

namespace {

// Server steps by their first letter: R replies, E expects a command,
// S sends raw bytes, D expects data up to the marker, C closes, X resets.
void Play(TScriptedServer& server, const QList<QByteArray>& steps)
{
    for (const QByteArray& step : steps) {
        const QByteArray text = step.mid(1);
        switch (step[0]) {
        case 'R': server.Reply(text); break;
        case 'E': server.Expect(text); break;
        case 'S': server.Send(text); break;
        case 'D': server.ExpectData(text); break;
        case 'C': server.Close(); break;
        default: server.ResetConnection(); break;
        }
    }
}

QList<QByteArray> SmtpUpToData()
{
    return {"R220 ready", "EEHLO " + QHostInfo::localHostName().toUtf8(),
            "R250 hi",    "EMAIL FROM:<me@here.test>",
            "R250 ok",    "ERCPT TO:<you@there.test>",
            "R250 ok",    "EDATA",
            "R354 go"};
}

struct TSmtpRun {
    TmsSMTP smtp;
    TmsMessage message;
    TClientLog events{smtp};

    explicit TSmtpRun(const QString& server, int timeOut = 60)
    {
        ChangeOptions(smtp, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.TimeOut = timeOut;
        });
        message.Sender().SetAddress("me@here.test");
        message.Recipients().AddAddress("you@there.test", {});
        smtp.MailMessage = &message;
        smtp.OnMailSent = events.Note("MailSent");
        smtp.OnQuitFailed = [this](QObject*, QString& msg) { events.log << "QuitFailed: " + msg; };
    }
};

class TRecordingPOP : public TmsPOP {
public:
    QList<QByteArray> Texts;

protected:
    void MessageReceived(int, TStream& stream) override { Texts << stream.ReadAll(); }
};

struct TPopRun {
    TRecordingPOP pop;
    TClientLog events{pop};

    explicit TPopRun(const QString& server)
    {
        ChangeOptions(pop, [&](TrkSessionOptions& options) { options.Server = server; });
        pop.UserName = QStringLiteral("tester");
        pop.Password = QStringLiteral("secret");
        pop.OnMessageError = [this](QObject*, int num, const QString& msg) {
            events.log << QStringLiteral("MessageError %1: %2").arg(num).arg(msg);
        };
    }
};

QList<QByteArray> PopLoggedIn(const QByteArray& stat)
{
    return {"R+OK ready", "EUSER tester", "R+OK", "EPASS secret", "R+OK in", "ESTAT", "R" + stat};
}

QList<QByteArray> PopMessage(int number, const QByteArray& body)
{
    const QByteArray n = QByteArray::number(number);
    return {"ELIST " + n, "R+OK " + n + " 20", "ERETR " + n, "R+OK", "S" + body + ".\r\n"};
}

const QString closed = QStringLiteral("Connection closed by the server during ");

} // namespace

class TestProtocolErrors : public QObject {
    Q_OBJECT

private slots:
    void smtpHangUpAtEachStep_data()
    {
        QTest::addColumn<QList<QByteArray>>("dialogue"); // played before the server hangs up
        QTest::addColumn<QString>("error");
        const QList<QByteArray> all = SmtpUpToData();
        QTest::newRow("greeting") << QList<QByteArray>() << closed + "the greeting";
        QTest::newRow("EHLO") << all.first(2) << closed + "EHLO";
        const QByteArray helo = "EHELO " + QHostInfo::localHostName().toUtf8();
        QTest::newRow("bare HELO") << all.first(2) + QList<QByteArray>{"R502 what", helo, "R501 who", "EHELO"}
                                   << closed + "HELO";
        QTest::newRow("MAIL FROM") << all.first(4) << closed + "MAIL FROM";
        QTest::newRow("RCPT TO") << all.first(6) << closed + "RCPT TO";
        QTest::newRow("DATA") << all.first(8) << closed + "DATA";
        QTest::newRow("end of data") << all + QList<QByteArray>{"D\r\n.\r\n"} << closed + "the end of the data";
        // The reply says why; the goodbye that finds nobody must not hide it.
        QTest::newRow("421 and gone") << all.first(4) + QList<QByteArray>{"R421 shutting down"} << "421 shutting down";
    }
    void smtpHangUpAtEachStep()
    {
        QFETCH(QList<QByteArray>, dialogue);
        QFETCH(QString, error);
        TScriptedServer server;
        Play(server, dialogue + QList<QByteArray>{"C"});
        TSmtpRun run(server.Address());
        QCOMPARE(errorOf([&] { run.smtp.Send(); }), error);
        QVERIFY(!run.smtp.Connected());
        QVERIFY(!run.events.log.contains("MailSent"));
        QCOMPARE(server.Failures(), QStringList());
    }

    void smtpAcceptedMessageStaysSent_data()
    {
        QTest::addColumn<QList<QByteArray>>("goodbye");
        QTest::addColumn<QString>("report");
        QTest::newRow("QUIT refused") << QList<QByteArray>{"R500 what"} << "500 what";
        QTest::newRow("hang-up") << QList<QByteArray>{"C"} << closed + "QUIT";
        QTest::newRow("reset") << QList<QByteArray>{"X"} << "[10054] Connection reset by peer";
        QTest::newRow("silence") << QList<QByteArray>() << "Operation timed out";
    }
    void smtpAcceptedMessageStaysSent()
    {
        QFETCH(QList<QByteArray>, goodbye);
        QFETCH(QString, report);
        TScriptedServer server;
        Play(server, SmtpUpToData() + QList<QByteArray>{"D\r\n.\r\n", "R250 queued", "EQUIT"} + goodbye);
        TSmtpRun run(server.Address(), 1);
        QCOMPARE(errorOf([&] { run.smtp.Send(); }), QString());
        QVERIFY(run.events.log.contains("MailSent"));
        QCOMPARE(run.events.log.last(), "QuitFailed: " + report);
        QVERIFY(!run.smtp.Connected());
    }

    void pop3HangUpAtEachStep_data()
    {
        QTest::addColumn<int>("steps"); // of the dialogue below, played before the server hangs up
        QTest::addColumn<QString>("error");
        QTest::newRow("greeting") << 0 << closed + "the greeting";
        QTest::newRow("USER") << 2 << closed + "USER";
        QTest::newRow("PASS") << 4 << closed + "PASS";
        QTest::newRow("STAT") << 6 << closed + "STAT";
        QTest::newRow("LIST") << 8 << closed + "LIST";
        QTest::newRow("RETR") << 10 << closed + "RETR";
        QTest::newRow("data") << 11 << "Connection closed by the server before the end of the data";
        QTest::newRow("DELE") << 13 << closed + "DELE";
        QTest::newRow("QUIT") << 15 << closed + "QUIT";
    }
    void pop3HangUpAtEachStep()
    {
        QFETCH(int, steps);
        QFETCH(QString, error);
        const QList<QByteArray> dialogue = PopLoggedIn("+OK 1 20") + PopMessage(1, "Subject: x\r\n")
                                         + QList<QByteArray>{"EDELE 1", "R+OK", "EQUIT"};
        TScriptedServer server;
        Play(server, dialogue.first(steps) + QList<QByteArray>{"C"});
        TPopRun run(server.Address());
        QCOMPARE(errorOf([&] { run.pop.RetrieveAll(TmsAfterRetrieve::Delete); }), error);
        QVERIFY(!run.pop.Connected());
        QCOMPARE(run.pop.Texts.size(), steps > 12 ? 1 : 0);
    }

    // The refused message stays on the server, reported; the next is retrieved and deleted.
    void pop3GoesOnPastARefusedMessage_data()
    {
        QTest::addColumn<QList<QByteArray>>("first");
        QTest::addColumn<int>("retrieved");
        QTest::addColumn<QString>("report");
        QTest::newRow("LIST") << QList<QByteArray>{"ELIST 1", "R-ERR no such message"} << 1
                              << "Message 1 was not retrieved and stays on the server: -ERR no such message";
        QTest::newRow("RETR") << QList<QByteArray>{"ELIST 1", "R+OK 1 20", "ERETR 1", "R-ERR locked"} << 1
                              << "Message 1 was not retrieved and stays on the server: -ERR locked";
        QTest::newRow("DELE") << PopMessage(1, "Subject: one\r\n") + QList<QByteArray>{"EDELE 1", "R-ERR cannot"} << 2
                              << "Message 1 was not deleted and will be retrieved again: -ERR cannot";
    }
    void pop3GoesOnPastARefusedMessage()
    {
        QFETCH(QList<QByteArray>, first);
        QFETCH(int, retrieved);
        QFETCH(QString, report);
        TScriptedServer server;
        Play(server, PopLoggedIn("+OK 2 40") + first + PopMessage(2, "Subject: two\r\n")
                         + QList<QByteArray>{"EDELE 2", "R+OK", "EQUIT", "R+OK bye"});
        TPopRun run(server.Address());
        run.pop.RetrieveAll(TmsAfterRetrieve::Delete);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(run.pop.Texts.size(), retrieved);
        QCOMPARE(run.pop.Texts.last(), QByteArray("Subject: two\r\n"));
        QCOMPARE(run.events.log.filter("MessageError"), QStringList("MessageError 0: " + report));
    }
};

QTEST_GUILESS_MAIN(TestProtocolErrors)
#include "tst_protocol_errors.moc"
