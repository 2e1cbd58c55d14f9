// Throughput of the transfer encodings on the sizes a user waits on, each
// beside a memcpy of the same bytes in the same run as the floor.
#include "bench/benchtiming.h"
#include "mail/codecs/codecs.h"
#include "toolkit/Streams.h"

#include <QRandomGenerator>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int rounds = 5;

double throughput(qsizetype bytes, const std::function<void()>& work)
{
    return BestThroughput(bytes, rounds, work);
}

void report(const char* name, qsizetype bytes, double mbs, double target)
{
    const double copy = throughput(bytes, [bytes] {
        static QByteArray from(bytes, 'x');
        QByteArray to(bytes, Qt::Uninitialized);
        std::memcpy(to.data(), from.constData(), size_t(bytes));
    });
    std::printf("%-24s %8.0f MB/s   (memcpy %6.0f MB/s, target %4.0f MB/s)%s\n", name, mbs, copy, target,
                target > 0 && mbs < target ? "  BELOW TARGET" : "");
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(42);
    QByteArray bytes(size, Qt::Uninitialized);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray accentedProse(qsizetype size)
{
    const QByteArray paragraph =
        "Le cœur a ses raisons que la raison ne connaît point. Über allen Gipfeln "
        "ist Ruh; señor Muñoz pidió café = 2,50 €. Ærøskøbing ligger på Ærø.\r\n";
    QByteArray text;
    text.reserve(size + paragraph.size());
    while (text.size() < size)
        text += paragraph;
    return text;
}

using EncodeLine = void (*)(QByteArrayView, QByteArray&);
using DecodeLine = void (*)(QByteArrayView, QByteArray&);

// A line codec over 20 MB of random bytes cut into lines of lineBytes.
void benchLineCodec(const char* name, qsizetype lineBytes, EncodeLine encodeLine, DecodeLine decodeLine,
                    double encodeTarget, double decodeTarget)
{
    const QByteArray data = randomBytes(20 * 1024 * 1024);
    QByteArray encoded;
    const double encode = throughput(data.size(), [&] {
        encoded.clear();
        encoded.reserve(data.size() / lineBytes * (lineBytes * 4 / 3 + 8) + 80);
        for (qsizetype i = 0; i < data.size(); i += lineBytes) {
            encodeLine(QByteArrayView(data).sliced(i, std::min(lineBytes, data.size() - i)), encoded);
            encoded += "\r\n";
        }
    });
    report(QByteArray(name).append(" encode 20 MB").constData(), data.size(), encode, encodeTarget);
    QByteArray decoded;
    const double decode = throughput(data.size(), [&] {
        decoded.clear();
        decoded.reserve(data.size());
        for (qsizetype at = 0; at < encoded.size();) {
            const qsizetype end = encoded.indexOf('\r', at);
            decodeLine(QByteArrayView(encoded).sliced(at, end - at), decoded);
            at = end + 2;
        }
    });
    report(QByteArray(name).append(" decode 20 MB").constData(), data.size(), decode, decodeTarget);
    if (decoded != data)
        std::printf("%s round trip FAILED\n", name);
}

void benchQuotedPrintable()
{
    const QByteArray text = accentedProse(5 * 1024 * 1024);
    TStringList lines;
    const double encode = throughput(text.size(), [&] {
        lines.clear();
        TMemoryStream source(text);
        TQuotedPrintable(source, lines).EncodeStream();
    });
    report("quoted-printable encode", text.size(), encode, 200);
    TMemoryStream target;
    const double decode = throughput(text.size(), [&] {
        target.Clear();
        TQuotedPrintable(target, lines).DecodeLines();
    });
    report("quoted-printable decode", text.size(), decode, 200);
    if (target.Bytes() != text)
        std::printf("quoted-printable round trip FAILED\n");
}

} // namespace

int main()
{
    benchLineCodec("base64", 57, Base64EncodeLine, Base64DecodeLine, 700, 500);
    benchQuotedPrintable();
    benchLineCodec("uuencode", 45, UUEncodeLine, UUDecodeLine, 0, 0);
    return 0;
}
