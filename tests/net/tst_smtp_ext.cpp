// The SMTP client's extensions against scripted servers: the EHLO keywords,
// each AUTH mechanism, refused and impossible logins, STARTTLS required but
// not offered, the SIZE limit, and the port each security choice connects to.
#include "ScriptedServer.h"
#include "SessionChanges.h"
#include "errorof.h"
#include "mail/model/message.h"
#include "net/session/challenge_logins.h"
#include "net/smtp/smtp_client.h"

#include <QHostInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The login and challenge of the CRAM-MD5 example in RFC 2195.
const QByteArray challenge = "<1896.697170952@postoffice.reston.mci.net>";
const QByteArray cramResponse = "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw";
const QByteArray plainCredentials = QByteArray("\0tim\0tanstaaftanstaaf", 21).toBase64();

class TFixedMessage : public TmsMessage {
public:
    TFixedMessage()
    {
        Sender().SetAddress("me@here.test");
        Recipients().AddAddress("you@there.test", {});
    }
    void SaveToStream(TStream& stream) override { stream.Write(text); }
    QByteArray text = "Subject: hi\r\n\r\nbody\r\n";
};

struct TSmtpProbe {
    TmsSMTP smtp;
    TFixedMessage message;
    QList<QByteArray> commands;

    explicit TSmtpProbe(const QString& server, TmsSecurity security = TmsSecurity::None, bool login = true)
    {
        ChangeOptions(smtp, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.Security = security;
        });
        smtp.AuthenticationRequired = login;
        smtp.UserName = QStringLiteral("tim");
        smtp.Password = QStringLiteral("tanstaaftanstaaf");
        smtp.MailMessage = &message;
        ChangeListeners(smtp, [&](TrkSessionListeners& listeners) {
            listeners.OnCommand = [this](QObject*, const QByteArray& line) { commands << line; };
        });
    }
};

QByteArray Ehlo()
{
    return "EHLO " + QHostInfo::localHostName().toUtf8();
}

// Greeting and EHLO with the extension lines given.
TScriptedServer& Greeted(TScriptedServer& server, const QList<QByteArray>& extensions)
{
    QByteArray reply = "250" + QByteArray(extensions.isEmpty() ? " " : "-") + "mail.test";
    for (qsizetype i = 0; i < extensions.size(); ++i)
        reply += "\r\n250" + QByteArray(i + 1 < extensions.size() ? "-" : " ") + extensions[i];
    return server.Reply("220 ready").Expect(Ehlo()).Reply(reply);
}

TScriptedServer& Delivered(TScriptedServer& server, const QByteArray& mailFrom = "MAIL FROM:<me@here.test>")
{
    return server.Expect(mailFrom)
        .Reply("250 ok")
        .Expect("RCPT TO:<you@there.test>")
        .Reply("250 ok")
        .Expect("DATA")
        .Reply("354 go")
        .ExpectData("\r\n.\r\n")
        .Reply("250 queued")
        .Expect("QUIT")
        .Reply("221 bye");
}

bool ShowsCredentials(const QList<QByteArray>& lines)
{
    for (const QByteArray& line : lines)
        if (line.contains("tanstaaf") || line.contains(plainCredentials) || line.contains(cramResponse)
            || line.contains("dGlt"))
            return true;
    return false;
}

} // namespace

class TestSmtpExtensions : public QObject {
    Q_OBJECT

private slots:
    // The strongest mechanism both sides know; the log shows no credentials.
    void logsInWithEachMechanism_data()
    {
        QTest::addColumn<QByteArray>("offered");
        QTest::addColumn<QList<QByteArray>>("exchange"); // expected command, reply, ...
        QTest::newRow("CRAM-MD5 first") << QByteArray("AUTH LOGIN PLAIN CRAM-MD5")
                                        << QList<QByteArray>{"AUTH CRAM-MD5", "334 " + challenge.toBase64(),
                                                             cramResponse, "235 ok"};
        QTest::newRow("PLAIN before LOGIN")
            << QByteArray("auth login plain") << QList<QByteArray>{"AUTH PLAIN " + plainCredentials, "235 ok"};
        QTest::newRow("old AUTH= form") << QByteArray("AUTH=PLAIN LOGIN")
                                        << QList<QByteArray>{"AUTH PLAIN " + plainCredentials, "235 ok"};
        QTest::newRow("LOGIN") << QByteArray("AUTH LOGIN")
                               << QList<QByteArray>{"AUTH LOGIN",       "334 VXNlcm5hbWU6",         "dGlt",
                                                    "334 UGFzc3dvcmQ6", "dGFuc3RhYWZ0YW5zdGFhZg==", "235 ok"};
    }
    void logsInWithEachMechanism()
    {
        QFETCH(QByteArray, offered);
        QFETCH(QList<QByteArray>, exchange);
        TScriptedServer server;
        Greeted(server, {"PIPELINING", offered, "8BITMIME"});
        for (qsizetype i = 0; i < exchange.size(); ++i)
            i % 2 ? server.Reply(exchange[i]) : server.Expect(exchange[i]);
        Delivered(server);
        TSmtpProbe probe(server.Address());
        probe.smtp.Send();
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(!ShowsCredentials(probe.commands));
        QVERIFY(probe.commands.contains("QUIT"));
    }

