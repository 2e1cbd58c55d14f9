// Transfer encodings as other mailers write and read them: base64 cut at any
// width, quoted-printable lines within RFC 2045's limit, the parts' own types
// and labels kept through save and load, and Python's email reading it all.
#include "errorof.h"
#include "mail/codecs/codecs.h"
#include "mail/headers/header_fields.h"
#include "mime/mimetest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

const QByteArray head = crlf(
    {"From: Ann <ann@example.org>", "To: Bob <bob@example.org>", "Subject: Hi", "Mime-Version: 1.0"});

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QList<QByteArray> wrapped(const QByteArray& text, qsizetype width)
{
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < text.size(); at += width)
        lines.append(text.mid(at, width));
    return lines;
}

QByteArray streamDecoded(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    TBase64Decoder decoder;
    for (const QByteArray& line : lines)
        decoder.Add(line, bytes);
    decoder.Finish(bytes);
    return bytes;
}

QByteArray attachmentPart(const QByteArray& type, const QByteArray& encoding, const QList<QByteArray>& lines)
{
    return head + "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n\r\nbody\r\n--B\r\nContent-Type: " + type
         + "\r\nContent-Transfer-Encoding: " + encoding + "\r\n\r\n" + lines.join("\r\n") + "\r\n--B--\r\n";
}

