// Parameters of header values in both directions: the plain and quoted
// forms, and the extended forms of RFC 2231 with their character sets.
#include "mail/mime/mime_p.h"

#include "mail/text/charsets_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

#include <vector>

namespace {

constexpr qsizetype maxSection = 60;

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
            AppendHexEscape(out, '%', c);
    }
    return out;
}

QByteArray percentDecode(QByteArrayView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = text[i] == '%' ? HexByte(text, i + 1) : -1;
        if (byte >= 0) {
            out += char(byte);
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
                parameters.push_back(
                    {Trim(piece.first(eq)).toLower(), raw.startsWith('"') ? UnquotedString(raw) : raw});
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
        out += (section == 0 ? "; " : ";\r\n ") + name.toByteArray() + '*' + QByteArray::number(section)
             + "*=" + (section == 0 ? "utf-8''" : "") + encoded.mid(i, n);
        i += n;
    }
    return out;
}

QByteArray MimeParameter(const QByteArray& name, const QByteArray& headerValue)
{
    // Every extended form has a "*" in its name.
    const QByteArray extended = headerValue.contains('*') ? extendedValue(parseParameters(headerValue), name.toLower())
                                                          : QByteArray();
    if (!extended.isEmpty())
        return CutText(extended);
    return DecodeEncodedWords(GetHeaderParameter(name, headerValue));
}