    // Each ends before the envelope with a clear error; QUIT follows, no credentials are sent.
    void loginsThatCannotSucceed_data()
    {
        QTest::addColumn<QList<QByteArray>>("extensions");
        QTest::addColumn<QList<QByteArray>>("exchange");
        QTest::addColumn<QString>("error");
        QTest::newRow("refused") << QList<QByteArray>{"AUTH PLAIN"}
                                 << QList<QByteArray>{"AUTH PLAIN " + plainCredentials,
                                                      "535 5.7.8 Authentication failed"}
                                 << "535 5.7.8 Authentication failed";
        QTest::newRow("refused user name")
            << QList<QByteArray>{"AUTH LOGIN"} << QList<QByteArray>{"AUTH LOGIN", "334 VXNlcm5hbWU6", "dGlt", "535 no"}
            << "535 no";
        QTest::newRow("no AUTH") << QList<QByteArray>{"SIZE 1000"} << QList<QByteArray>{}
                                 << "The server does not offer authentication (AUTH)";
        QTest::newRow("no common mechanism")
            << QList<QByteArray>{"AUTH GSSAPI XOAUTH2"} << QList<QByteArray>{}
            << "The server offers no login method this program knows (it offers GSSAPI XOAUTH2)";
    }
    void loginsThatCannotSucceed()
    {
        QFETCH(QList<QByteArray>, extensions);
        QFETCH(QList<QByteArray>, exchange);
        QFETCH(QString, error);
        TScriptedServer server;
        Greeted(server, extensions);
        for (qsizetype i = 0; i < exchange.size(); ++i)
            i % 2 ? server.Reply(exchange[i]) : server.Expect(exchange[i]);
        server.Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(server.Address());
        QCOMPARE(FailureOf<EServerError>([&] { probe.smtp.Send(); }), error);
        QTRY_VERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
        QVERIFY(!probe.smtp.Connected());
    }

    // A server that offered CRAM-MD5 is remembered; when it no longer does
    // on a connection without TLS the user is asked once: no sends no
    // password, yes logs in as before and is not asked again.
    void aWithdrawnCramMd5IsAskedOnce_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void aWithdrawnCramMd5IsAskedOnce()
    {
        QFETCH(bool, yes);
        QTemporaryDir dir;
        const QString memory = dir.filePath(QStringLiteral("challenge-logins"));
        TScriptedServer offering;
        Greeted(offering, {"AUTH PLAIN CRAM-MD5"})
            .Expect("AUTH CRAM-MD5")
            .Reply("334 " + challenge.toBase64())
            .Expect(cramResponse)
            .Reply("235 ok");
        Delivered(offering);
        TSmtpProbe first(offering.Address());
        first.smtp.ChallengeLoginsFile = memory;
        first.smtp.Send();
        QVERIFY(TChallengeLogins(memory, offering.Address(), "tim", "CRAM-MD5").OfferedBefore());

        TScriptedServer withdrawn;
        Greeted(withdrawn, {"AUTH PLAIN"});
        if (yes)
            Delivered(withdrawn.Expect("AUTH PLAIN " + plainCredentials).Reply("235 ok"));
        else
            withdrawn.Expect("QUIT").Reply("221 bye");
        TChallengeLogins(memory, withdrawn.Address(), "tim", "CRAM-MD5").Remember();
        TSmtpProbe probe(withdrawn.Address());
        probe.smtp.ChallengeLoginsFile = memory;
        QStringList warnings;
        probe.smtp.OnChallengeWithdrawn = [&](QObject*, const QString& warning) {
            warnings << warning;
            return yes;
        };
        const QString failure = errorOf([&] { probe.smtp.Send(); });
        QTRY_VERIFY(withdrawn.Finished());
        QCOMPARE(withdrawn.Failures(), QStringList());
        QCOMPARE(warnings,
                 QStringList{"The server " + withdrawn.Address()
                             + " offered a log-in that keeps the password off the network (CRAM-MD5) before, and "
                               "no longer does: logging in now would send the password unencrypted."});
        QCOMPARE(failure.startsWith(warnings.first()), !yes);
        QCOMPARE(TChallengeLogins(memory, withdrawn.Address(), "tim", "CRAM-MD5").OfferedBefore(), !yes);
    }

