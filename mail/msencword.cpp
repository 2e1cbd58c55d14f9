// Encoded words in header values (RFC 2047): "=?" charset "?" letter "?" text "?=".
#include "mail/mspars.h"

#include "mail/msbase64.h"
#include "mail/mscharset_p.h"
#include "mail/mserrors.h"
#include "mail/mstext_p.h"

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

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = char(c & ~0x20);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
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
            const int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
            const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
            if (low < 0)
                return std::nullopt;
            bytes += char(high << 4 | low);
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

std::optional<QByteArray> decodeWord(const EncodedWord& word)
{
    std::optional<QByteArray> bytes;
    if (word.letter == 'B' || word.letter == 'b')
        bytes = decodeB(word.text);
    else if (word.letter == 'Q' || word.letter == 'q')
        bytes = decodeQ(word.text);
    if (!bytes)
        return std::nullopt;
    return ToUtf8(*bytes, word.charset);
}

bool isWhiteSpace(QByteArrayView text)
{
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

} // namespace

QByteArray DecodeEncodedWords(const QByteArray& text)
{
    QByteArray result;
    qsizetype pos = 0;          // the first byte not yet copied
    bool afterWord = false;     // the last thing copied was a decoded word
    for (qsizetype start; (start = text.indexOf("=?", pos)) >= 0;) {
        const std::optional<EncodedWord> word = parseWord(text, start);
        const std::optional<QByteArray> decoded = word ? decodeWord(*word) : std::nullopt;
        if (!decoded) { // kept as it stands; a word may still begin inside it
            result += QByteArrayView(text).sliced(pos, start + 2 - pos);
            pos = start + 2;
            afterWord = false;
            continue;
        }
        const QByteArrayView between = QByteArrayView(text).sliced(pos, start - pos);
        if (!(afterWord && isWhiteSpace(between)))
            result += between;
        result += *decoded;
        pos = word->end;
        afterWord = true;
    }
    result += QByteArrayView(text).sliced(pos);
    return CutText(result);
}
