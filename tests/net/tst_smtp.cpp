// The SMTP client against scripted servers: the exact dialogue and events of
// a send, the end of the data, the replies it accepts and refuses, rejected
// recipients, and failures and cancels in each wait.
#include "ClientLog.h"
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "mail/store/mail_streams.h"
#include "net/smtp/smtp_client.h"

#include <QFile>
#include <QHostInfo>
#include <QtTest>

namespace {

// A message whose Internet text is given, so the data on the wire is known.
class TFixedMessage : public TmsMessage {
public:
    explicit TFixedMessage(QByteArray text = "Subject: hi\r\n\r\nbody\r\n") : text(std::move(text))
    {
        Sender().SetAddress("me@here.test");
        Recipients().AddAddress("you@there.test", {});
    }
    void SaveToStream(TStream& stream) override { stream.Write(text); }
    QByteArray text;
};

struct TSmtpProbe {
    TmsSMTP smtp;
    TFixedMessage message;
    TClientLog events{smtp};
    QString streamFile;

    explicit TSmtpProbe(const QString& server, int timeOut = 60)
    {
        ChangeOptions(smtp, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.TimeOut = timeOut;
        });
        smtp.MailMessage = &message;
        smtp.OnPrepare = [this](QObject*) {
            events.log << "Prepare";
            streamFile = smtp.MessageStream()->FileName();
        };
        smtp.OnSending = events.Note("Sending");
        smtp.OnMailSent = events.Note("MailSent");
    }
};

QByteArray HostName()
{
    return QHostInfo::localHostName().toUtf8();
}

QByteArray Ehlo()
{
    return "EHLO " + HostName();
}

// The server side up to and including DATA for the default message.
TScriptedServer& UpToData(TScriptedServer& server)
{
    return server.Reply("220 ready")
        .Expect(Ehlo())
        .Reply("250 hello")
        .Expect("MAIL FROM:<me@here.test>")
        .Reply("250 ok")
        .Expect("RCPT TO:<you@there.test>")
        .Reply("250 ok")
        .Expect("DATA")
        .Reply("354 go");
}

} // namespace