    // STARTTLS stripped from the reply, or the upgrade failing: the login is never sent.
    void startTlsRequired()
    {
        TScriptedServer stripped;
        Greeted(stripped, {"AUTH PLAIN LOGIN"}).Expect("QUIT").Reply("221 bye");
        TSmtpProbe probe(stripped.Address(), TmsSecurity::StartTls);
        QCOMPARE(FailureOf<EServerError>([&] { probe.smtp.Send(); }),
                 "The server does not offer STARTTLS, which the security setting requires");
        QTRY_VERIFY(stripped.Finished());
        QCOMPARE(stripped.Failures(), QStringList());

        // A server that says yes and then speaks no TLS.
        TScriptedServer noTls;
        Greeted(noTls, {"STARTTLS", "AUTH PLAIN"}).Expect("STARTTLS").Reply("220 go ahead").Close();
        TSmtpProbe upgrade(noTls.Address(), TmsSecurity::StartTls);
        ChangeOptions(upgrade.smtp, [&](TrkSessionOptions& options) { options.TimeOut = 5; });
        QVERIFY(!errorOf([&] { upgrade.smtp.Send(); }).isEmpty());
        QTRY_VERIFY(noTls.Finished());
        QVERIFY(!noTls.Unread().contains("AUTH"));
        QVERIFY(!ShowsCredentials({noTls.Unread()}));
    }

    // Over the limit: refused before MAIL FROM, naming both sizes. Within it: the size is declared.
    void sizeLimit()
    {
        TScriptedServer small;
        Greeted(small, {"SIZE 20"}).Expect("QUIT").Reply("221 bye");
        TSmtpProbe tooBig(small.Address(), TmsSecurity::None, false);
        QCOMPARE(FailureOf<EMessageError>([&] { tooBig.smtp.Send(); }),
                 "The message is 21 bytes; the server accepts at most 20 bytes");
        QTRY_VERIFY(small.Finished());
        QCOMPARE(small.Failures(), QStringList());

        TScriptedServer large;
        Delivered(Greeted(large, {"SIZE 21"}), "MAIL FROM:<me@here.test> SIZE=21");
        TSmtpProbe fits(large.Address(), TmsSecurity::None, false);
        fits.smtp.Send();
        QTRY_VERIFY(large.Finished());
        QCOMPARE(large.Failures(), QStringList());
    }

    // A server field without a port: the port follows the security, unless the caller chose another.
    void portFollowsSecurity_data()
    {
        QTest::addColumn<TmsSecurity>("security");
        QTest::addColumn<bool>("callersPort");
        QTest::addColumn<int>("port"); // 0: the caller's
        QTest::newRow("none") << TmsSecurity::None << false << 25;
        QTest::newRow("STARTTLS") << TmsSecurity::StartTls << false << 587;
        QTest::newRow("TLS") << TmsSecurity::Tls << false << 465;
        QTest::newRow("caller's port") << TmsSecurity::Tls << true << 0;
    }
    void portFollowsSecurity()
    {
        QFETCH(TmsSecurity, security);
        QFETCH(bool, callersPort);
        QFETCH(int, port);
        TSmtpProbe probe(QStringLiteral("127.0.0.1"), security, false);
        ChangeOptions(probe.smtp, [&](TrkSessionOptions& options) { options.TimeOut = 5; });
        if (callersPort) {
            port = TScriptedServer::ClosedPort();
            ChangeOptions(probe.smtp, [&](TrkSessionOptions& options) {
                options.ServiceName = "no-such-service";
                options.DefaultPort = quint16(port);
            });
        }
        errorOf([&] { probe.smtp.Send(); });
        QCOMPARE(int(probe.smtp.Port()), port);
    }
};

QTEST_GUILESS_MAIN(TestSmtpExtensions)
#include "tst_smtp_ext.moc"
