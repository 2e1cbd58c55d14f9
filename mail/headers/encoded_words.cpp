#include "mail/headers/encoded_words.h"

#include "mail/codecs/base64.h"
#include "mail/text/charsets_p.h"
#include "mail/codecs/codec_errors.h"
#include "mail/text/text_utils_p.h"

#include <optional>

namespace {

struct EncodedWord {
    QByteArray charset;
    char letter;
    QByteArrayView text;
    qsizetype end; // just after the closing "?="
};

// The word that begins with the "=?" at start, if it has the word's shape.
std::optional<EncodedWord> parseWord(const QByteArray& value, qsizetype start)
{
    const qsizetype charsetEnd = value.indexOf('?', start + 2);
    if (charsetEnd <= start + 2 || charsetEnd + 2 >= value.size() || value[charsetEnd + 2] != '?')
        return std::nullopt;
    QByteArrayView charset = QByteArrayView(value).sliced(start + 2, charsetEnd - start - 2);
    for (char c : charset)
        if (uchar(c) <= 32)
            return std::nullopt;
    const qsizetype language = charset.indexOf('*'); // RFC 2231 "charset*language"
    if (language >= 0)
        charset = charset.first(language);
    const qsizetype textStart = charsetEnd + 3;
    const qsizetype close = value.indexOf("?=", textStart);
    if (close < 0)
        return std::nullopt;
    return EncodedWord{charset.toByteArray(), value[charsetEnd + 1],
                       QByteArrayView(value).sliced(textStart, close - textStart), close + 2};
}

// Q encoding: "_" is a blank, "=" and two hex digits a byte.
std::optional<QByteArray> decodeQ(QByteArrayView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            bytes += ' ';
        } else if (c == '=') {
            const int byte = HexByte(text, i + 1);
            if (byte < 0)
                return std::nullopt;
            bytes += char(byte);
            i += 2;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

std::optional<QByteArray> decodeB(QByteArrayView text)
{
    try {
        return Base64DecodeLine(text);
    } catch (const EInOutError&) {
        return std::nullopt;
    }
}

// The word's bytes, still in its character set.
std::optional<QByteArray> decodeWord(const EncodedWord& word)
{
    if (word.letter == 'B' || word.letter == 'b')
        return decodeB(word.text);
    if (word.letter == 'Q' || word.letter == 'q')
        return decodeQ(word.text);
    return std::nullopt;
}

bool isWhiteSpace(QByteArrayView text)
{
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

constexpr qsizetype maxLine = 76;
constexpr qsizetype wordFrame = 12; // "=?utf-8?Q?" and "?="
constexpr qsizetype minWordText = 12;

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
            AppendHexEscape(out, '=', c);
    }
}

} // namespace

QByteArray DecodeEncodedWords(const QByteArray& raw)
{
    // Raw 8-bit text names no set: it is read as body text without one is.
    const QByteArray text = ToUtf8(raw, {});
    QByteArray result;
    qsizetype pos = 0;      // the first byte not yet copied
    bool afterWord = false; // the last thing read was a decoded word
    // Adjacent words of one character set are converted together: mailers
    // split a character's bytes between two words.
    QByteArray charset;
    QByteArray bytes;
    const auto convert = [&] {
        if (!bytes.isEmpty())
            result += ToUtf8(bytes, charset);
        bytes.clear();
    };
    for (qsizetype start; (start = text.indexOf("=?", pos)) >= 0;) {
        const std::optional<EncodedWord> word = parseWord(text, start);
        const std::optional<QByteArray> decoded = word ? decodeWord(*word) : std::nullopt;
        if (!decoded) { // kept as it stands; a word may still begin inside it
            convert();
            result += QByteArrayView(text).sliced(pos, start + 2 - pos);
            pos = start + 2;
            afterWord = false;
            continue;
        }
        const QByteArrayView between = QByteArrayView(text).sliced(pos, start - pos);
        const bool adjacent = afterWord && isWhiteSpace(between);
        if (!adjacent || word->charset.compare(charset, Qt::CaseInsensitive) != 0) {
            convert();
            charset = word->charset;
        }
        if (!adjacent)
            result += between;
        bytes += *decoded;
        pos = word->end;
        afterWord = true;
    }
    convert();
    result += QByteArrayView(text).sliced(pos);
    return CutText(result);
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
    const uchar* const begin = reinterpret_cast<const uchar*>(text.data());
    const uchar* const end = begin + text.size();
    for (const uchar* s = begin; s < end;) {
        const qsizetype n = Utf8CharLength(s, end);
        QByteArray encoded;
        appendQ(encoded, text.sliced(s - begin, n));
        if (!word.isEmpty() && word.size() + encoded.size() > room)
            closeWord();
        word += encoded;
        s += n;
    }
    if (!word.isEmpty() || out.isEmpty())
        closeWord();
    return out;
}
