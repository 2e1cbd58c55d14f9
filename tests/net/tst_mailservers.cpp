// The local mail servers are up for the tests that need them, and the
// session reaches both: greeting read, QUIT answered.
#include "MailServers.h"
#include "SessionProbe.h"

#include <QtTest>

class TestMailServers : public QObject {
    Q_OBJECT

    TMailServers servers;

private slots:
    void initTestCase() { PV_REQUIRE_MAILSERVERS(servers); }

    void smtpGreetsAndQuits()
    {
        TSessionProbe probe(servers.Smtp);
        probe.OpenAndConnect();
        QCOMPARE(probe.session.ReadReply(), 220);
        probe.session.SendLine("QUIT");
        QCOMPARE(probe.session.ReadReply(), 221);
        probe.session.Close();
    }

    void pop3GreetsAndQuits()
    {
        TSessionProbe probe(servers.Pop3);
        probe.OpenAndConnect();
        QByteArray line;
        probe.session.ReadLine(line);
        QVERIFY2(line.startsWith("+OK"), line.constData());
        probe.session.SendLine("QUIT");
        probe.session.ReadLine(line);
        QVERIFY2(line.startsWith("+OK"), line.constData());
        probe.session.Close();
    }
};

QTEST_GUILESS_MAIN(TestMailServers)
#include "tst_mailservers.moc"
