#include "mail/codecs/uuencode.h"

#include "mail/codecs/codec_pump_p.h"
#include "mail/codecs/codec_errors.h"
#include "mail/text/text_utils_p.h"

namespace {

char uuChar(quint32 value)
{
    return value == 0 ? '`' : char(32 + value);
}

bool isBlank(char c)
{
    return uchar(c) <= 32;
}

// What follows "begin", trimmed.
QByteArrayView afterBegin(QByteArrayView line)
{
    return TrimmedView(line.sliced(std::min<qsizetype>(5, line.size())));
}

} // namespace

quint8 UUDecodeChar(char c)
{
    if (c == '`' || c == ' ')
        return 0;
    if (c > ' ' && c <= '_')
        return quint8(c - 32);
    throw EInOutError(QStringLiteral("Invalid Character"));
}

QByteArray UUDecodeLine(QByteArrayView line)
{
    QByteArray bytes;
    UUDecodeLine(line, bytes);
    return bytes;
}

void UUDecodeLine(QByteArrayView line, QByteArray& appendTo)
{
    CodecWorkDone(line.size());
    if (line.isEmpty())
        return;
    const qsizetype count = UUDecodeChar(line[0]);
    const qsizetype groups = (count + 2) / 3;
    const qsizetype start = appendTo.size();
    appendTo.resize(start + groups * 3);
    char* out = appendTo.data() + start;
    try {
        for (qsizetype g = 0; g < groups; ++g) {
            quint32 bits = 0;
            for (qsizetype k = 0; k < 4; ++k) {
                const qsizetype at = 1 + g * 4 + k;
                bits = bits << 6 | (at < line.size() ? UUDecodeChar(line[at]) : 0);
            }
            *out++ = char(bits >> 16);
            *out++ = char(bits >> 8);
            *out++ = char(bits);
        }
    } catch (...) {
        appendTo.truncate(start);
        throw;
    }
    appendTo.truncate(start + count);
}

QByteArray UUEncodeLine(QByteArrayView bytes)
{
    QByteArray line;
    UUEncodeLine(bytes, line);
    return line;
}

void UUEncodeLine(QByteArrayView bytes, QByteArray& appendTo)
{
    const qsizetype n = bytes.size();
    if (n > UUBlockSize)
        throw EInvalidOperation(QStringLiteral("A uuencoded line holds at most 45 bytes"));
    CodecWorkDone(n);
    const uchar* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype start = appendTo.size();
    appendTo.resize(start + 1 + (n + 2) / 3 * 4);
    char* out = appendTo.data() + start;
    *out++ = uuChar(quint32(n));
    for (qsizetype i = 0; i < n; i += 3) {
        const qsizetype k = std::min<qsizetype>(3, n - i);
        quint32 bits = quint32(s[i]) << 16;
        if (k > 1)
            bits |= quint32(s[i + 1]) << 8;
        if (k > 2)
            bits |= s[i + 2];
        for (qsizetype c = 0; c <= k; ++c)
            *out++ = uuChar((bits >> (18 - 6 * c)) & 63);
    }
    appendTo.truncate(out - appendTo.constData());
}

bool IsUUBeginLine(QByteArrayView line)
{
    // Asked of every line of a plain message: no copy for the comparison,
    // and the first letter alone turns most lines away.
    if (line.size() <= 8 || (line.front() | 0x20) != 'b' || qstrnicmp(line.data(), 5, "begin", 5) != 0)
        return false;
    const QByteArrayView mode = afterBegin(line);
    if (mode.size() < 3)
        return false;
    for (qsizetype i = 0; i < 3; ++i)
        if (mode[i] < '0' || mode[i] > '9')
            return false;
    return true;
}

QByteArray UUBeginFileName(QByteArrayView line)
{
    QByteArrayView rest = afterBegin(line);
    while (!rest.isEmpty() && !isBlank(rest.front()))
        rest = rest.sliced(1); // the mode
    rest = TrimmedView(rest);
    if (rest.startsWith('"')) {
        rest = rest.sliced(1);
        const qsizetype close = rest.indexOf('"');
        return close < 0 ? QByteArray() : rest.first(close).toByteArray();
    }
    return rest.toByteArray();
}
