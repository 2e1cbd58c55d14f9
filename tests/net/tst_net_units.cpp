// The mail layer's small pieces: the error texts, the time-out counter and
// the transparency codecs.
#include "net/session/dot_stuffing_p.h"
#include "net/session/events.h"
#include "net/session/socket_errors_p.h"
#include "net/transport/posix_errors.h"

#include <QtTest>

namespace {

// Runs the codec over text cut at every position, so each state meets a border.
template <class Codec>
QByteArray splitEverywhere(const QByteArray& text, qsizetype cut)
{
    Codec codec;
    QByteArray out, part;
    codec.Encode(text.constData(), cut, part);
    out += part;
    codec.Encode(text.constData() + cut, text.size() - cut, part);
    return out + part;
}

QByteArray decodeSplit(const QByteArray& wire, qsizetype cut, qsizetype& used, bool& done)
{
    TDotUnstuffer codec;
    QByteArray out, part;
    used = codec.Decode(wire.constData(), cut, part);
    out += part;
    if (!codec.Done())
        used += codec.Decode(wire.constData() + cut, wire.size() - cut, part), out += part;
    done = codec.Done();
    return out;
}

}

class TestNetUnits : public QObject {
    Q_OBJECT

private slots:
    void socketErrorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("registered") << 10061 << "[10061] Connection refused";
        QTest::newRow("session") << 57008 << "You have to connect to the server first";
        QTest::newRow("unregistered") << 12345 << "Error #12345";
        QTest::newRow("top of 16 bits") << 65535 << "Error #65535";
    }
    void socketErrorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(SocketError::Text(quint16(code)), text);
    }

    void systemErrorsMeanWhatTheirTextsSay_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << ECONNREFUSED << "[10061] Connection refused";
        QTest::newRow("reset") << ECONNRESET << "[10054] Connection reset by peer";
        QTest::newRow("broken pipe") << EPIPE << "[10054] Connection reset by peer";
        QTest::newRow("unreachable") << ENETUNREACH << "[10051] Network is unreachable";
        QTest::newRow("timed out") << ETIMEDOUT << "[10060] Connection timed out";
        QTest::newRow("would block") << EAGAIN << "[10035] Resource temporarily not available";
    }
    void systemErrorsMeanWhatTheirTextsSay()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(SocketError::Text(PosixErrors::SocketErrorCode(error)), text);
    }

    void counterExpiresOnlyAfterItsTicks()
    {
        TTimeCounter counter;
        counter.SetTimeOut(2);
        counter.Start();
        QTRY_COMPARE_WITH_TIMEOUT(counter.Remaining(), 1, 5000);
        QVERIFY(!counter.Expired());
        counter.Start(); // data moved: the count starts again
        QCOMPARE(counter.Remaining(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(counter.Expired(), 5000);
        counter.Start();
        QVERIFY(counter.Expired()); // only the owner's reset clears it
        counter.Stop();
        counter.ClearExpired();
        QVERIFY(!counter.Expired());
    }

    void stuffingAtEveryBorder()
    {
        const QByteArray text = ".a\r\n..b\r\n.\r\nc.d\n.e\r\n\r\n.";
        const QByteArray wire = "..a\r\n...b\r\n..\r\nc.d\n..e\r\n\r\n..";
        for (qsizetype cut = 0; cut <= text.size(); ++cut)
            QCOMPARE(splitEverywhere<TDotStuffer>(text, cut), wire);
    }

    void unstuffingAtEveryBorder()
    {
        const QByteArray wire = "..a\r\n...b\r\n..\r\nc.d\r\n.e\r\nf\r.\r\n.\r\nNEXT";
        const QByteArray text = ".a\r\n..b\r\n.\r\nc.d\r\ne\r\nf\r.\r\n";
        for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
            qsizetype used = 0;
            bool done = false;
            QCOMPARE(decodeSplit(wire, cut, used, done), text);
            QVERIFY(done);
            QCOMPARE(used, wire.size() - 4);
        }
    }

    void emptyMessageEndsAtOnce()
    {
        TDotUnstuffer codec;
        QByteArray out;
        QCOMPARE(codec.Decode(".\r\n", 3, out), 3);
        QVERIFY(codec.Done());
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNetUnits)
#include "tst_net_units.moc"
