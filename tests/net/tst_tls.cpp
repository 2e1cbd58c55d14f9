// TLS in the session against a scripted TLS server: implicit TLS and the
// upgrade in place, certificates a client must refuse, bytes injected before
// the upgrade, and servers that fail the handshake.
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "TestAuthority.h"
#include "errorof.h"
#include "toolkit/Streams.h"

#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QtTest>

namespace {

// Plays one dialogue with one client, in plain text until Encrypt, or in TLS
// from the start. Received() holds every application byte the client sent.
class TTlsServer : public QTcpServer {
public:
    TTlsServer(const QString& certificateFile, const QString& keyFile)
    {
        QFile certificate(certificateFile), key(keyFile);
        certificate.open(QIODevice::ReadOnly);
        key.open(QIODevice::ReadOnly);
        this->certificate = QSslCertificate(certificate.readAll());
        this->key = QSslKey(key.readAll(), QSsl::Ec);
        listen(QHostAddress::LocalHost);
    }

    QString Address(const QString& host = QStringLiteral("localhost")) const
    {
        return QStringLiteral("%1:%2").arg(host).arg(serverPort());
    }

    TTlsServer& Encrypt() { return add({Step::Encrypt, {}}); }
    TTlsServer& Reply(const QByteArray& line) { return Send(line + "\r\n"); }
    TTlsServer& Send(const QByteArray& bytes) { return add({Step::Send, bytes}); }
    // Waits for the line, after whatever came before it.
    TTlsServer& Expect(const QByteArray& line) { return add({Step::Expect, line + "\r\n"}); }

    bool Finished() const { return next == steps.size(); }
    const QByteArray& Received() const { return received; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        peer = new QSslSocket(this);
        peer->setSocketDescriptor(descriptor);
        peer->setLocalCertificate(certificate);
        peer->setPrivateKey(key);
        peer->setPeerVerifyMode(QSslSocket::VerifyNone);
        connect(peer, &QSslSocket::readyRead, this, &TTlsServer::run);
        connect(peer, &QSslSocket::encrypted, this, &TTlsServer::run);
        run();
    }

private:
    struct Step {
        enum Kind { Encrypt, Send, Expect } kind;
        QByteArray bytes;
    };
    TTlsServer& add(Step step)
    {
        steps.append(step);
        return *this;
    }

    void run()
    {
        received += peer->readAll();
        for (; next < steps.size(); ++next) {
            const Step& step = steps[next];
            if (step.kind == Step::Encrypt && !peer->isEncrypted()) {
                if (peer->mode() == QSslSocket::UnencryptedMode)
                    peer->startServerEncryption();
                return;
            }
            if (step.kind == Step::Send)
                peer->write(step.bytes);
            if (step.kind == Step::Expect) {
                const qsizetype at = received.indexOf(step.bytes, expected);
                if (at < 0)
                    return;
                expected = at + step.bytes.size();
            }
        }
    }

    QSslCertificate certificate;
    QSslKey key;
    QSslSocket* peer = nullptr;
    QList<Step> steps;
    qsizetype next = 0;
    QByteArray received;
    qsizetype expected = 0;
};

struct TTlsProbe : TSessionProbe {
    TTlsProbe(const QString& server, TmsSecurity security, const QString& caFile, int timeOut = 5)
        : TSessionProbe(server, timeOut)
    {
        ChangeOptions(session, [&](TrkSessionOptions& options) {
            options.Security = security;
            options.CAFile = caFile;
        });
    }
};

}

class TestTls : public QObject {
    Q_OBJECT

    TTestAuthority authority;

    QString certificate(TTestAuthority::TCertificate which) const { return authority.CertificateFile(which); }

private slots:
    void initTestCase()
    {
        QVERIFY2(authority.Ok(), qPrintable(authority.Failure()));
        if (!QSslSocket::supportsSsl())
            QSKIP("Qt has no TLS backend for the test server");
    }

    // A multi-line reply arrives in one record: its later lines are already
    // decrypted when the first is read, and must not wait on the socket.
    void implicitTlsExchangesLines()
    {
        TTlsServer server(certificate(TTestAuthority::Good), authority.KeyFile());
        server.Encrypt().Reply("220 ready").Expect("EHLO me").Send("250-first\r\n250-second\r\n250 last\r\n");
        TTlsProbe probe(server.Address(), TmsSecurity::Tls, authority.AuthorityFile());
        probe.OpenAndConnect();
        QVERIFY(probe.session.Secure());
        QByteArray line;
        QCOMPARE(probe.session.ReadLine(line), 220);
        probe.session.SendLine("EHLO me");
        QCOMPARE(probe.session.ReadReply(), 250);
        QCOMPARE(probe.session.LastReply(), QByteArray("250 last"));
        QVERIFY(server.Finished());
    }

