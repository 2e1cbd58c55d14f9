// Throughput of the transfer encodings on the sizes a user waits on, each
// beside a memcpy of the same bytes in the same run as the floor.
#include "mail/mscoding.h"
#include "toolkit/Streams.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int rounds = 5;

// Best of several runs, in MB/s of source bytes.
double throughput(qsizetype bytes, const std::function<void()>& work)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed());
    }
    return double(bytes) / (double(best) / 1e9) / 1e6;
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
    const QByteArray paragraph = "Le cœur a ses raisons que la raison ne connaît point. Über allen Gipfeln "
                                 "ist Ruh; señor Muñoz pidió café = 2,50 €. Ærøskøbing ligger på Ærø.\r\n";
    QByteArray text;
    text.reserve(size + paragraph.size());
    while (text.size() < size)
        text += paragraph;
    return text;
}

void benchBase64()
{
    const QByteArray data = randomBytes(20 * 1024 * 1024);
    QByteArray encoded;
    const double encode = throughput(data.size(), [&] {
        encoded.clear();
        encoded.reserve(data.size() / 57 * 78 + 80);
        for (qsizetype i = 0; i < data.size(); i += 57) {
            Base64EncodeLine(QByteArrayView(data).sliced(i, std::min<qsizetype>(57, data.size() - i)), encoded);
            encoded += "\r\n";
        }
    });
    report("base64 encode 20 MB", data.size(), encode, 700);
    QByteArray decoded;
    const double decode = throughput(data.size(), [&] {
        decoded.clear();
        decoded.reserve(data.size());
        for (qsizetype at = 0; at < encoded.size();) {
            const qsizetype end = encoded.indexOf('\r', at);
            Base64DecodeLine(QByteArrayView(encoded).sliced(at, end - at), decoded);
            at = end + 2;
        }
    });
    report("base64 decode 20 MB", data.size(), decode, 500);
    if (decoded != data)
        std::printf("base64 round trip FAILED\n");
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

void benchUuencode()
{
    const QByteArray data = randomBytes(20 * 1024 * 1024);
    QByteArray encoded;
    const double encode = throughput(data.size(), [&] {
        encoded.clear();
        encoded.reserve(data.size() / 45 * 63 + 64);
        for (qsizetype i = 0; i < data.size(); i += 45) {
            UUEncodeLine(QByteArrayView(data).sliced(i, std::min<qsizetype>(45, data.size() - i)), encoded);
            encoded += "\r\n";
        }
    });
    report("uuencode 20 MB", data.size(), encode, 0);
    QByteArray decoded;
    const double decode = throughput(data.size(), [&] {
        decoded.clear();
        decoded.reserve(data.size());
        for (qsizetype at = 0; at < encoded.size();) {
            const qsizetype end = encoded.indexOf('\r', at);
            UUDecodeLine(QByteArrayView(encoded).sliced(at, end - at), decoded);
            at = end + 2;
        }
    });
    report("uudecode 20 MB", data.size(), decode, 0);
    if (decoded != data)
        std::printf("uuencode round trip FAILED\n");
}

} // namespace

int main()
{
    benchBase64();
    benchQuotedPrintable();
    benchUuencode();
    return 0;
}