QJsonObject pythonParse(const QByteArray& text)
{
    QProcess process;
    process.start(
        QStringLiteral("/usr/bin/python3"),
        {qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/mime/mimepeer.py"), QStringLiteral("parse")});
    process.write(text);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("mimepeer failed: %s", process.readAllStandardError().constData());
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> list = text.split('\n');
    for (QByteArray& line : list)
        if (line.endsWith('\r'))
            line.chop(1);
    return list;
}

} // namespace

class TestCodecsReal : public QObject {
    Q_OBJECT
private slots:
    void base64IsOneStream_data()
    {
        QTest::addColumn<QList<QByteArray>>("text");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray data = randomBytes(1000);
        for (int width : {73, 75, 77, 1})
            QTest::addRow("wrapped at %d", width) << wrapped(data.toBase64(), width) << data;
        QTest::addRow("blanks, tabs, strays") << QList<QByteArray>{"YW Jj\tZG", " V*m @", "\t"} << QByteArray("abcdef");
        QTest::addRow("padding ends a group") << QList<QByteArray>{"YQ=", "=YW", "I=Yw"} << QByteArray("aabc");
        QTest::addRow("padding with nothing to pad") << QList<QByteArray>{"=Y=WJj"} << QByteArray("abc");
        QTest::addRow("unpadded end") << QList<QByteArray>{"YW", "I"} << QByteArray("ab");
    }

    void base64IsOneStream()
    {
        QFETCH(QList<QByteArray>, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(streamDecoded(text), bytes);
        const auto m = decoded(attachmentPart("application/octet-stream; name=a.bin", "base64", text));
        QCOMPARE(m->Body(), TStringList({"body"}));
        QCOMPARE(m->Attachments().Items(0).Data().Bytes(), bytes);
    }

    void base64TextBodyWrappedAtAnyWidth()
    {
        const QByteArray body = QByteArray("Grüße, naïve café\r\n").repeated(20);
        const QByteArray text = head
                              + "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                              + wrapped(body.toBase64(), 75).join("\r\n") + "\r\n";
        QCOMPARE(decoded(text)->Body().Text(), body);
    }

    // A last group of one character is what no encoder writes: the data was
    // cut short or damaged.
    void base64OfImpossibleLengthFails()
    {
        QCOMPARE(errorOf([] { streamDecoded({"YWJj", "Y"}); }), QStringLiteral("Incomplete base64 data"));
    }

    void quotedPrintableLinesFit_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addRow("all escaped") << QByteArray("é").repeated(100);
        QTest::addRow("escapes and blanks") << QByteArray("é= \t").repeated(60);
        QTest::addRow("blank where a line ends") << QByteArray("=").repeated(25) + " " + QByteArray("=").repeated(30);
        QTest::addRow("plain text") << QByteArray("word ").repeated(40);
        QTest::addRow("escaped last blank") << QByteArray("=").repeated(24) + "a ";
    }

    void quotedPrintableLinesFit()
    {
        QFETCH(QByteArray, text);
        TMemoryStream source(text);
        TStringList encodedLines;
        TQuotedPrintable(source, encodedLines).EncodeStream();
        for (const QByteArray& line : std::as_const(encodedLines))
            QVERIFY2(line.size() <= 76, line);
        TMemoryStream back;
        TQuotedPrintable(back, encodedLines).DecodeLines();
        QCOMPARE(back.Bytes(), text);
    }

    // Nameless parts keep their type and character set through a save and a
    // load; the encoder writes the RFC's "7bit", and "7 bit" is still read.
    void partsKeepTheirTypes()
    {
        const QByteArray text = head
                              + crlf({"Content-Type: multipart/mixed; boundary=B", "", "--B", "", "body", "--B",
                                      "Content-Type: message/rfc822", "", "Subject: inner", "", "inner body", "--B",
                                      "Content-Type: text/calendar; charset=utf-8", "Content-Transfer-Encoding: 7 bit",
                                      "", "BEGIN:VCALENDAR", "END:VCALENDAR", "--B--"});
        auto m = decoded(text);
        for (int round = 0; round < 2; ++round) {
            const QByteArray again = encoded(*m);
            QVERIFY(again.contains("Content-Transfer-Encoding: 7bit\r\n"));
            QVERIFY(!again.contains("7 bit"));
            m = decoded(again);
            QCOMPARE(m->Attachments().Count(), 2);
            QCOMPARE(ExtractMimeType(m->Attachments().Items(0).ContentType()), QByteArray("message/rfc822"));
            const QByteArray calendar = m->Attachments().Items(1).ContentType();
            QCOMPARE(ExtractMimeType(calendar), QByteArray("text/calendar"));
            QCOMPARE(GetHeaderParameter("charset", calendar).toLower(), QByteArray("utf-8"));
            QCOMPARE(m->Attachments().Items(1).Data().Bytes(), QByteArray("BEGIN:VCALENDAR\r\nEND:VCALENDAR"));
        }
    }

    // What the encoder writes after these rules, as Python's email reads it:
    // a body from a Latin-1 file goes out as UTF-8, long escaped lines are cut.
    void pythonReadsWhatWeWrite()
    {
        TmsMessage m;
        m.Sender().SetAddress("ann@example.org");
        address(m.Recipients(), "Bob", "bob@example.org");
        m.SetSubject("Hi");
        m.SetBody({"caf\xE9 cr\xE8me", QByteArray("\xE9").repeated(90), "Grüße"});
        attach(m, "notes.txt", "one\r\ntwo", ae7Bit, "text/plain");
        attach(m, "accents.txt", QByteArray("é").repeated(90), aeQuotedPrintable, "text/plain");
        const QByteArray text = encoded(m);
        QVERIFY(text.contains("Content-Type: text/plain; charset=\"utf-8\""));
        for (const QByteArray& line : lines(text))
            QVERIFY2(line.size() <= 76, line);
        const QJsonObject seen = pythonParse(text);
        QCOMPARE(seen[QStringLiteral("defects")].toInt(), 0);
        const QJsonArray leaves = seen[QStringLiteral("leaves")].toArray();
        QCOMPARE(leaves.size(), 3);
        const QByteArray body = "café crème\r\n" + QByteArray("é").repeated(90) + "\r\nGrüße\r\n";
        QCOMPARE(QByteArray::fromBase64(leaves[0][QStringLiteral("data")].toString().toLatin1()), body);
        QCOMPARE(QByteArray::fromBase64(leaves[1][QStringLiteral("data")].toString().toLatin1()),
                 QByteArray("one\r\ntwo"));
        QCOMPARE(QByteArray::fromBase64(leaves[2][QStringLiteral("data")].toString().toLatin1()),
                 m.Attachments().Items(1).Data().Bytes());
        QCOMPARE(decoded(text)->Body().Text(), body);
    }
};

QTEST_GUILESS_MAIN(TestCodecsReal)
#include "tst_codecs_real.moc"
