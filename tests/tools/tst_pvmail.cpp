// The pvmail tool as a script uses it: encode, decode, errors and help, and
// the options for a protected connection and a login.
#include "ScriptedServer.h"
#include "net/session/challenge_logins.h"
#include "net/pop3/seen_ids.h"
#include "toolkit/Streams.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

struct Run {
    int code;
    QByteArray out;
    QByteArray err;
};

// The event loop turns meanwhile, so a scripted server of the test can answer.
Run pvmail(const QStringList& arguments, const QByteArray& input = {},
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
           const std::function<void()>& inChild = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(PVMAIL_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    const QDeadlineTimer deadline(60000);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired())
            qFatal("pvmail did not finish");
        process.waitForFinished(20);
        QCoreApplication::processEvents();
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestPvmail : public QObject {
    Q_OBJECT
private slots:
    void encodeThenDecode()
    {
        QTemporaryDir dir;
        const QByteArray binary = QByteArray::fromHex("00ff0d0a") + QByteArray(5000, 'z');
        WriteWholeFile(dir.filePath(QStringLiteral("data.bin")), binary);
        const QByteArray json = R"({"from": {"name": "Zoë", "address": "z@example.org"},
            "to": [{"name": "Bob", "address": "bob@example.org"}], "cc": [{"name": "", "address": "c@example.org"}],
            "subject": "Grüße", "priority": "low", "returnReceipt": true, "body": ["Hello", ".", "naïve"],
            "attachments": [{"fileName": "résumé.bin", "path": "data.bin"}]})";
        WriteWholeFile(dir.filePath(QStringLiteral("m.json")), json);
        const Run encode = pvmail({QStringLiteral("encode"), dir.filePath(QStringLiteral("m.json"))});
        QCOMPARE(encode.code, 0);
        WriteWholeFile(dir.filePath(QStringLiteral("m.eml")), encode.out);
        const QString saved = dir.filePath(QStringLiteral("saved"));
        const Run decode = pvmail({QStringLiteral("decode"), dir.filePath(QStringLiteral("m.eml")),
                                   QStringLiteral("--save-attachments"), saved});
        QCOMPARE(decode.code, 0);
        const QJsonObject m = QJsonDocument::fromJson(decode.out).object();
        QCOMPARE(m[QStringLiteral("from")][QStringLiteral("name")].toString(), QStringLiteral("Zoë"));
        QCOMPARE(m[QStringLiteral("sender")][QStringLiteral("address")].toString(), QStringLiteral("z@example.org"));
        QCOMPARE(m[QStringLiteral("cc")].toArray().size(), 1);
        QCOMPARE(m[QStringLiteral("subject")].toString(), QStringLiteral("Grüße"));
        QCOMPARE(m[QStringLiteral("priority")].toString(), QStringLiteral("low"));
        QCOMPARE(m[QStringLiteral("returnReceipt")].toBool(), true);
        QCOMPARE(m[QStringLiteral("encoding")].toString(), QStringLiteral("mime"));
        QCOMPARE(m[QStringLiteral("charset")].toString(), QStringLiteral("utf-8"));
        QCOMPARE(m[QStringLiteral("contentType")].toString(), QStringLiteral("multipart/mixed"));
        QCOMPARE(m[QStringLiteral("body")].toArray(), QJsonArray({"Hello", ".", "naïve"}));
        const QJsonObject att = m[QStringLiteral("attachments")].toArray().at(0).toObject();
        QCOMPARE(att[QStringLiteral("fileName")].toString(), QStringLiteral("résumé.bin"));
        QCOMPARE(att[QStringLiteral("encoding")].toString(), QStringLiteral("Base64"));
        QCOMPARE(att[QStringLiteral("size")].toInt(), binary.size());
        QCOMPARE(att[QStringLiteral("sha256")].toString().toLatin1(),
                 QCryptographicHash::hash(binary, QCryptographicHash::Sha256).toHex());
        QCOMPARE(ReadWholeFile(saved + QStringLiteral("/résumé.bin")), binary);
        QVERIFY(!m[QStringLiteral("headers")].toArray().isEmpty());
    }

    // A pipe has no size to read up to; nothing read is no message.
    void decodesAPipe_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("subject");
        const QByteArray message = "From: a@x.test\r\nSubject: Piped\r\n\r\n" + QByteArray(100000, 'b') + "\r\n";
        QTest::newRow("dash") << "-" << message << 0 << QByteArray("Piped");
        QTest::newRow("/dev/stdin") << "/dev/stdin" << message << 0 << QByteArray("Piped");
        QTest::newRow("empty") << "-" << QByteArray() << 1 << QByteArray();
    }
    void decodesAPipe()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, input);
        QFETCH(int, code);
        QFETCH(QByteArray, subject);
        const Run run = pvmail({QStringLiteral("decode"), file}, input);
        QCOMPARE(run.code, code);
        if (code == 0)
            QCOMPARE(QJsonDocument::fromJson(run.out)[QStringLiteral("subject")].toString().toUtf8(), subject);
        else
            QVERIFY2(run.err.startsWith("pvmail decode: ") && run.err.contains("empty") && run.out.isEmpty(), run.err);
    }

    void errorsAreClearAndFail()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("missing.eml"));
        for (const char* command : {"decode", "encode"}) {
            const Run run = pvmail({QString::fromLatin1(command), missing});
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.startsWith("pvmail " + QByteArray(command) + ": ") && run.err.contains("missing.eml"),
                     run.err);
        }
        const std::pair<const char*, const char*> bad[] = {
            {"{\"to\": [", "invalid JSON"},
            {"[1]", "expected a JSON object"},
            {"{\"to\": \"bob\"}", "\"to\" must be"},
            {"{\"priority\": \"urgent\"}", "\"priority\" must be"},
            {"{\"attachments\": [{\"path\": \"nothing.bin\"}]}", "nothing.bin"}};
        for (const auto& [json, message] : bad) {
            WriteWholeFile(dir.filePath(QStringLiteral("bad.json")), json);
            const Run run = pvmail({QStringLiteral("encode"), dir.filePath(QStringLiteral("bad.json"))});
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(message), run.err);
            QVERIFY(run.out.isEmpty());
        }
        QCOMPARE(pvmail({QStringLiteral("frobnicate")}).code, 2);
        QCOMPARE(pvmail({QStringLiteral("decode")}).code, 2);
        QCOMPARE(pvmail({}).code, 2);
    }

    // Mistakes are usage errors found before any connection is made, and no
    // option takes the password itself: other users can read arguments.
    void secureOptionsAreCheckedFirst()
    {
        const QStringList send = {"send", "--server", "127.0.0.1:1", "--from", "a@x.test", "--to", "b@x.test"};
        const QStringList retrieve = {"retrieve", "--server", "127.0.0.1:1", "--user", "u", "--store", "/nowhere"};
        QProcessEnvironment noPassword = QProcessEnvironment::systemEnvironment();
        noPassword.remove("PVMAIL_PASSWORD");
        const std::pair<QStringList, const char*> wrong[] = {
            {send + QStringList{"--security", "ssl"}, "--security takes none, starttls or tls"},
            {retrieve + QStringList{"--security", "STARTTLS", "--password-file", "/dev/null"},
             "--security takes none, starttls or tls"},
            {send + QStringList{"--login", "me"}, "logging in takes --login and a password"},
            {retrieve, "--password-file or PVMAIL_PASSWORD is required"},
            {send + QStringList{"--password", "secret"}, "Unknown option 'password'"},
        };
        for (const auto& [arguments, message] : wrong) {
            const Run run = pvmail(arguments, {}, noPassword);
            QCOMPARE(run.code, 2);
            QVERIFY2(run.err.contains(message), run.err);
        }
    }

    // One line says so before a log-in that goes without TLS; a send
    // without a log-in, or with TLS, says nothing of it.
    void aLoginWithoutTlsIsWarnedOf()
    {
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(TScriptedServer::ClosedPort());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", "p");
        const QStringList send = {"send", "--server", closed, "--from", "a@x.test", "--to", "b@x.test"};
        const QStringList retrieve = {"retrieve", "--server", closed, "--user", "u", "--store", "/nowhere"};
        const QByteArray warning =
            " warning: without --security starttls or tls the password can be read on the "
            "network\n";
        const std::pair<QStringList, QByteArray> runs[] = {
            {send + QStringList{"--login", "me"}, "pvmail send:" + warning},
            {retrieve, "pvmail retrieve:" + warning},
            {send, {}},
            {retrieve + QStringList{"--security", "tls"}, {}},
        };
        for (const auto& [arguments, said] : runs) {
            const Run run = pvmail(arguments, {}, environment);
            QCOMPARE(run.code, 1);
            QCOMPARE(run.err.left(said.size()), said); // first, before the connection fails
            QCOMPARE(run.err.count(" warning: "), said.isEmpty() ? 0 : 1);
        }
    }

    // A server that offered APOP and no longer does: a warning, and the
    // log-in goes ahead as before.
    void aWithdrawnApopIsWarnedOf()
    {
        QTemporaryDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", "p");
        environment.insert("XDG_DATA_HOME", dir.filePath("data"));
        TScriptedServer server;
        server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS p").Reply("+OK in");
        server.Expect("STAT").Reply("+OK 0 0").Expect("QUIT").Reply("+OK bye");
        TChallengeLogins(dir.filePath("data/penvale/challenge-logins"), server.Address(), "u", "APOP").Remember();
        const Run run = pvmail({"retrieve", "--server", server.Address(), "--user", "u", "--store", dir.path()}, {},
                               environment);
        QVERIFY2(run.code == 0, run.err);
        QVERIFY2(run.err.contains("pvmail retrieve: warning: The server " + server.Address().toUtf8()
                                  + " offered a log-in that keeps the password off the network (APOP) before"),
                 run.err);
        QCOMPARE(server.Failures(), QStringList());
    }

    void thePasswordIsTheFilesFirstLineOrTheEnvironments_data()
    {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("file") << true;
        QTest::newRow("environment") << false;
    }
    void thePasswordIsTheFilesFirstLineOrTheEnvironments()
    {
        QFETCH(bool, fromFile);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("password"));
        WriteWholeFile(file, "pass wörd\r\nnot this\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", fromFile ? "not this" : "pass wörd");
        TScriptedServer server;
        server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS pass wörd").Reply("+OK in");
        server.Expect("STAT").Reply("+OK 0 0").Expect("QUIT").Reply("+OK bye");
        QStringList arguments = {"retrieve", "--server", server.Address(), "--user", "u", "--store", dir.path()};
        if (fromFile)
            arguments << "--password-file" << file;
        const Run run = pvmail(arguments, {}, environment);
        QVERIFY2(run.code == 0, run.err);
        QVERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
    }

    // Output read by nobody, as with "| head -1" once head has its line: the
    // shell's default SIGPIPE does not kill the retrieval, every message is
    // stored before its DELE.
    void aClosedOutputStillStoresEveryMessage()
    {
        QTemporaryDir dir;
        int closedPipe[2];
        QVERIFY(::pipe2(closedPipe, O_CLOEXEC) == 0);
        ::close(closedPipe[0]);
        const int writeEnd = closedPipe[1];
        TScriptedServer server;
        server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS p").Reply("+OK in");
        server.Expect("STAT").Reply("+OK 2 100").Expect("UIDL").Reply("-ERR no ids");
        for (const char* number : {"1", "2"})
            server.Expect(QByteArray("LIST ") + number)
                .Reply(QByteArray("+OK ") + number + " 50")
                .Expect(QByteArray("RETR ") + number)
                .Reply("+OK")
                .Reply("Subject: a")
                .Reply("")
                .Reply(".");
        server.Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK");
        server.Expect("QUIT").Reply("+OK bye");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", "p");
        const Run run = pvmail({"retrieve", "--server", server.Address(), "--user", "u", "--store", dir.path()}, {},
                               environment, [writeEnd] {
                                   std::signal(SIGPIPE, SIG_DFL);
                                   ::dup2(writeEnd, STDOUT_FILENO);
                               });
        ::close(writeEnd);
        QVERIFY2(run.code == 0, run.err);
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("m0.eml"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("m1.eml"))));
        QVERIFY(server.Finished());
        QCOMPARE(server.Failures(), QStringList());
    }

    // The server deletes only at QUIT: after a connection lost before it, the
    // next run deletes the messages stored, without storing them again. The
    // ids are kept where the mailbox window keeps them for the account.
    void deletedMailIsStoredOnceAfterALostConnection()
    {
        QTemporaryDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", "p");
        environment.insert("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")));
        const auto listed = [](TScriptedServer& server, const QList<QByteArray>& ids) {
            server.Reply("+OK ready").Expect("USER u").Reply("+OK").Expect("PASS p").Reply("+OK in");
            server.Expect("STAT").Reply("+OK " + QByteArray::number(ids.size()) + " 100").Expect("UIDL").Reply("+OK");
            for (qsizetype i = 0; i < ids.size(); ++i)
                server.Reply(QByteArray::number(i + 1) + ' ' + ids[i]);
            server.Reply(".");
        };
        const auto message = [](TScriptedServer& server, const QByteArray& number) {
            server.Expect("LIST " + number).Reply("+OK " + number + " 50").Expect("RETR " + number).Reply("+OK");
            server.Reply("Subject: " + number).Reply("").Reply(".");
        };
        const auto retrieve = [&](TScriptedServer& server) {
            return pvmail({"retrieve", "--server", server.Address(), "--user", "u", "--store", dir.path()}, {},
                          environment);
        };

        TScriptedServer lost;
        listed(lost, {"id-1", "id-2"});
        message(lost, "1");
        message(lost, "2");
        lost.Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK").Expect("QUIT").Close();
        QCOMPARE(retrieve(lost).code, 1);
        QCOMPARE(lost.Failures(), QStringList());

        TScriptedServer again; // the same account, but its port is a new one: the ids follow
        QDir seen(dir.filePath(QStringLiteral("data/penvale/seen")));
        QVERIFY(seen.rename(seen.entryList(QDir::Files).value(0),
                            QFileInfo(SeenIdsPath(again.Address(), QStringLiteral("u"))).fileName()));
        listed(again, {"id-1", "id-2", "id-3"});
        again.Expect("DELE 1").Reply("+OK").Expect("DELE 2").Reply("+OK");
        message(again, "3");
        again.Expect("DELE 3").Reply("+OK").Expect("QUIT").Reply("+OK bye");
        const Run run = retrieve(again);
        QVERIFY2(run.code == 0, run.err);
        QVERIFY(again.Finished());
        QCOMPARE(again.Failures(), QStringList());
        QCOMPARE(run.out.count('\n'), 1);
        QCOMPARE(QDir(dir.path()).entryList({"m*.eml"}, QDir::Files, QDir::Name),
                 QStringList({"m0.eml", "m1.eml", "m2.eml"}));
    }

    // A seen file that cannot serve would have every run store the whole
    // mailbox again; it stops the retrieval before any connection, naming
    // the file, not a temporary name.
    void aSeenFileThatCannotServeIsAnError_data()
    {
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("unreadable") << "seen" << QByteArray("directory") << QByteArray("cannot be read");
        QTest::newRow("unwritable") << "file/seen" << QByteArray() << QByteArray("cannot be written");
        QTest::newRow("damaged") << "seen" << QByteArray("abc\nnot an id\n")
                                 << QByteArray("is damaged: line 2 is no unique id");
    }
    void aSeenFileThatCannotServeIsAnError()
    {
        QFETCH(QString, seen);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        WriteWholeFile(dir.filePath(QStringLiteral("file")), "x");
        const QString password = dir.filePath(QStringLiteral("password"));
        WriteWholeFile(password, "p\n");
        const QString path = dir.filePath(seen);
        if (content == "directory")
            QVERIFY(QDir(dir.path()).mkdir(seen));
        else if (!content.isEmpty())
            WriteWholeFile(path, content);
        const Run run = pvmail({"retrieve", "--server", "127.0.0.1:1", "--user", "u", "--password-file", password,
                                "--store", dir.filePath(QStringLiteral("store")), "--leave-on-server", "--seen-file",
                                path});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("the seen file \"" + path.toUtf8() + "\" " + reason), run.err);
    }

    // A store where no file can be made is named as the directory it is.
    void aStoreThatTakesNoFileIsNamed()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PVMAIL_PASSWORD", "p");
        const Run run = pvmail({"retrieve", "--server", "127.0.0.1:1", "--user", "u", "--store", "/proc"}, {},
                               environment);
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("\"/proc\"") && !run.err.contains("XXXXXX"), run.err);
    }

    void helpOnEveryCommand()
    {
        const Run overview = pvmail({QStringLiteral("--help")});
        QCOMPARE(overview.code, 0);
        for (const char* command : {"decode", "encode"}) {
            QVERIFY(overview.out.contains(command));
            const Run help = pvmail({QString::fromLatin1(command), QStringLiteral("--help")});
            QCOMPARE(help.code, 0);
            QVERIFY(help.out.startsWith("Usage: pvmail " + QByteArray(command)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPvmail)
#include "tst_pvmail.moc"