    // Bytes sent after the go-ahead but before the handshake are an attacker's
    // reply: the one after the handshake is the one read.
    void startTlsDiscardsBytesBeforeTheHandshake()
    {
        TTlsServer server(certificate(TTestAuthority::Good), authority.KeyFile());
        server.Reply("220 plain")
            .Expect("STARTTLS")
            .Send("220 go ahead\r\n250 injected\r\n")
            .Encrypt()
            .Expect("NOOP")
            .Reply("250 real");
        TTlsProbe probe(server.Address(QStringLiteral("127.0.0.1")), TmsSecurity::StartTls, authority.AuthorityFile());
        probe.OpenAndConnect();
        QByteArray line;
        QCOMPARE(probe.session.ReadLine(line), 220);
        probe.session.SendLine("STARTTLS");
        QCOMPARE(probe.session.ReadLine(line), 220);
        QTest::qWait(100); // the injected line is surely in the socket
        QVERIFY(!probe.session.Secure());
        probe.session.StartTls();
        QVERIFY(probe.session.Secure());
        probe.session.SendLine("NOOP");
        probe.session.ReadLine(line);
        QCOMPARE(line, QByteArray("250 real"));
    }

    // Large enough that the socket fills both ways and TLS has to wait.
    void messageDataOverTls()
    {
        QByteArray text;
        for (int i = 0; text.size() < 3'000'000; ++i)
            text += "line " + QByteArray::number(i) + " of the message\r\n";
        TTlsServer server(certificate(TTestAuthority::Good), authority.KeyFile());
        server.Encrypt().Expect("of the message").Send(text + ".\r\n");
        TTlsProbe probe(server.Address(), TmsSecurity::Tls, authority.AuthorityFile());
        probe.OpenAndConnect();
        TMemoryStream out(text);
        probe.session.SendStream(out);
        QTRY_COMPARE_WITH_TIMEOUT(server.Received().size(), text.size(), 10000);
        QCOMPARE(server.Received(), text);
        TMemoryStream in;
        probe.session.ReceiveStream(in, 0);
        QCOMPARE(in.Bytes(), text);
    }

    void refusedCertificate_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("reason");
        QTest::newRow("other authority") << int(TTestAuthority::OtherAuthority)
                                         << "unable to get local issuer certificate";
        QTest::newRow("expired") << int(TTestAuthority::Expired) << "certificate has expired";
        QTest::newRow("wrong host") << int(TTestAuthority::WrongHost) << "hostname mismatch";
    }

    void refusedCertificate()
    {
        QFETCH(int, which);
        QFETCH(QString, reason);
        TTlsServer server(certificate(TTestAuthority::TCertificate(which)), authority.KeyFile());
        server.Encrypt().Reply("220 ready");
        TTlsProbe probe(server.Address(), TmsSecurity::Tls, authority.AuthorityFile());
        probe.session.Open();
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ConnectSocket(); }),
                 "TLS handshake with localhost failed: " + reason);
        QVERIFY(!probe.session.Connected());
        QVERIFY(errorOf([&] { probe.session.SendLine("QUIT"); }).contains("connect to the server first"));
        QTest::qWait(50);
        QVERIFY(server.Received().isEmpty());
    }

    // The authority named by SSL_CERT_FILE is trusted like the system's.
    void trustStoreFromTheEnvironment()
    {
        qputenv("SSL_CERT_FILE", QFile::encodeName(authority.AuthorityFile()));
        TTlsServer server(certificate(TTestAuthority::Good), authority.KeyFile());
        server.Encrypt().Reply("220 ready");
        TTlsProbe probe(server.Address(), TmsSecurity::Tls, {});
        const QString error = errorOf([&] { probe.OpenAndConnect(); });
        qunsetenv("SSL_CERT_FILE");
        QCOMPARE(error, QString());
        QVERIFY(probe.session.Secure());
    }

    void failedHandshakes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("reason");
        QTest::newRow("plain text") << QByteArray("220 plain greeting\r\n") << false << "the server does not speak TLS";
        QTest::newRow("closed") << QByteArray() << true << "closed";
    }

    void failedHandshakes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, close);
        QFETCH(QString, reason);
        TScriptedServer server;
        server.Pause(50);
        if (!answer.isEmpty())
            server.Send(answer);
        if (close)
            server.Close();
        TTlsProbe probe(server.Address(), TmsSecurity::Tls, authority.AuthorityFile());
        const QString error = FailureOf<ESocketError>([&] { probe.OpenAndConnect(); });
        QVERIFY2(error.startsWith("TLS handshake with 127.0.0.1 failed: ") && error.contains(reason),
                 qPrintable(error));
        QVERIFY(!probe.session.Connected());
    }

    void silentServerTimesOut()
    {
        TBlackHole silent;
        TTlsProbe probe(silent.Address(), TmsSecurity::Tls, authority.AuthorityFile(), 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.OpenAndConnect(); }), "Operation timed out");
        QVERIFY(!probe.session.Connected());
    }

    void cancelDuringHandshake()
    {
        TBlackHole silent;
        TTlsProbe probe(silent.Address(), TmsSecurity::Tls, authority.AuthorityFile());
        probe.CancelSoon(100);
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.OpenAndConnect(); }), "Operation has been canceled");
        QVERIFY(!probe.session.Secure());
    }
};

QTEST_GUILESS_MAIN(TestTls)
#include "tst_tls.moc"
