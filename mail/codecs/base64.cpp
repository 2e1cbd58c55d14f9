#include "mail/codecs/base64.h"

#include "mail/codecs/codec_pump_p.h"
#include "mail/codecs/codec_errors.h"

#include <array>

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr quint8 pad = 255;
constexpr quint8 invalid = 254;

constexpr std::array<quint8, 256> makeValues()
{
    std::array<quint8, 256> values{};
    for (auto& v : values)
        v = invalid;
    for (int i = 0; i < 64; ++i)
        values[uchar(alphabet[i])] = quint8(i);
    values['='] = pad;
    return values;
}

constexpr std::array<quint8, 256> values = makeValues();

[[noreturn]] void invalidCharacter()
{
    throw EInOutError(QStringLiteral("Invalid Character"));
}

// Bytes of a group of 1 to 4 values, stopping at the first pad.
char* decodeGroup(const quint8* v, qsizetype n, char* out)
{
    qsizetype data = 0;
    quint32 bits = 0;
    while (data < n && v[data] != pad) {
        bits = bits << 6 | v[data];
        ++data;
    }
    bits <<= 6 * (4 - data);
    for (qsizetype i = 0; i + 1 < data; ++i)
        *out++ = char(bits >> (16 - 8 * i));
    return out;
}

// Groups of four alphabet characters, the bulk of any base64 text; stops
// before the first group that holds anything else.
inline void decodeWholeGroups(const uchar*& s, const uchar* end, char*& out)
{
    for (; end - s >= 4; s += 4, out += 3) {
        const quint32 a = values[s[0]], b = values[s[1]], c = values[s[2]], d = values[s[3]];
        if ((a | b | c | d) >= 64)
            break;
        const quint32 bits = a << 18 | b << 12 | c << 6 | d;
        out[0] = char(bits >> 16);
        out[1] = char(bits >> 8);
        out[2] = char(bits);
    }
}

} // namespace

quint8 Base64CharValue(char c)
{
    const quint8 v = values[uchar(c)];
    if (v == invalid)
        invalidCharacter();
    return v;
}

QByteArray Base64DecodeLine(QByteArrayView line)
{
    QByteArray bytes;
    Base64DecodeLine(line, bytes);
    return bytes;
}

void Base64DecodeLine(QByteArrayView line, QByteArray& appendTo)
{
    CodecWorkDone(line.size());
    const qsizetype start = appendTo.size();
    appendTo.resize(start + (line.size() + 3) / 4 * 3);
    const uchar* s = reinterpret_cast<const uchar*>(line.data());
    const uchar* end = s + line.size();
    char* out = appendTo.data() + start;
    decodeWholeGroups(s, end, out);
    for (; s < end; s += 4) {
        const qsizetype n = std::min<qsizetype>(4, end - s);
        quint8 v[4];
        for (qsizetype i = 0; i < n; ++i) {
            v[i] = values[s[i]];
            if (v[i] == invalid) {
                appendTo.truncate(start);
                invalidCharacter();
            }
        }
        out = decodeGroup(v, n, out);
    }
    appendTo.truncate(out - appendTo.constData());
}

void TBase64Decoder::Add(QByteArrayView text, QByteArray& appendTo)
{
    CodecWorkDone(text.size());
    const qsizetype start = appendTo.size();
    // A group of k characters gives at most k - 1 bytes, never more than
    // three quarters of them: room for whole lines of groups exactly.
    appendTo.resize(start + (held + text.size()) * 3 / 4);
    const uchar* s = reinterpret_cast<const uchar*>(text.data());
    const uchar* end = s + text.size();
    char* out = appendTo.data() + start;
    while (s < end) {
        if (held == 0) {
            decodeWholeGroups(s, end, out);
            if (s == end)
                break;
        }
        const quint8 v = values[*s++];
        if (v < 64) {
            bits = bits << 6 | v;
            if (++held == 4)
                out = endGroup(out);
        } else if (v == pad && held >= 2) {
            out = endGroup(out);
        }
    }
    appendTo.truncate(out - appendTo.constData());
}

void TBase64Decoder::Finish(QByteArray& appendTo)
{
    if (held == 1) {
        held = 0;
        bits = 0;
        throw EInOutError(QStringLiteral("Incomplete base64 data"));
    }
    char tail[2];
    appendTo.append(tail, endGroup(tail) - tail);
}

// The bytes of the group under way: held - 1 of them, as its characters
// hold whole bytes.
char* TBase64Decoder::endGroup(char* out)
{
    const quint32 group = bits << 6 * (4 - held);
    for (int i = 0; i + 1 < held; ++i)
        *out++ = char(group >> (16 - 8 * i));
    bits = 0;
    held = 0;
    return out;
}

QByteArray Base64EncodeLine(QByteArrayView bytes)
{
    QByteArray line;
    Base64EncodeLine(bytes, line);
    return line;
}

void Base64EncodeLine(QByteArrayView bytes, QByteArray& appendTo)
{
    CodecWorkDone(bytes.size());
    const qsizetype n = bytes.size();
    const qsizetype start = appendTo.size();
    appendTo.resize(start + (n + 2) / 3 * 4);
    const uchar* s = reinterpret_cast<const uchar*>(bytes.data());
    char* out = appendTo.data() + start;
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3, out += 4) {
        const quint32 bits = quint32(s[i]) << 16 | quint32(s[i + 1]) << 8 | s[i + 2];
        out[0] = alphabet[bits >> 18];
        out[1] = alphabet[(bits >> 12) & 63];
        out[2] = alphabet[(bits >> 6) & 63];
        out[3] = alphabet[bits & 63];
    }
    if (i < n) {
        const bool two = n - i == 2;
        const quint32 bits = quint32(s[i]) << 16 | (two ? quint32(s[i + 1]) << 8 : 0);
        out[0] = alphabet[bits >> 18];
        out[1] = alphabet[(bits >> 12) & 63];
        out[2] = two ? alphabet[(bits >> 6) & 63] : '=';
        out[3] = '=';
    }
}
