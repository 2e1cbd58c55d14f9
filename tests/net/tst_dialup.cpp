// The dial-up component against NetworkManager mocked on a private bus
// (python3-dbusmock with data/nm_dialup.py, whose activations take time):
// the profiles, dialling, failing, timing out, cancelling, leaving alone a
// connection it did not make, no bus at all, and pvmail send --dial.
#include "MailServers.h"
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"
#include "net/dialup/dialer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Manager = QStringLiteral("org.freedesktop.NetworkManager");

// A component whose events are written to a log.
struct TRasProbe {
    TrkRas ras;
    QStringList log;
    QStringList notices;

    explicit TRasProbe(const QString& service = {})
    {
        ras.OnStatusChange = [this](QObject*, const QString& text) { log << text; };
        ras.OnDisconnected = [this](QObject*) { log << QStringLiteral("Disconnected"); };
        ras.ShowMessage = [this](const QString& text) { notices << text; };
        ras.SetService(service);
    }
};

} // namespace

class TestDialup : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QProcess daemon;
    QProcess mock;
    QDBusConnection bus{QString()};

    QVariant property(const QString& path, const QString& name)
    {
        const QString iface = path == QLatin1String("/org/freedesktop/NetworkManager")
                                ? Manager
                                : QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
        QDBusMessage get = QDBusMessage::createMethodCall(
            Manager, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << iface << name;
        return bus.call(get).arguments().value(0).value<QDBusVariant>().variant();
    }

    // The profiles NetworkManager has up or coming up.
    QStringList active()
    {
        QStringList ids;
        const QVariant paths = property(QStringLiteral("/org/freedesktop/NetworkManager"),
                                        QStringLiteral("ActiveConnections"));
        for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(paths))
            ids << property(path.path(), QStringLiteral("Id")).toString();
        return ids;
    }

    // The calls the mock answered, in order.
    QByteArray mockLog() const
    {
        QFile log(dir.filePath(QStringLiteral("mock.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
            || QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import dbusmock"}) != 0)
            QSKIP("needs dbus-daemon and python3-dbusmock (scripts/deps.sh)");
        const QString address = QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("bus"));
        daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--address=" + address});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(dir.filePath(QStringLiteral("bus"))); }, 5000));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        mock.setStandardOutputFile(dir.filePath(QStringLiteral("mock.log")));
        mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock.start(QStringLiteral("/usr/bin/python3"),
                   {"-m", "dbusmock", "--template", qEnvironmentVariable("PV_TEST_DATA") + "/data/nm_dialup.py"});
        bus = QDBusConnection::connectToBus(address, QStringLiteral("test"));
        QVERIFY(QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered(Manager).value(); }, 10000));
    }

    void cleanupTestCase()
    {
        mock.kill();
        mock.waitForFinished();
        daemon.kill();
        daemon.waitForFinished();
    }

    // Dial-up kinds first, then the rest; a name is taken without regard to
    // case and only before the connection is up.
    void entriesAndService()
    {
        TRasProbe probe(QStringLiteral("mobile"));
        QCOMPARE(probe.ras.EntryNames, QStringList({"Mobile", "Locked", "Stuck", "Office", "Wired"}));
        QCOMPARE(probe.ras.Service(), QStringLiteral("mobile"));
        probe.ras.SetService(QStringLiteral("Nowhere"));
        QCOMPARE(probe.ras.Service(), QString());
        probe.ras.SetService(QStringLiteral("Wired"));
        probe.ras.Connected = true;
        probe.ras.SetService(QStringLiteral("Mobile"));
        QCOMPARE(probe.ras.Service(), QStringLiteral("Wired"));
        QCOMPARE(probe.notices, QStringList({"Invalid service name",
                                             "This property can be set only before\nestablishing the connection"}));
    }

    // The session dials first and hangs up last; the line it dialled goes.
    void sessionDialsThenHangsUp()
    {
        TRasProbe dial(QStringLiteral("Mobile"));
        TScriptedServer server;
        server.Reply("220 hi");
        TSessionProbe session(server.Address());
        ChangeOptions(session.session, [&](TrkSessionOptions& options) { options.DialLink = &dial.ras; });
        ChangeListeners(session.session, [&](TrkSessionListeners& listeners) {
            listeners.OnOpen = [&](QObject*) { dial.log << "Open " + active().join(','); };
        });
        session.OpenAndConnect();
        QVERIFY(dial.ras.Dialed);
        session.session.Close();
        QCOMPARE(dial.log,
                 QStringList({"Connecting Mobile...", "Connected Mobile", "Open Office,Mobile", "Disconnected"}));
        QCOMPARE(active(), QStringList({"Office"}));
    }

    void failingDialAndPassword()
    {
        TRasProbe probe(QStringLiteral("Locked"));
        const QString failure = FailureOf<ERASError>([&] { probe.ras.Dial(); });
        QCOMPARE(failure, QStringLiteral("The connection Locked ended: no password was given"));
        QCOMPARE(probe.ras.LastError, QStringLiteral("NM_ACTIVE_CONNECTION_STATE_REASON_NO_SECRETS"));
        QVERIFY(!probe.ras.Connected);
        QCOMPARE(active(), QStringList({"Office"}));

        probe.ras.Password = QStringLiteral("sesame");
        probe.ras.Dial();
        QVERIFY(probe.ras.Connected);
        probe.ras.Abort();
        QCOMPARE(active(), QStringList({"Office"}));
    }

    // A dial that never completes times out and its activation is withdrawn;
    // a cancel ends it at once the same way.
    void timeOutAndCancel()
    {
        TRasProbe probe(QStringLiteral("Stuck"));
        probe.ras.SetTimeOut(1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { probe.ras.Dial(); }), ETimedOutError::Text());
        QCOMPARE(active(), QStringList({"Office"}));
        QCOMPARE(probe.log, QStringList({"Connecting Stuck...", "Disconnected"}));

        probe.ras.SetTimeOut(60);
        TSessionProbe session(QStringLiteral("127.0.0.1:1"));
        ChangeOptions(session.session, [&](TrkSessionOptions& options) { options.DialLink = &probe.ras; });
        QElapsedTimer clock;
        clock.start();
        session.CancelSoon(200);
        QCOMPARE(FailureOf<ECanceledError>([&] { session.session.Open(); }), ECanceledError::Text());
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(probe.ras.Aborted);
        QCOMPARE(active(), QStringList({"Office"}));
    }

    // A connection found up is used and left up; with ForceService false any
    // connection with an address will do.
    void alreadyActive()
    {
        TRasProbe office(QStringLiteral("Office"));
        office.ras.Dial();
        QVERIFY(office.ras.Connected);
        QVERIFY(!office.ras.Dialed);
        office.ras.Abort();
        QVERIFY(office.log.isEmpty());

        TRasProbe any(QStringLiteral("Mobile"));
        any.ras.ForceService = false;
        any.ras.Dial();
        QVERIFY(!any.ras.Dialed);
        QCOMPARE(property(any.ras.Connection, QStringLiteral("Id")).toString(), QStringLiteral("Office"));
        any.ras.Abort();
        QCOMPARE(active(), QStringList({"Office"}));
    }

    void noBusIsInert()
    {
        const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir.filePath(QStringLiteral("none")).toUtf8());
        TRasProbe probe(QStringLiteral("Mobile"));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        QVERIFY(probe.ras.EntryNames.isEmpty());
        QVERIFY(!probe.ras.LastError.isEmpty());
        QCOMPARE(probe.notices, QStringList({"TrkRas component was unable to detect\nRAS on your system."}));

        TScriptedServer server;
        server.Reply("220 hi");
        TSessionProbe session(server.Address());
        ChangeOptions(session.session, [&](TrkSessionOptions& options) { options.DialLink = &probe.ras; });
        session.OpenAndConnect();
        session.session.Close();
        QCOMPARE(session.log, QStringList({"Open", "Connect", "Closing", "Closed"}));
        QVERIFY(probe.log.isEmpty());
    }

    void pvmailSendDials()
    {
        TMailServers servers;
        PV_REQUIRE_MAILSERVERS(servers);
        servers.ClearMailbox();
        QProcess pvmail;
        pvmail.start(QStringLiteral(PVMAIL_PROGRAM),
                     {"send", "--server", servers.Smtp, "--from", "me@here.test", "--to",
                      QString::fromUtf8(servers.Address), "--subject", "Dialled", "--dial", "Mobile"});
        pvmail.closeWriteChannel();
        QVERIFY(pvmail.waitForFinished(20000));
        QVERIFY2(pvmail.exitCode() == 0, pvmail.readAllStandardError());
        QVERIFY(servers.WaitForMessages(1));
        const QByteArray calls = mockLog();
        const qsizetype dialled = calls.lastIndexOf(
            "ActivateConnection \"/org/freedesktop/NetworkManager/Settings/1\"");
        QVERIFY(dialled >= 0);
        QVERIFY(calls.indexOf("DeactivateConnection", dialled) > dialled);
        QCOMPARE(active(), QStringList({"Office"}));
    }
};

QTEST_GUILESS_MAIN(TestDialup)
#include "tst_dialup.moc"
