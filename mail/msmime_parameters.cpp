#include "mail/msmime_p.h"

#include "mail/mscharset_p.h"
#include "mail/msqp.h"
#include "toolkit/Streams.h"
#include "mail/mspars.h"
#include "mail/mstext_p.h"

#include <vector>

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";
constexpr qsizetype maxLine = 76;
constexpr qsizetype wordFrame = 12; // "=?utf-8?Q?" and "?="
constexpr qsizetype minWordText = 12;
constexpr qsizetype maxSection = 60;

// Length of the UTF-8 sequence at i, or 1 for a byte that starts none.
qsizetype sequenceLength(QByteArrayView text, qsizetype i)
{
    const uchar lead = uchar(text[i]);
    const qsizetype n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    if (i + n > text.size())
        return 1;
    for (qsizetype k = 1; k < n; ++k)
        if ((uchar(text[i + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

bool isWordLiteral(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '!' || c == '*'
        || c == '+' || c == '-' || c == '/';
}

void appendQ(QByteArray& out, QByteArrayView bytes)
{
    for (char ch : bytes) {
        const uchar c = uchar(ch);
        if (c == ' ')
            out += '_';
        else if (isWordLiteral(c))
            out += char(c);
        else
            out.append('=').append(hexDigits[c >> 4]).append(hexDigits[c & 15]);
    }
}

bool isAttributeChar(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || QByteArrayView("!#$&+-.^_`|~").contains(char(c));
}

QByteArray percentEncode(QByteArrayView value)
{
    QByteArray out;
    for (char ch : value) {
        const uchar c = uchar(ch);
        if (isAttributeChar(c))
            out += char(c);
        else
            out.append('%').append(hexDigits[c >> 4]).append(hexDigits[c & 15]);
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = char(c & ~0x20);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

QByteArray percentDecode(QByteArrayView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += char(high << 4 | low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Parameter {
    QByteArray key; // lower-cased
    QByteArray value;
};

QByteArray unquoted(QByteArrayView raw)
{
    QByteArray value;
    for (qsizetype i = 1; i < raw.size() && raw[i] != '"'; ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size())
            ++i;
        value += raw[i];
    }
    return value;
}

// The parameters after the first ";", split at ";" outside double quotes.
std::vector<Parameter> parseParameters(const QByteArray& headerValue)
{
    std::vector<Parameter> parameters;
    bool quoted = false;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= headerValue.size(); ++i) {
        const char c = i < headerValue.size() ? headerValue[i] : ';';
        if (quoted && c == '\\')
            ++i;
        else if (c == '"')
            quoted = !quoted;
        else if (c == ';' && (!quoted || i == headerValue.size())) {
            const QByteArrayView piece = QByteArrayView(headerValue).sliced(start + 1, i - start - 1);
            const qsizetype eq = piece.indexOf('=');
            if (start >= 0 && eq > 0) {
                const QByteArray raw = Trim(piece.sliced(eq + 1));
                parameters.push_back({Trim(piece.first(eq)).toLower(), raw.startsWith('"') ? unquoted(raw) : raw});
            }
            start = i;
            quoted = false;
        }
    }
    return parameters;
}

const Parameter* findParameter(const std::vector<Parameter>& parameters, const QByteArray& key)
{
    for (const Parameter& p : parameters)
        if (p.key == key)
            return &p;
    return nullptr;
}

// charset'language'text, the text percent-encoded; only the first section
// of a split value names the character set.
QByteArray extendedValue(const std::vector<Parameter>& parameters, const QByteArray& name)
{
    if (const Parameter* whole = findParameter(parameters, name + '*')) {
        const QByteArrayList parts = whole->value.split('\'');
        return parts.size() == 3 ? ToUtf8(percentDecode(parts[2]), parts[0]) : percentDecode(whole->value);
    }
    QByteArray charset;
    QByteArray bytes;
    for (qsizetype n = 0; n < qsizetype(parameters.size()); ++n) {
        const QByteArray key = name + '*' + QByteArray::number(n);
        if (const Parameter* plain = findParameter(parameters, key)) {
            bytes += plain->value;
        } else if (const Parameter* coded = findParameter(parameters, key + '*')) {
            QByteArray text = coded->value;
            if (n == 0 && text.count('\'') >= 2) {
                charset = text.left(text.indexOf('\''));
                text = text.mid(text.indexOf('\'', charset.size() + 1) + 1);
            }
            bytes += percentDecode(text);
        } else {
            break;
        }
    }
    return bytes.isEmpty() ? QByteArray() : ToUtf8(bytes, charset);
}

} // namespace

QByteArray SingleLine(QByteArrayView value)
{
    QByteArray line = value.toByteArray();
    line.replace('\r', ' ').replace('\n', ' ');
    return line;
}

bool NeedsEncodedWords(QByteArrayView text)
{
    for (char c : text)
        if (uchar(c) >= 128 || (uchar(c) < 32 && c != '\t') || c == 127)
            return true;
    return text.contains("=?");
}

QByteArray EncodeWords(QByteArrayView text, qsizetype used)
{
    QByteArray out;
    QByteArray word;
    qsizetype room = std::max(minWordText, maxLine - used - wordFrame);
    const auto closeWord = [&] {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?utf-8?Q?" + word + "?=";
        word.clear();
        room = maxLine - 1 - wordFrame;
    };
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = sequenceLength(text, i);
        QByteArray encoded;
        appendQ(encoded, text.sliced(i, n));
        if (!word.isEmpty() && word.size() + encoded.size() > room)
            closeWord();
        word += encoded;
        i += n;
    }
    if (!word.isEmpty() || out.isEmpty())
        closeWord();
    return out;
}

QByteArray ParameterText(QByteArrayView name, const QByteArray& value)
{
    bool plain = true;
    for (char c : value)
        plain = plain && uchar(c) >= 32 && uchar(c) < 127 && c != '"' && c != '\\';
    if (plain)
        return "; " + name.toByteArray() + "=\"" + value + '"';
    const QByteArray encoded = percentEncode(value);
    if (encoded.size() <= maxSection)
        return "; " + name.toByteArray() + "*=utf-8''" + encoded;
    QByteArray out;
    qsizetype section = 0;
    for (qsizetype i = 0; i < encoded.size(); ++section) {
        qsizetype n = std::min(maxSection, encoded.size() - i);
        if (i + n < encoded.size()) // never inside a "%XX"
            for (qsizetype k = 1; k <= 2; ++k)
                if (encoded[i + n - k] == '%')
                    n -= k;
        out += (section == 0 ? "; " : ";\r\n ") + name.toByteArray() + '*' + QByteArray::number(section) + "*="
            + (section == 0 ? "utf-8''" : "") + encoded.mid(i, n);
        i += n;
    }
    return out;
}

QByteArray MimeParameter(const QByteArray& name, const QByteArray& headerValue)
{
    const QByteArray extended = extendedValue(parseParameters(headerValue), name.toLower());
    if (!extended.isEmpty())
        return CutText(extended);
    return DecodeEncodedWords(GetHeaderParameter(name, headerValue));
}

bool IsMimeVersion10(QByteArrayView value)
{
    QByteArray bare;
    int depth = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (depth > 0 && c == '\\')
            ++i;
        else if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        else if (depth == 0 && uchar(c) > 32)
            bare += c;
    }
    return bare == "1.0";
}

bool HasEightBit(QByteArrayView text)
{
    for (char c : text)
        if (uchar(c) >= 128)
            return true;
    return false;
}

void WriteQuotedPrintable(const QByteArray& bytes, bool endsText, const QPLineSink& sink)
{
    TMemoryStream source(bytes);
    QByteArray held; // the last line waits: the end of the text may change it
    bool holding = false;
    QPEncodeStream(source, [&](QByteArrayView line) {
        if (holding)
            sink(held);
        held.resize(0);
        held.append(line);
        holding = true;
    });
    if (!holding || (endsText && held.isEmpty()))
        return;
    if (endsText)
        held += '=';
    sink(held);
}
