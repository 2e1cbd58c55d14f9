// The session's connection steps against scripted servers: resolution, the
// errors and their texts, time-outs and cancels in each wait, closing.
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"

#include <QtTest>

class TestSessionConnect : public QObject {
    Q_OBJECT

private slots:
    void connectsToAnAddressWithoutLookup()
    {
        TScriptedServer server;
        server.Reply("220 ready");
        TSessionProbe probe(server.Address());
        probe.OpenAndConnect();
        QCOMPARE(probe.log, QStringList({"Open", "Connect"}));
        QVERIFY(probe.session.RemoteAddress().isEmpty());
        QCOMPARE(probe.session.Port(), server.Port());
        QByteArray line;
        QCOMPARE(probe.session.ReadLine(line), 220);
        QCOMPARE(line, QByteArray("220 ready"));
    }

    void connectsToANameThroughLookup()
    {
        TScriptedServer server;
        server.Reply("220 ready");
        TSessionProbe probe(QStringLiteral("localhost:%1").arg(server.Port()));
        probe.OpenAndConnect();
        QCOMPARE(probe.session.RemoteAddress(), QStringLiteral("127.0.0.1"));
        QCOMPARE(probe.session.ReadReply(), 220);
    }

    void portFallsBackToServiceAndDefault_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("service");
        QTest::newRow("no port, unknown service") << "" << QByteArray("pv-no-such-service");
        QTest::newRow("port 0") << ":0" << QByteArray("pv-no-such-service");
        QTest::newRow("port not a number") << ":abc" << QByteArray("pv-no-such-service");
        QTest::newRow("port beyond 16 bits") << ":70000" << QByteArray("pv-no-such-service");
    }
    void portFallsBackToServiceAndDefault()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, service);
        TScriptedServer server;
        server.Reply("220 ready");
        TSessionProbe probe(QStringLiteral("127.0.0.1") + suffix);
        ChangeOptions(probe.session, [&](TrkSessionOptions& options) {
            options.ServiceName = service;
            options.DefaultPort = server.Port();
        });
        probe.OpenAndConnect();
        QCOMPARE(probe.session.ReadReply(), 220);
    }

    // An IPv6 literal is bracketed when a port follows; bare or bracketed
    // alone it takes the default port.
    void connectsToAnIPv6Literal_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("bracketed with port") << "[::1]:%1";
        QTest::newRow("bracketed") << "[::1]";
        QTest::newRow("bare") << "::1";
        QTest::newRow("bare, long form") << "0:0:0:0:0:0:0:1";
    }
    void connectsToAnIPv6Literal()
    {
        QFETCH(QString, server);
        TScriptedServer listening(QHostAddress::LocalHostIPv6);
        listening.Reply("220 ready");
        const bool withPort = server.contains(QLatin1String("%1"));
        TSessionProbe probe(withPort ? server.arg(listening.Port()) : server);
        ChangeOptions(probe.session, [&](TrkSessionOptions& options) {
            options.ServiceName = "pv-no-such-service";
            options.DefaultPort = withPort ? 1 : listening.Port();
        });
        probe.OpenAndConnect();
        QCOMPARE(probe.session.ReadReply(), 220);
    }

    void serviceDatabaseGivesThePort()
    {
        TSessionProbe probe(QStringLiteral("127.0.0.1"));
        ChangeOptions(probe.session, [&](TrkSessionOptions& options) {
            options.ServiceName = "pop3";
            options.DefaultPort = 1;
        });
        probe.session.Open();
        QCOMPARE(probe.session.Port(), quint16(110));
        probe.session.Close();
    }

    void namesAndServerAreChecked_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QByteArray>("service");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty server") << "" << QByteArray("smtp") << "Server property is required";
        QTest::newRow("host too long") << QString(128, QLatin1Char('a')) << QByteArray("smtp")
                                       << "Host name is longer than 127 characters";
        QTest::newRow("no service") << "127.0.0.1" << QByteArray() << "Service name is required";
        QTest::newRow("service too long")
            << "127.0.0.1" << QByteArray(64, 's') << "Service name is longer than 63 characters";
        // a malformed name fails in the resolver itself: no query leaves the machine
        QTest::newRow("unknown host") << "bad..name:25" << QByteArray("smtp") << "[11001] Host not found";
    }
    void namesAndServerAreChecked()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, service);
        QFETCH(QString, message);
        TSessionProbe probe(server);
        ChangeOptions(probe.session, [&](TrkSessionOptions& options) { options.ServiceName = service; });
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.Open(); }), message);
        QCOMPARE(probe.log.last(), QStringLiteral("Error: ") + message);
    }

    void refusedConnectionFailsAtOnce()
    {
        const QString server = QStringLiteral("127.0.0.1:%1").arg(TScriptedServer::ClosedPort());
        TSessionProbe probe(server);
        QCOMPARE(FailureOf<ESocketError>([&] { probe.OpenAndConnect(); }),
                 "[10061] Connection refused (" + server + ")");
        QVERIFY(!probe.session.Expired());
        const QString bracketed = QStringLiteral("[::1]:%1").arg(TScriptedServer::ClosedPort());
        TSessionProbe v6(bracketed);
        QCOMPARE(FailureOf<ESocketError>([&] { v6.OpenAndConnect(); }),
                 "[10061] Connection refused (" + bracketed + ")");
    }

    void silentServerTimesOut()
    {
        TBlackHole server;
        TSessionProbe probe(server.Address(), 1);
        probe.OpenAndConnect();
        QByteArray line;
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.session.ReadLine(line); }), "Operation timed out");
        QCOMPARE(probe.log, QStringList({"Open", "Connect", "Error: Operation timed out", "Closing", "Closed"}));
        QVERIFY(!probe.session.Connected());
    }

    void cancelWhileWaitingForData()
    {
        TBlackHole server;
        TSessionProbe probe(server.Address());
        probe.OpenAndConnect();
        probe.CancelSoon();
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.session.ReadReply(); }), "Operation has been canceled");
        QCOMPARE(probe.log,
                 QStringList({"Open", "Connect", "Cancel", "Closing", "Closed", "Error: Operation has been canceled"}));
    }

    void cancelWhileConnecting()
    {
        TSessionProbe probe(QStringLiteral("127.0.0.1:25"), 60,
                            std::make_unique<TTestTransport>(TTestTransport::TFault::ConnectNeverFinishes));
        probe.CancelSoon();
        QCOMPARE(FailureOf<ECanceledError>([&] { probe.OpenAndConnect(); }), "Operation has been canceled");
        QCOMPARE(probe.log, QStringList({"Open", "Cancel", "Closing", "Closed", "Error: Operation has been canceled"}));
    }

    void hostLookupCancelsAndTimesOut()
    {
        const auto silentLookup = [] {
            return std::make_unique<TTestTransport>(TTestTransport::TFault::LookupNeverAnswers);
        };
        TSessionProbe canceled(QStringLiteral("mail.example:25"), 60, silentLookup());
        canceled.CancelSoon();
        QCOMPARE(FailureOf<ECanceledError>([&] { canceled.session.Open(); }), "Operation has been canceled");
        TSessionProbe expired(QStringLiteral("mail.example:25"), 1, silentLookup());
        QCOMPARE(FailureOf<ETimedOutError>([&] { expired.session.Open(); }), "Operation timed out");
    }

    void serviceDatabaseMissingLeavesTheDefaultPort()
    {
        TScriptedServer server;
        server.Reply("220 ready");
        TSessionProbe probe(QStringLiteral("127.0.0.1"), 1,
                            std::make_unique<TTestTransport>(TTestTransport::TFault::NoServiceDatabase));
        ChangeOptions(probe.session, [&](TrkSessionOptions& options) {
            options.ServiceName = "smtp";
            options.DefaultPort = server.Port();
        });
        probe.OpenAndConnect();
        QCOMPARE(probe.session.Port(), server.Port());
        QCOMPARE(probe.session.ReadReply(), 220);
    }

    // A name's addresses, IPv6 and IPv4, are tried in turn, each for the
    // time-out, so one that refuses or stays silent does not hide the next;
    // when none answers, the last one's error is raised.
    void connectsToTheFirstAddressThatAnswers_data()
    {
        QTest::addColumn<QHostAddress>("listening");
        QTest::addColumn<QList<QHostAddress>>("refusing");
        QTest::addColumn<QList<QHostAddress>>("silent");
        const QHostAddress v4 = QHostAddress::LocalHost, v6 = QHostAddress::LocalHostIPv6;
        const QHostAddress other(QStringLiteral("127.0.0.2"));
        QTest::newRow("IPv4 refusing, IPv4") << v4 << QList{other} << QList<QHostAddress>{};
        QTest::newRow("IPv6 only") << v6 << QList<QHostAddress>{} << QList<QHostAddress>{};
        QTest::newRow("IPv4 refusing, IPv6") << v6 << QList{v4} << QList<QHostAddress>{};
        QTest::newRow("IPv6 silent, IPv4") << v4 << QList<QHostAddress>{} << QList{v6};
    }
    void connectsToTheFirstAddressThatAnswers()
    {
        QFETCH(QHostAddress, listening);
        QFETCH(QList<QHostAddress>, refusing);
        QFETCH(QList<QHostAddress>, silent);
        TScriptedServer server(listening);
        server.Reply("220 ready");
        const QString name = QStringLiteral("mail.example:%1").arg(server.Port());
        const QList<QHostAddress> answer = silent + refusing + QList{listening};
        TSessionProbe probe(name, 1, std::make_unique<TTestTransport>(answer, silent));
        probe.OpenAndConnect();
        QCOMPARE(probe.session.RemoteAddress(), listening.toString());
        QCOMPARE(probe.session.ReadReply(), 220);
    }

    void noAddressAnswers()
    {
        const QHostAddress refusing(QStringLiteral("127.0.0.2"));
        const QString name = QStringLiteral("mail.example:%1").arg(TScriptedServer::ClosedPort());
        TSessionProbe none(name, 60, std::make_unique<TTestTransport>(QList<QHostAddress>{refusing, refusing}));
        QCOMPARE(FailureOf<ESocketError>([&] { none.OpenAndConnect(); }), "[10061] Connection refused (" + name + ")");
        TSessionProbe silent(
            name, 1, std::make_unique<TTestTransport>(QList{refusing, refusing}, QList<QHostAddress>{refusing}));
        QCOMPARE(FailureOf<ESocketError>([&] { silent.OpenAndConnect(); }),
                 "[10060] Connection timed out (" + name + ")");
    }

    void connectionResetRaisesAndCloses()
    {
        TScriptedServer server;
        server.Pause(50).ResetConnection();
        TSessionProbe probe(server.Address());
        probe.OpenAndConnect();
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ReadReply(); }), "[10054] Connection reset by peer");
        QCOMPARE(probe.log.mid(2), QStringList({"Error: [10054] Connection reset by peer", "Closing", "Closed"}));
        QVERIFY(!probe.session.Connected());
    }

    void errorHandlerRewordsSocketErrors()
    {
        TSessionProbe probe(QStringLiteral("127.0.0.1:%1").arg(TScriptedServer::ClosedPort()));
        ChangeListeners(probe.session, [&](TrkSessionListeners& listeners) {
            listeners.OnError = [](QObject*, QString& msg) { msg = QStringLiteral("no server: ") + msg; };
        });
        QVERIFY(FailureOf<ESocketError>([&] {
                    probe.OpenAndConnect();
                }).startsWith("no server: [10061] Connection refused ("));
    }

    void callsNeedAConnection()
    {
        TSessionProbe probe;
        QByteArray line;
        const QString message = "You have to connect to the server first";
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.ReadLine(line); }), message);
        QCOMPARE(FailureOf<ESocketError>([&] { probe.session.SendLine("QUIT"); }), message);
    }

    void destroyingTheSessionClosesItsSocket()
    {
        TScriptedServer server;
        auto* session = new TTestSession;
        ChangeOptions(*session, [&](TrkSessionOptions& options) { options.Server = server.Address(); });
        session->Open();
        session->ConnectSocket();
        delete session;
        QTRY_VERIFY_WITH_TIMEOUT(server.PeerGone(), 5000);
    }

    void reconnectsAfterCancel()
    {
        TScriptedServer server;
        server.Reply("220 again");
        TSessionProbe probe(server.Address());
        probe.session.Cancel();
        probe.session.Reset();
        probe.OpenAndConnect();
        QCOMPARE(probe.session.ReadReply(), 220);
    }
};

QTEST_GUILESS_MAIN(TestSessionConnect)
#include "tst_session_connect.moc"
