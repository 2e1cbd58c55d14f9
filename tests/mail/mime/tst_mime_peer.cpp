// Python's email package and GMime read what the encoder writes, and the
// decoder reads what Python writes.
#include "mimetest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

// Runs a peer script of the test data folder: mimepeer.py (Python's email)
// or gmimepeer.py (GMime).
QJsonDocument peer(const char* script, const char* mode, const QByteArray& input = {})
{
    QProcess process;
    process.start(
        QStringLiteral("/usr/bin/python3"),
        {qEnvironmentVariable("PV_TEST_DATA") + QLatin1Char('/') + QLatin1String(script), QString::fromLatin1(mode)});
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s %s failed: %s", script, mode, process.readAllStandardError().constData());
    return QJsonDocument::fromJson(process.readAllStandardOutput());
}

QJsonDocument python(const char* mode, const QByteArray& input = {})
{
    return peer("mimepeer.py", mode, input);
}

QByteArray bytesOf(const QJsonValue& value)
{
    return QByteArray::fromBase64(value.toString().toLatin1());
}

QString lf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestPeer : public QObject {
    Q_OBJECT
private slots:
    void peersReadEveryLayout_data()
    {
        QTest::addColumn<int>("layout");
        for (int i = 0; i < 6; ++i)
            QTest::addRow("layout %d", i) << i;
    }

    void peersReadEveryLayout()
    {
        QFETCH(int, layout);
        const QByteArray binary = QByteArray::fromHex("00ff0d0a80") + QByteArray(1000, 'b');
        TmsMessage m;
        m.Sender().SetName("Zoë Ågren, Esq.");
        m.Sender().SetAddress("zoe@example.org");
        address(m.Recipients(), "J. Smith", "js@example.org");
        address(m.Recipients(), "Ünal", "u@example.org");
        m.SetSubject("Grüße ☃ and a rather long subject that needs more than one encoded word to be written");
        m.SetHeaders({"Reply-To: Zoë Ågren <zoe@example.org>"}); // raw 8-bit, as kept from a received message
        QList<QByteArray> names;
        if (layout == 0)
            m.SetBody({"plain", ".", "naïve"});
        if (layout == 1) {
            m.SetBody({"see", ""});
            attach(m, "résumé.bin", binary, aeBase64), names << "résumé.bin";
            attach(m, "q.txt", "one =\r\ntwo\r\n", aeQuotedPrintable, "text/plain"), names << "q.txt";
            attach(m, "s.txt", "seven\r\nbit", ae7Bit, "text/plain"), names << "s.txt";
            attach(m, "e.txt", "eight bit: Grüße\r\n", ae7Bit, "text/plain"), names << "e.txt";
        }
        if (layout == 2) {
            m.SetBody({"text"});
            attach(m, "_alt.0", "<p>€</p>\r\n", aeQuotedPrintable, "text/html"), names << QByteArray();
            attach(m, "z.bin", binary, aeBase64), names << "z.bin";
        }
        if (layout == 3)
            attach(m, "only.bin", binary, aeBase64), names << "only.bin";
        // A single 7-bit part is all the text after the header: its last line break is the data's.
        if (layout == 4)
            attach(m, "s.txt", "seven\r\nbit\r\n", ae7Bit, "text/plain"), names << "s.txt";
        if (layout == 5)
            attach(m, "s.txt", "seven\r\nbit", ae7Bit, "text/plain"), names << "s.txt";
        const QByteArray text = encoded(m);
        const QJsonObject seen = python("parse", text).object();
        QCOMPARE(seen[QStringLiteral("defects")].toInt(), 0);
        const QJsonObject gmimeSaw = peer("gmimepeer.py", "parse", text).object();
        for (const char* field : {"from", "to", "reply_to", "subject", "leaves"})
            QCOMPARE(gmimeSaw[QLatin1String(field)], seen[QLatin1String(field)]);
        QCOMPARE(seen[QStringLiteral("subject")].toString(), QString::fromUtf8(m.Subject()));
        QCOMPARE(seen[QStringLiteral("from")].toArray().at(0).toString(), QString::fromUtf8(m.Sender().Name()));
        const QJsonArray to = seen[QStringLiteral("to")].toArray();
        QCOMPARE(to.size(), 2);
        QCOMPARE(to.at(0).toArray().at(0).toString(), QStringLiteral("J. Smith"));
        QCOMPARE(to.at(1).toArray().at(0).toString(), QStringLiteral("Ünal"));
        QCOMPARE(seen[QStringLiteral("reply_to")].toArray(),
                 QJsonArray({QJsonArray({QStringLiteral("Zoë Ågren"), QStringLiteral("zoe@example.org")})}));
        QJsonArray leaves = seen[QStringLiteral("leaves")].toArray();
        if (!m.Body().isEmpty()) {
            const QJsonObject text = leaves.takeAt(0).toObject();
            QCOMPARE(text[QStringLiteral("type")].toString(), QStringLiteral("text/plain"));
            QCOMPARE(bytesOf(text[QStringLiteral("data")]), m.Body().Text());
        }
        QCOMPARE(leaves.size(), m.Attachments().Count());
        for (qsizetype i = 0; i < leaves.size(); ++i) {
            const QJsonObject leaf = leaves.at(i).toObject();
            QCOMPARE(bytesOf(leaf[QStringLiteral("data")]), m.Attachments().Items(i).Data().Bytes());
            QCOMPARE(leaf[QStringLiteral("filename")].toString(), QString::fromUtf8(names.at(i)));
        }
    }

    void weReadWhatPythonWrites()
    {
        const QJsonArray messages = python("make").array();
        QVERIFY(messages.size() >= 4);
        for (const QJsonValue& value : messages) {
            const QJsonObject expected = value.toObject();
            const auto m = decoded(bytesOf(expected[QStringLiteral("text")]));
            QCOMPARE(QString::fromUtf8(m->Subject()), expected[QStringLiteral("subject")].toString());
            QCOMPARE(m->Sender().Name(), QByteArray("Zoë Ågren"));
            QCOMPARE(lf(QString::fromUtf8(m->Body().Text())), expected[QStringLiteral("body")].toString());
            const QJsonArray attachments = expected[QStringLiteral("attachments")].toArray();
            QCOMPARE(m->Attachments().Count(), attachments.size());
            for (qsizetype i = 0; i < attachments.size(); ++i) {
                QCOMPARE(QString::fromUtf8(m->Attachments().Items(i).FileName()),
                         attachments.at(i).toArray().at(0).toString());
                QCOMPARE(m->Attachments().Items(i).Data().Bytes(), bytesOf(attachments.at(i).toArray().at(1)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPeer)
#include "tst_mime_peer.moc"
