// Secure mail end to end through the local Postfix and Dovecot: submission
// with STARTTLS (its AUTH offers CRAM-MD5) and SMTP over TLS (PLAIN); POP3
// with STLS and over TLS; the servers' certificate from the fixture's own
// authority.
#include "MailServers.h"
#include "SessionChanges.h"
#include "mail/model/message.h"
#include "net/pop3/pop3_client.h"
#include "net/smtp/smtp_client.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct TRoute {
    QString server;
    TmsSecurity security;
};

void attach(TmsMessage& message, const QByteArray& name, const QByteArray& data, TAttEncoding encoding)
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->SetEncoding(encoding);
    item->Data() = TMemoryStream(data);
    message.Attachments().Add(std::move(item));
}

QByteArray everyByte(int repeat)
{
    QByteArray bytes;
    for (int i = 0; i < 256 * repeat; ++i)
        bytes += char(i * 7);
    return bytes;
}

struct TRun {
    int code;
    QByteArray out, err;
};

// pvmail with the password in its environment, the body on its input.
TRun pvmail(const QStringList& arguments, const QByteArray& password, const QByteArray& input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PVMAIL_PASSWORD"), QString::fromUtf8(password));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PVMAIL_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestMailTlsEndToEnd : public QObject {
    Q_OBJECT

    TMailServers servers;

    TRoute smtpRoute(const QByteArray& name) const
    {
        return name == "starttls" ? TRoute{servers.Submission, TmsSecurity::StartTls}
                                  : TRoute{servers.Smtps, TmsSecurity::Tls};
    }
    TRoute pop3Route(const QByteArray& name) const
    {
        return name == "starttls" ? TRoute{servers.Pop3, TmsSecurity::StartTls}
                                  : TRoute{servers.Pop3s, TmsSecurity::Tls};
    }

    std::unique_ptr<TmsMessage> newMessage(const QByteArray& subject) const
    {
        auto message = std::make_unique<TmsMessage>();
        message->Sender().SetAddress(servers.Address);
        message->Recipients().AddAddress(servers.Address, "Tester");
        message->SetSubject(subject);
        message->SetBody({"one", ".", "..", ".leading dot", "", "last"});
        return message;
    }

    void configure(TrkSocket& client, const TRoute& route) const
    {
        ChangeOptions(client, [&](TrkSessionOptions& options) {
            options.Server = route.server;
            options.Security = route.security;
            options.CAFile = servers.CAFile;
            options.TimeOut = 10;
        });
    }

    void send(TmsMessage& message, const TRoute& route, const QByteArray& password) const
    {
        TmsSMTP smtp;
        configure(smtp, route);
        smtp.AuthenticationRequired = true;
        smtp.UserName = QString::fromUtf8(servers.User);
        smtp.Password = QString::fromUtf8(password);
        smtp.MailMessage = &message;
        smtp.Send();
    }

    std::unique_ptr<TmsPOP> newPop(const TRoute& route) const
    {
        auto pop = std::make_unique<TmsPOP>();
        configure(*pop, route);
        pop->UserName = QString::fromUtf8(servers.User);
        pop->Password = QString::fromUtf8(servers.Password);
        return pop;
    }

private slots:
    void initTestCase() { PV_REQUIRE_MAILSERVERS(servers); }
    void init() { servers.ClearMailbox(); }

    void sentAndRetrievedWhole_data()
    {
        QTest::addColumn<QByteArray>("route");
        QTest::newRow("starttls") << QByteArray("starttls");
        QTest::newRow("implicit tls") << QByteArray("tls");
    }
    void sentAndRetrievedWhole()
    {
        QFETCH(QByteArray, route);
        auto sent = newMessage("Secure " + route);
        attach(*sent, "data.bin", everyByte(300), aeBase64);
        attach(*sent, "notes.txt", "one\r\n.\r\n..two\r\n.three\r\n", aeQuotedPrintable);
        send(*sent, smtpRoute(route), servers.Password);
        QVERIFY(servers.WaitForMessages(1));

        const auto pop = newPop(pop3Route(route));
        bool secure = false;
        pop->OnRetrieved = [&](QObject*, int) { secure = pop->Secure(); };
        pop->RetrieveAll(TmsAfterRetrieve::Delete);
        QVERIFY(secure);
        QCOMPARE(pop->MessageList->Count(), 1);
        const TmsMessage& got = pop->MessageList->Items(0);
        QCOMPARE(got.Subject(), sent->Subject());
        QCOMPARE(got.Body(), sent->Body());
        QCOMPARE(got.Attachments().Count(), 2);
        for (qsizetype i = 0; i < 2; ++i) {
            QCOMPARE(got.Attachments().Items(i).FileName(), sent->Attachments().Items(i).FileName());
            QCOMPARE(got.Attachments().Items(i).Data().Bytes(), sent->Attachments().Items(i).Data().Bytes());
        }
        QCOMPARE(servers.Messages().size(), 0);
    }

    void wrongPasswordRefusedWithTheServersReply_data()
    {
        QTest::addColumn<QByteArray>("protocol");
        QTest::addColumn<QByteArray>("route");
        for (const char* protocol : {"smtp", "pop3"})
            for (const char* route : {"starttls", "tls"})
                QTest::newRow(QByteArray(protocol) + ' ' + route) << QByteArray(protocol) << QByteArray(route);
    }
    void wrongPasswordRefusedWithTheServersReply()
    {
        QFETCH(QByteArray, protocol);
        QFETCH(QByteArray, route);
        try {
            if (protocol == "smtp") {
                send(*newMessage("Never sent"), smtpRoute(route), "wrong");
            } else {
                const auto pop = newPop(pop3Route(route));
                pop->Password = QStringLiteral("wrong");
                pop->RetrieveAll(TmsAfterRetrieve::Delete);
            }
            QFAIL("no error");
        } catch (const EServerError& e) {
            QVERIFY2(e.Message.contains(protocol == "smtp" ? "535" : "-ERR"), qPrintable(e.Message));
        }
    }

    // With mail left on the server, a message is fetched once: the second
    // retrieval finds nothing new, the third only what arrived since.
    void leftOnServerFetchedOnce()
    {
        QTemporaryDir dir;
        const auto retrieve = [&] {
            const auto pop = newPop(pop3Route("tls"));
            pop->SeenIdsFile = dir.filePath(QStringLiteral("seen"));
            pop->RetrieveAll(TmsAfterRetrieve::LeaveOnServer);
            QStringList subjects;
            for (qsizetype i = 0; i < pop->MessageList->Count(); ++i)
                subjects << QString::fromUtf8(pop->MessageList->Items(i).Subject());
            return subjects;
        };
        for (const QByteArray subject : {"First", "Second"})
            send(*newMessage(subject), smtpRoute("starttls"), servers.Password);
        QVERIFY(servers.WaitForMessages(2));
        QCOMPARE(retrieve(), QStringList({"First", "Second"}));
        QCOMPARE(retrieve(), QStringList());
        send(*newMessage("Third"), smtpRoute("starttls"), servers.Password);
        QVERIFY(servers.WaitForMessages(3));
        QCOMPARE(retrieve(), QStringList({"Third"}));
        QCOMPARE(servers.Messages().size(), 3);
    }

    // The system's authorities do not know the fixture's: nothing is sent.
    void unknownAuthorityRefused_data()
    {
        QTest::addColumn<QByteArray>("protocol");
        QTest::newRow("smtp starttls") << QByteArray("smtp");
        QTest::newRow("pop3 tls") << QByteArray("pop3");
    }
    void unknownAuthorityRefused()
    {
        QFETCH(QByteArray, protocol);
        const auto message = newMessage("Never sent");
        TmsSMTP smtp;
        TmsPOP pop;
        TrkSocket& client = protocol == "smtp" ? static_cast<TrkSocket&>(smtp) : pop;
        configure(client, protocol == "smtp" ? smtpRoute("starttls") : pop3Route("tls"));
        ChangeOptions(client, [](TrkSessionOptions& options) { options.CAFile.clear(); });
        smtp.MailMessage = message.get();
        smtp.AuthenticationRequired = true;
        smtp.UserName = pop.UserName = QString::fromUtf8(servers.User);
        smtp.Password = pop.Password = QString::fromUtf8(servers.Password);
        QByteArrayList commands;
        ChangeListeners(client, [&](TrkSessionListeners& listeners) {
            listeners.OnCommand = [&](QObject*, const QByteArray& line) { commands << line.left(4); };
        });
        try {
            protocol == "smtp" ? smtp.Send() : pop.RetrieveAll(TmsAfterRetrieve::Delete);
            QFAIL("no error");
        } catch (const Exception& e) {
            QVERIFY2(e.Message.contains(QLatin1String("certificate")), qPrintable(e.Message));
        }
        QVERIFY2(!commands.contains("AUTH") && !commands.contains("USER") && !commands.contains("MAIL"),
                 commands.join(' ').constData());
        QVERIFY(!client.Connected());
    }

    void pvmailSendsAndRetrievesSecurely()
    {
        const QString address = QString::fromUtf8(servers.Address), user = QString::fromUtf8(servers.User);
        const TRun sent = pvmail({"send", "--server", servers.Submission, "--security", "starttls", "--ca-file",
                                  servers.CAFile, "--login", user, "--from", address, "--to", address, "--subject",
                                  "By pvmail", "--timeout", "10", "-"},
                                 servers.Password, "one\n.\n.dot\n");
        QVERIFY2(sent.code == 0, sent.err.constData());
        QVERIFY(servers.WaitForMessages(1));
        QTemporaryDir store;
        const TRun listed = pvmail({"retrieve", "--server", servers.Pop3s, "--security", "tls", "--ca-file",
                                    servers.CAFile, "--user", user, "--timeout", "10", "--store", store.path()},
                                   servers.Password);
        QVERIFY2(listed.code == 0, listed.err.constData());
        QCOMPARE(QJsonDocument::fromJson(listed.out).object().value("subject").toString(), QStringLiteral("By pvmail"));
        QCOMPARE(servers.Messages().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMailTlsEndToEnd)
#include "tst_mail_tls_e2e.moc"
