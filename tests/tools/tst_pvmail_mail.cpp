// pvmail send and retrieve against the local Postfix and Dovecot, as a script
// would use them: a round trip into a mail store, events, errors, exit codes.
#include "MailServers.h"
#include "toolkit/Streams.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code;
    QByteArray out;
    QByteArray err;
};

Run pvmail(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral(PVMAIL_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("pvmail did not finish");
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestPvmailMail : public QObject {
    Q_OBJECT

    TMailServers servers;
    QTemporaryDir dir;
    QString passwordFile;

    Run send(const QStringList& extra, const QByteArray& body = "hello\n")
    {
        return pvmail(QStringList{"send", "--server", servers.Smtp, "--from", QString::fromUtf8(servers.Address),
                                  "--to", QString::fromUtf8(servers.Address), "--timeout", "10"}
                          + extra + QStringList{"-"},
                      body);
    }
    Run retrieve(const QString& store, const QStringList& extra = {})
    {
        return pvmail(QStringList{"retrieve", "--server", servers.Pop3, "--user", QString::fromUtf8(servers.User),
                                  "--password-file", passwordFile, "--store", store}
                      + extra);
    }

private slots:
    void initTestCase()
    {
        PV_REQUIRE_MAILSERVERS(servers);
        passwordFile = dir.filePath(QStringLiteral("password"));
        WriteWholeFile(passwordFile, servers.Password + "\n");
    }
    void init() { servers.ClearMailbox(); }

    void sendThenRetrieveIntoTheStore()
    {
        const QByteArray data = QByteArray::fromHex("00ff0d0a2e0d0a") + QByteArray(9000, 'q');
        WriteWholeFile(dir.filePath(QStringLiteral("data.bin")), data);
        const Run sent = send({"--name", "Zoë Tester", "--cc", QString::fromUtf8(servers.Address), "--subject", "Grüße",
                               "--attach", dir.filePath(QStringLiteral("data.bin")), "--verbose"},
                              "first\n.\n..two\nGrüße\n");
        QVERIFY2(sent.code == 0, sent.err.constData());
        QVERIFY(sent.out.isEmpty());
        QByteArrayList events;
        for (const QByteArray& line : sent.err.split('\n'))
            if (!line.isEmpty() && !line.startsWith("> ") && !line.startsWith("< ") && !line.startsWith("Progress"))
                events << line;
        QCOMPARE(events, QByteArrayList({"Open", "Connect", "Prepare", "Sending", "MailSent", "Closing", "Closed"}));
        QVERIFY(sent.err.contains("\n> DATA\n< 354 "));
        QVERIFY(servers.WaitForMessages(1));
        QVERIFY(send({"--subject", "second"}).code == 0);
        QVERIFY(servers.WaitForMessages(2));

        const QString store = dir.filePath(QStringLiteral("store"));
        const Run got = retrieve(store);
        QCOMPARE(got.code, 0);
        const QByteArrayList lines = got.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(first["number"].toInt(), 1);
        QCOMPARE(first["file"].toString(), "m0.eml");
        QCOMPARE(first["subject"].toString(), "Grüße");
        QCOMPARE(first["from"]["name"].toString(), "Zoë Tester");
        const QJsonObject att = first["attachments"].toArray().at(0).toObject();
        QCOMPARE(att["fileName"].toString(), "data.bin");
        QCOMPARE(att["sha256"].toString().toLatin1(),
                 QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
        QCOMPARE(QJsonDocument::fromJson(lines[1]).object()["file"].toString(), "m1.eml");
        QCOMPARE(ReadWholeFile(store + "/emax.dat"), QByteArray("2\r\n"));
        QVERIFY(ReadWholeFile(store + "/m0.eml").contains("\r\n\r\nfirst\r\n.\r\n..two\r\nGr"));
        QCOMPARE(servers.Messages().size(), 0);
    }

    void leaveOnServer()
    {
        QCOMPARE(send({"--subject", "stays"}).code, 0);
        QVERIFY(servers.WaitForMessages(1));
        const QString store = dir.filePath(QStringLiteral("kept"));
        QCOMPARE(retrieve(store, {"--leave-on-server"}).code, 0);
        QCOMPARE(retrieve(store, {"--leave-on-server"}).code, 0);
        QVERIFY(QFile::exists(store + "/m1.eml"));
        QCOMPARE(servers.Messages().size(), 1);
    }

    // A real account's way: submission over STARTTLS with a login, then SMTP
    // and POP3 over TLS, trusting the test authority from its file; with a
    // seen file, mail left on the server is fetched once.
    void secureSendAndRetrieveFetchEachMessageOnce()
    {
        const QStringList login = {
            "--login", QString::fromUtf8(servers.User), "--password-file", passwordFile, "--ca-file", servers.CAFile};
        QCOMPARE(send(QStringList{"--server", servers.Submission, "--security", "starttls", "--subject", "one"} + login)
                     .code,
                 0);
        QVERIFY(servers.WaitForMessages(1));
        const QString store = dir.filePath(QStringLiteral("secure"));
        const QStringList overTls = {"--server",
                                     servers.Pop3s,
                                     "--security",
                                     "tls",
                                     "--ca-file",
                                     servers.CAFile,
                                     "--leave-on-server",
                                     "--seen-file",
                                     dir.filePath(QStringLiteral("seen"))};
        const auto subjects = [&] {
            const Run run = retrieve(store, overTls);
            QStringList fetched;
            for (const QByteArray& line : run.out.split('\n'))
                if (!line.isEmpty())
                    fetched << QJsonDocument::fromJson(line)["subject"].toString();
            return run.code == 0 ? fetched : QStringList{"failed: " + QString::fromUtf8(run.err)};
        };
        QCOMPARE(subjects(), QStringList{"one"});
        QCOMPARE(subjects(), QStringList());
        QCOMPARE(send(QStringList{"--server", servers.Smtps, "--security", "tls", "--subject", "two"} + login).code, 0);
        QVERIFY(servers.WaitForMessages(2));
        QCOMPARE(subjects(), QStringList{"two"});

        // Without the authority's file the server's certificate is not trusted.
        const Run untrusted = send({"--server", servers.Smtps, "--security", "tls"});
        QCOMPARE(untrusted.code, 1);
        QVERIFY2(untrusted.err.contains("certificate"), untrusted.err.constData());
    }

    // A message that cannot be stored is not deleted from the server.
    void storeFailureKeepsTheMailOnTheServer()
    {
        QCOMPARE(send({"--subject", "precious"}).code, 0);
        QVERIFY(servers.WaitForMessages(1));
        const QString store = dir.filePath(QStringLiteral("broken"));
        QDir().mkpath(store);
        WriteWholeFile(store + "/emax.dat", "garbage\r\n");
        const Run run = retrieve(store);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("\npvmail retrieve: The mail store counter "), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(servers.Messages().size(), 1);
    }

    void failuresExitWithTheirText()
    {
        const Run rejected = pvmail(
            {"send", "--server", servers.Smtp, "--from", "a@penvale.test", "--to", "nobody@penvale.test"});
        QCOMPARE(rejected.code, 1);
        QVERIFY2(rejected.err.startsWith("pvmail send: 550 "), rejected.err.constData());

        WriteWholeFile(dir.filePath(QStringLiteral("wrong")), "wrong\n");
        const Run login = pvmail({"retrieve", "--server", servers.Pop3, "--user", "tester", "--password-file",
                                  dir.filePath(QStringLiteral("wrong")), "--store", dir.filePath(QStringLiteral("s"))});
        QCOMPARE(login.code, 1);
        QVERIFY2(login.err.contains("\npvmail retrieve: -ERR"), login.err.constData());

        const Run usage = pvmail({"send", "--server", servers.Smtp, "--to", "x@penvale.test"});
        QCOMPARE(usage.code, 2);
        QCOMPARE(pvmail({"retrieve", "--server", servers.Pop3}).code, 2);
        QCOMPARE(pvmail({"send", "--help"}).code, 0);
    }
};

QTEST_GUILESS_MAIN(TestPvmailMail)
#include "tst_pvmail_mail.moc"
