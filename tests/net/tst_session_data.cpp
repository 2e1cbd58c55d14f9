// Message data through the session against scripted servers: transparency
// dots on the way out and in, the end of data, progress, and failures.
#include "ScriptedServer.h"
#include "SessionProbe.h"
#include "errorof.h"
#include "toolkit/Streams.h"

#include <QtTest>

namespace {

struct Progress {
    int perc;
    qint64 transferred;
    bool operator==(const Progress&) const = default;
};

struct DataProbe : TSessionProbe {
    explicit DataProbe(const QString& address, int timeOut = 60) : TSessionProbe(address, timeOut)
    {
        OpenAndConnect();
        ChangeListeners(session, [&](TrkSessionListeners& listeners) {
            listeners.OnProgress = [this](QObject*, int perc, qint64 transferred) {
                progress.append({perc, transferred});
            };
        });
    }
    QList<Progress> progress;
};

// A message whose lines begin with dots at chunk borders of the send.
QByteArray dottedMessage()
{
    QByteArray text = ".first\r\n";
    text += QByteArray(TrkSocket::SendChunk - text.size() - 2, 'a') + "\r\n"; // next line starts a chunk
    text += ".at the border\r\n..two\r\n.\r\nmiddle . dot\r\n";
    text += QByteArray(TrkSocket::SendChunk * 2 - text.size() - 1, 'b') + "\r"; // CR ends chunk 2
    text += "\n.after a split line end\r\n";
    return text;
}

QByteArray stuffed(const QByteArray& text)
{
    QByteArray wire = text.startsWith('.') ? "." + text : text;
    return wire.replace("\n.", "\n..");
}

}

class TestSessionData : public QObject {
    Q_OBJECT

private slots:
    void sendStuffsDotsAcrossChunks()
    {
        const QByteArray text = dottedMessage();
        TScriptedServer server;
        server.ExpectData("after a split line end\r\n");
        DataProbe probe(server.Address());
        TMemoryStream stream(text);
        probe.session.SendStream(stream);
        QTRY_VERIFY_WITH_TIMEOUT(server.Finished(), 5000);
        QCOMPARE(server.Data(), stuffed(text));
        QCOMPARE(stream.Bytes(), text);
        const qint64 size = text.size();
        QCOMPARE(probe.progress, QList<Progress>({{int(qRound(2047 * 100.0 / size)), 2047},
                                                  {int(qRound(4094 * 100.0 / size)), 4094},
                                                  {100, size},
                                                  {0, 0}}));
    }

    void sendOfAnEmptyStream()
    {
        TScriptedServer server;
        DataProbe probe(server.Address());
        TMemoryStream empty;
        probe.session.SendStream(empty);
        QCOMPARE(probe.progress, QList<Progress>({{100, 0}, {0, 0}}));
    }

    void sendToAServerThatStopsReading()
    {
        TBlackHole server;
        TMemoryStream big(QByteArray(64 << 20, 'm'));
        DataProbe canceled(server.Address());
        canceled.CancelSoon(200);
        QCOMPARE(FailureOf<ECanceledError>([&] { canceled.session.SendStream(big); }), "Operation has been canceled");
        DataProbe expired(server.Address(), 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { expired.session.SendStream(big); }), "Operation timed out");
        QVERIFY(!expired.session.Connected());
    }

    void receiveTakesDotsOffAndStopsAtTheEnd_data()
    {
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("one read") << QList<QByteArray>{"a\r\n..b\r\n.\r\n"} << QByteArray("a\r\n.b\r\n");
        QTest::newRow("end split after CR") << QList<QByteArray>{"a\r\n.\r", "\n"} << QByteArray("a\r\n");
        QTest::newRow("end split after dot") << QList<QByteArray>{"a\r\n.", "\r\n"} << QByteArray("a\r\n");
        QTest::newRow("stuffed dot split") << QList<QByteArray>{"x\r\n.", ".\r\n", ".\r\n"} << QByteArray("x\r\n.\r\n");
        QTest::newRow("dot line inside") << QList<QByteArray>{"a\r\n..\r\n", "b\r\n.\r\n"}
                                         << QByteArray("a\r\n.\r\nb\r\n");
        QTest::newRow("dot not alone") << QList<QByteArray>{"..x.\r\n.", "y\r\n.\r\n"} << QByteArray(".x.\r\ny\r\n");
        QTest::newRow("empty message") << QList<QByteArray>{".\r\n"} << QByteArray();
    }
    void receiveTakesDotsOffAndStopsAtTheEnd()
    {
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QByteArray, text);
        TScriptedServer server;
        for (const QByteArray& part : parts)
            server.Send(part).Pause(20);
        server.Reply("+OK next");
        DataProbe probe(server.Address());
        TMemoryStream stream;
        probe.session.ReceiveStream(stream, 0);
        QCOMPARE(stream.Bytes(), text);
        QVERIFY(!probe.progress.isEmpty());
        QCOMPARE(probe.progress.first(), Progress({-1, 0}));
        QByteArray line;
        QCOMPARE(probe.session.ReadLine(line), -1);
        QCOMPARE(line, QByteArray("+OK next")); // what follows the end stays for the next read
    }

    void receiveReportsProgressAgainstTheExpectedSize()
    {
        const QByteArray body = QByteArray(40000, 'r') + "\r\n";
        TScriptedServer server;
        server.Send(body.left(20000)).Pause(30).Send(body.mid(20000) + ".\r\n");
        DataProbe probe(server.Address());
        TMemoryStream stream;
        probe.session.ReceiveStream(stream, body.size());
        QCOMPARE(stream.Bytes(), body);
        QCOMPARE(probe.progress.first(), Progress({0, 0}));
        for (const Progress& p : probe.progress)
            QCOMPARE(p.perc, int(std::nearbyint(p.transferred * 100.0 / body.size())));
        QVERIFY(probe.progress.size() >= 2);
    }

    void receiveFailures()
    {
        TScriptedServer closing;
        closing.Send("half a message\r\n").Pause(20).Close();
        DataProbe closed(closing.Address());
        TMemoryStream stream;
        QCOMPARE(FailureOf<ESocketError>([&] { closed.session.ReceiveStream(stream, 0); }),
                 "Connection closed by the server before the end of the data");
        QVERIFY(!closed.session.Connected());

        TScriptedServer silent;
        silent.Send("and then\r\n");
        DataProbe expired(silent.Address(), 1);
        QCOMPARE(FailureOf<ETimedOutError>([&] { expired.session.ReceiveStream(stream, 0); }), "Operation timed out");

        TScriptedServer slow;
        slow.Send("some\r\n");
        DataProbe canceled(slow.Address());
        canceled.CancelSoon();
        QCOMPARE(FailureOf<ECanceledError>([&] { canceled.session.ReceiveStream(stream, 0); }),
                 "Operation has been canceled");
    }
};

QTEST_GUILESS_MAIN(TestSessionData)
#include "tst_session_data.moc"