class TestSmtp : public QObject {
    Q_OBJECT

private slots:
    void sendsOneMessageInOrder()
    {
        TScriptedServer server;
        server.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hello")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<cc@there.test>")
            .Reply("250 ok")
            .Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Reply("221 bye");
        TSmtpProbe probe(server.Address());
        probe.message.CC().AddAddress("cc@there.test", "Copy");
        probe.smtp.Send();
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(server.Data(), probe.message.text + ".\r\n");
        QCOMPARE(probe.events.log, QStringList({"Open", "Connect", "Prepare", "Sending", "Progress 0 0", "MailSent",
                                                "Closing", "Closed"}));
        QVERIFY(!probe.streamFile.isEmpty());
        QVERIFY(!QFile::exists(probe.streamFile));
        QVERIFY(!probe.smtp.Connected());
    }

    // The end-of-data line starts a line of its own and adds none.
    void endOfData_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("ends with a line end") << QByteArray("a\r\n") << QByteArray("a\r\n.\r\n");
        QTest::newRow("ends with an empty line") << QByteArray("a\r\n\r\n") << QByteArray("a\r\n\r\n.\r\n");
        QTest::newRow("no line end") << QByteArray("a") << QByteArray("a\r\n.\r\n");
        QTest::newRow("lone CR") << QByteArray("a\r") << QByteArray("a\r\r\n.\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray(".\r\n");
        QTest::newRow("dot lines stuffed") << QByteArray(".\r\n..x\r\n") << QByteArray("..\r\n...x\r\n.\r\n");
    }
    void endOfData()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, wire);
        TScriptedServer server;
        UpToData(server).ExpectData(wire).Reply("250 queued").Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(server.Address());
        probe.message.text = text;
        probe.smtp.Send();
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(server.Data(), wire);
        QVERIFY(server.Unread().isEmpty());
    }

    void acceptsAnyPositiveReply()
    {
        TScriptedServer server;
        server.Reply("220-first\r\n220-second\r\n220 ready")
            .Expect(Ehlo())
            .Reply("502 unknown")
            .Expect("HELO " + HostName())
            .Reply("501 who are you")
            .Expect("HELO")
            .Reply("250-hi\r\n250 there")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("251 fine")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("252 cannot verify")
            .Expect("DATA")
            .Reply("399 odd but go")
            .ExpectData("\r\n.\r\n")
            .Reply("299 done")
            .Expect("QUIT")
            .Reply("200 bye");
        TSmtpProbe probe(server.Address());
        probe.smtp.Send();
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QCOMPARE(probe.events.log.last(), QStringLiteral("Closed"));
    }

    // Each refusal raises the server's reply; the session is still open, so QUIT follows.
    void refusalsRaiseTheReply_data()
    {
        QTest::addColumn<QList<QByteArray>>("dialogue"); // reply, expected command, reply, ...
        QTest::addColumn<QString>("error");
        const QByteArray helo = Ehlo();
        QTest::newRow("greeting") << QList<QByteArray>{"554 go away"} << "554 go away";
        QTest::newRow("EHLO and both HELOs")
            << QList<QByteArray>{"220 ready", helo, "500 what", "HELO " + HostName(), "501 no", "HELO", "502 still no"}
            << "502 still no";
        QTest::newRow("EHLO not now") << QList<QByteArray>{"220 ready", helo, "421 busy"} << "421 busy";
        QTest::newRow("MAIL FROM") << QList<QByteArray>{"220 ready", helo, "250 hi", "MAIL FROM:<me@here.test>",
                                                        "553 not you"}
                                   << "553 not you";
        QTest::newRow("DATA not 3xx") << QList<QByteArray>{"220 ready", helo,
                                                           "250 hi",    "MAIL FROM:<me@here.test>",
                                                           "250 ok",    "RCPT TO:<you@there.test>",
                                                           "250 ok",    "DATA",
                                                           "250 but no"}
                                      << "250 but no";
    }
    void refusalsRaiseTheReply()
    {
        QFETCH(QList<QByteArray>, dialogue);
        QFETCH(QString, error);
        TScriptedServer server;
        for (qsizetype i = 0; i < dialogue.size(); ++i)
            i % 2 ? server.Expect(dialogue[i]) : server.Reply(dialogue[i]);
        server.Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(server.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.smtp.Send(); }), error);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(!probe.smtp.Connected());
        QVERIFY(!probe.events.log.contains("MailSent"));
    }

    void refusedEndOfDataAndQuit()
    {
        TScriptedServer data;
        UpToData(data).ExpectData("\r\n.\r\n").Reply("552 too big").Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(data.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.smtp.Send(); }), "552 too big");
        QVERIFY(!QFile::exists(probe.streamFile));

        // An error of the closing step replaces the one under way.
        TScriptedServer quit;
        UpToData(quit).ExpectData("\r\n.\r\n").Reply("552 too big").Expect("QUIT").Reply("500 what");
        TSmtpProbe second(quit.Address());
        QCOMPARE(FailureOf<EServerError>([&] { second.smtp.Send(); }), "500 what");
        QVERIFY(!second.smtp.Connected());
    }

    void rejectedRecipients()
    {
        // Without a handler the first rejection ends the envelope.
        TScriptedServer server;
        server.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hi")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("550 no such user")
            .Expect("QUIT")
            .Reply("221 bye");
        TSmtpProbe probe(server.Address());
        probe.message.CC().AddAddress("cc@there.test", {});
        QCOMPARE(FailureOf<EServerError>([&] { probe.smtp.Send(); }), "550 no such user");
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());

        // A handler that lets the send go on sees each rejected address, a BCC as itself.
        TScriptedServer lenient;
        lenient.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hi")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("550 no such user")
            .Expect("RCPT TO:<cc@there.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<>")
            .Reply("250 ok")
            .Expect("RCPT TO:<hidden@there.test>")
            .Reply("551 not here")
            .Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Reply("221 bye");
        TSmtpProbe lenientProbe(lenient.Address());
        lenientProbe.message.CC().AddAddress("cc@there.test", {});
        lenientProbe.message.CC().AddAddress({}, "Nobody");
        lenientProbe.message.BCC().AddAddress("hidden@there.test", {});
        QStringList rejected;
        lenientProbe.smtp.OnAddressRejected = [&](QObject*, const QByteArray& address, const QByteArray& reply,
                                                  bool& proceed) {
            QVERIFY(!proceed);
            rejected << QString::fromUtf8(address + " / " + reply);
            proceed = true;
        };
        lenientProbe.smtp.Send();
        QTRY_VERIFY(lenient.Finished());
        QCOMPARE(lenient.Failures(), QStringList());
        QCOMPARE(rejected, QStringList({"you@there.test / 550 no such user", "hidden@there.test / 551 not here"}));

        // A handler that leaves Proceed false ends the send like no handler.
        TScriptedServer strict;
        strict.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hi")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("550 no")
            .Expect("QUIT")
            .Reply("221 bye");
        TSmtpProbe strictProbe(strict.Address());
        strictProbe.smtp.OnAddressRejected = [](QObject*, const QByteArray&, const QByteArray&, bool&) {};
        QCOMPARE(FailureOf<EServerError>([&] { strictProbe.smtp.Send(); }), "550 no");
    }

    void noSenderAddressMeansNoMailFrom()
    {
        TScriptedServer server;
        server.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hi")
            .Expect("RCPT TO:<you@there.test>")
            .Reply("250 ok")
            .Expect("DATA")
            .Reply("354 go")
            .ExpectData("\r\n.\r\n")
            .Reply("250 queued")
            .Expect("QUIT")
            .Reply("221 bye");
        struct TUnchecked : TFixedMessage {
            void CheckRequired() const override {}
        } message;
        message.Sender().SetAddress({});
        TSmtpProbe probe(server.Address());
        probe.smtp.MailMessage = &message;
        probe.smtp.Send();
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
    }

    // Problems with the message are found after the greeting; QUIT follows.
    void messageProblems()
    {
        TScriptedServer unassigned;
        unassigned.Reply("220 ready").Expect(Ehlo()).Reply("250 hi").Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(unassigned.Address());
        probe.smtp.MailMessage = nullptr;
        QCOMPARE(FailureOf<ESocketError>([&] { probe.smtp.Send(); }), "MailMessage property must be assigned");
        QVERIFY(probe.events.log.contains("Error: MailMessage property must be assigned"));
        QTRY_VERIFY(unassigned.Finished());

        TScriptedServer incomplete;
        incomplete.Reply("220 ready").Expect(Ehlo()).Reply("250 hi").Expect("QUIT").Reply("221 bye");
        TSmtpProbe noRecipient(incomplete.Address());
        noRecipient.message.Recipients().Clear();
        QCOMPARE(FailureOf<EMessageError>([&] { noRecipient.smtp.Send(); }),
                 "At least one Recipient, CC or BCC must be entered");
        QTRY_VERIFY(incomplete.Finished());
        QCOMPARE(incomplete.Failures(), QStringList());

        // A line break in an address would start a command of its own.
        TScriptedServer injected;
        injected.Reply("220 ready")
            .Expect(Ehlo())
            .Reply("250 hi")
            .Expect("MAIL FROM:<me@here.test>")
            .Reply("250 ok")
            .Expect("QUIT")
            .Reply("221 bye");
        TSmtpProbe injection(injected.Address());
        injection.message.Recipients().Items(0).SetAddress("x@y.test>\r\nRCPT TO:<evil@y.test");
        QCOMPARE(FailureOf<ESocketError>([&] { injection.smtp.Send(); }), "Command line must not contain CR or LF");
        QTRY_VERIFY(injected.Finished());
        QCOMPARE(injected.Failures(), QStringList());

        // A message that cannot be encoded never reaches the envelope.
        struct TBroken : TFixedMessage {
            void SaveToStream(TStream&) override { throw EMessageError(QStringLiteral("cannot encode")); }
        } broken;
        TScriptedServer early;
        early.Reply("220 ready").Expect(Ehlo()).Reply("250 hi").Expect("QUIT").Reply("221 bye");
        TSmtpProbe brokenProbe(early.Address());
        brokenProbe.smtp.MailMessage = &broken;
        QCOMPARE(FailureOf<EMessageError>([&] { brokenProbe.smtp.Send(); }), "cannot encode");
        QVERIFY(!QFile::exists(brokenProbe.streamFile));
        QTRY_VERIFY(early.Finished());
    }

    void messageRemovedClearsTheReference()
    {
        TmsSMTP smtp;
        {
            TmsMessage message;
            smtp.MailMessage = &message;
        }
        QVERIFY(smtp.MailMessage.isNull());
    }

    void noServer()
    {
        TSmtpProbe probe({});
        QCOMPARE(FailureOf<ESocketError>([&] { probe.smtp.Send(); }), "Server property is required");
        QCOMPARE(probe.events.log, QStringList({"Error: Server property is required"}));
    }

    void connectionFailures()
    {
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(TScriptedServer::ClosedPort());
        TSmtpProbe refused(closed, 30);
        QCOMPARE(FailureOf<ESocketError>([&] { refused.smtp.Send(); }), "[10061] Connection refused (" + closed + ")");
        QVERIFY(!refused.smtp.Connected());

        TScriptedServer reset;
        reset.Reply("220 ready").Expect(Ehlo()).ResetConnection();
        TSmtpProbe resetProbe(reset.Address());
        QCOMPARE(FailureOf<ESocketError>([&] { resetProbe.smtp.Send(); }), "[10054] Connection reset by peer");
        QVERIFY(!resetProbe.smtp.Connected());

        // A close in mid-line says so; there is nobody left to say QUIT to.
        TScriptedServer cut;
        cut.Send("22").Close();
        TSmtpProbe cutProbe(cut.Address());
        QCOMPARE(FailureOf<ESocketError>([&] { cutProbe.smtp.Send(); }),
                 "Connection closed by the server during the greeting");
        QVERIFY(!cutProbe.smtp.Connected());
    }

    void silentServerTimesOutWithoutQuit()
    {
        TScriptedServer server;
        server.Reply("220 ready").Expect(Ehlo());
        TSmtpProbe probe(server.Address(), 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.smtp.Send(); }), "Operation timed out");
        QCOMPARE(probe.events.log, QStringList({"Open", "Connect", "Error: Operation timed out", "Closing", "Closed"}));
        QTRY_VERIFY(server.PeerGone());
        QVERIFY(server.Unread().isEmpty());
    }

    // Cancel in each reply wait: the connection is closed at once, no QUIT.
    void cancelInEachWait_data()
    {
        QTest::addColumn<int>("steps"); // how many server steps before it falls silent
        QTest::newRow("greeting") << 0;
        QTest::newRow("EHLO") << 2;
        QTest::newRow("MAIL FROM") << 4;
        QTest::newRow("RCPT TO") << 6;
        QTest::newRow("DATA") << 8;
        QTest::newRow("end of data") << 11;
    }
    void cancelInEachWait()
    {
        QFETCH(int, steps);
        TScriptedServer server;
        const QList<QByteArray> dialogue = {
            "220 ready", Ehlo(), "250 hi", "MAIL FROM:<me@here.test>", "250 ok", "RCPT TO:<you@there.test>",
            "250 ok",    "DATA", "354 go"};
        for (int i = 0; i < qMin(steps, int(dialogue.size())); ++i)
            i % 2 ? server.Expect(dialogue[i]) : server.Reply(dialogue[i]);
        if (steps > dialogue.size())
            server.ExpectData("\r\n.\r\n");
        TSmtpProbe probe(server.Address());
        CancelSoon(probe.smtp, 100);
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.smtp.Send(); }), "Operation has been canceled");
        QVERIFY(probe.events.log.contains("Cancel"));
        QVERIFY(!probe.smtp.Connected());
        QTRY_VERIFY(server.PeerGone());
        QVERIFY(server.Finished());
        QVERIFY(server.Unread().isEmpty());
        QVERIFY(!QFile::exists(probe.streamFile));

        // The next send is not affected by the cancel.
        TScriptedServer again;
        UpToData(again).ExpectData("\r\n.\r\n").Reply("250 queued").Expect("QUIT").Reply("221 bye");
        ChangeOptions(probe.smtp, [&](TrkSessionOptions& options) { options.Server = again.Address(); });
        probe.smtp.Send();
        QTRY_VERIFY(again.Finished());
    }
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
