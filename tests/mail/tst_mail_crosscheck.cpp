// Each codec reads what Python's base64, quopri and binascii write, and the
// other way round, on random bytes and on prose with accented letters.
#include "mail/codecs/codecs.h"
#include "toolkit/Streams.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray python(const char* mode, const QByteArray& input)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  {qEnvironmentVariable("PV_TEST_DATA") + QStringLiteral("/pycodec.py"), QString::fromLatin1(mode)});
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("python codec %s failed: %s", mode, process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QByteArray prose()
{
    const QByteArray paragraphs[] = {
        "Le cœur a ses raisons que la raison ne connaît point; on le sait en mille choses.",
        "Ærøskøbing ligger på Ærø, og der er smalle gader med brosten og små huse = hyggeligt.",
        "Über allen Gipfeln ist Ruh,\tin allen Wipfeln spürest du kaum einen Hauch. ",
        "",
        "Señor Muñoz pidió café y pastel de limón; la cuenta costó 12,50 € en total, más propina.",
    };
    QByteArray text;
    for (int round = 0; round < 40; ++round)
        for (const QByteArray& p : paragraphs)
            text += p + (round % 3 == 0 ? p : QByteArray()) + '\n';
    return text;
}

// CR LF, a lone CR and a lone LF are all one line break in text.
QByteArray canonicalLineEnds(const QByteArray& bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            out += "\r\n";
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            out += bytes[i];
        }
    }
    return out;
}

// Data cut into lines of lineBytes, each encoded and ended by LF.
QByteArray encodedText(const QByteArray& data, qsizetype lineBytes, void (*encodeLine)(QByteArrayView, QByteArray&))
{
    QByteArray text;
    for (qsizetype i = 0; i < data.size(); i += lineBytes) {
        encodeLine(QByteArrayView(data).sliced(i, std::min(lineBytes, data.size() - i)), text);
        text += '\n';
    }
    return text;
}

QByteArray base64Text(const QByteArray& data)
{
    return encodedText(data, 57, Base64EncodeLine);
}

QByteArray uuText(const QByteArray& data)
{
    return encodedText(data, 45, UUEncodeLine);
}

// Text joined by one line end per line break, the last line not ended.
TStringList linesOf(const QByteArray& text)
{
    TStringList lines;
    for (const QByteArray& line : text.split('\n'))
        lines.append(line.endsWith('\r') ? line.chopped(1) : line);
    return lines;
}

QByteArray qpEncodeText(const QByteArray& data)
{
    TMemoryStream source(data);
    TStringList lines;
    TQuotedPrintable(source, lines).EncodeStream();
    return lines.join("\r\n");
}

QByteArray qpDecodeText(const QByteArray& text)
{
    TStringList lines = linesOf(text);
    TMemoryStream target;
    TQuotedPrintable(target, lines).DecodeLines();
    return target.Bytes();
}

QByteArray decodeLines(const QByteArray& text, void (*decode)(QByteArrayView, QByteArray&))
{
    QByteArray data;
    for (const QByteArray& line : text.split('\n'))
        decode(line, data);
    return data;
}

} // namespace

class TestCrossCheck : public QObject {
    Q_OBJECT
private slots:
    void base64BothWays()
    {
        for (const QByteArray& data : {randomBytes(100'003, 1), prose()}) {
            QCOMPARE(python("b64dec", base64Text(data)), data);
            QCOMPARE(decodeLines(python("b64enc", data), Base64DecodeLine), data);
        }
    }

    void uuencodeBothWays()
    {
        for (const QByteArray& data : {randomBytes(100'001, 2), prose()}) {
            QCOMPARE(python("uudec", uuText(data)), data);
            QCOMPARE(decodeLines(python("uuenc", data), UUDecodeLine), data);
        }
    }

    void quotedPrintableProse()
    {
        const QByteArray text = prose();
        QCOMPARE(python("qpdec", qpEncodeText(text)), canonicalLineEnds(text));
        QCOMPARE(qpDecodeText(python("qpenc", text)), canonicalLineEnds(text));
    }

    // Binary data keeps every byte, save that line breaks become CR LF.
    void quotedPrintableRandomBytes()
    {
        const QByteArray data = randomBytes(100'000, 3);
        QCOMPARE(python("qpdec", qpEncodeText(data)), canonicalLineEnds(data));
        QCOMPARE(qpDecodeText(python("qpencbin", data)), data);
    }
};

QTEST_GUILESS_MAIN(TestCrossCheck)
#include "tst_mail_crosscheck.moc"
