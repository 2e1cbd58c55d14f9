#include "mail/text/text_utils_p.h"

#include <algorithm>
#include <cstring>

qsizetype Utf8SequenceLength(const uchar* s, const uchar* end)
{
    const uchar lead = s[0];
    if (lead < 0x80)
        return 1;
    const qsizetype n = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (n == 0 || end - s < n)
        return 0;
    // The second byte's range rules out overlong forms, surrogates and
    // code points above U+10FFFF.
    const uchar low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const uchar high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (s[1] < low || s[1] > high)
        return 0;
    for (qsizetype i = 2; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

bool IsValidUtf8(QByteArrayView text)
{
    const uchar* s = reinterpret_cast<const uchar*>(text.data());
    const uchar* const end = s + text.size();
    while (s < end) {
        quint64 word = 0x80; // eight ASCII bytes at a time while there are
        if (end - s >= 8)
            std::memcpy(&word, s, 8);
        if ((word & 0x8080808080808080ull) == 0) {
            s += 8;
            continue;
        }
        const qsizetype n = Utf8SequenceLength(s, end);
        if (n == 0)
            return false;
        s += n;
    }
    return true;
}

QByteArray CutText(const QByteArray& text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text;
    const uchar* begin = reinterpret_cast<const uchar*>(text.constData());
    const uchar* end = begin + text.size();
    const uchar* p = begin;
    for (qsizetype chars = 0; chars < maxChars && p < end; ++chars)
        p += Utf8CharLength(p, end);
    return text.left(p - begin);
}

// Eight bytes a word, four words a test, and the bytes left over in one
// last word that overlaps the one before: every line of a body is asked.
bool HasEightBit(QByteArrayView text)
{
    constexpr quint64 high = 0x8080808080808080ull;
    const char* s = text.data();
    const char* const end = s + text.size();
    if (text.size() < 8)
        return std::any_of(s, end, [](char c) { return uchar(c) >= 128; });
    const auto word = [](const char* p) {
        quint64 w;
        std::memcpy(&w, p, 8);
        return w;
    };
    for (; end - s >= 32; s += 32)
        if ((word(s) | word(s + 8) | word(s + 16) | word(s + 24)) & high)
            return true;
    for (; end - s >= 8; s += 8)
        if (word(s) & high)
            return true;
    return (word(end - 8) & high) != 0;
}

QByteArrayView TrimmedView(QByteArrayView text)
{
    while (!text.isEmpty() && uchar(text.front()) <= 32)
        text = text.sliced(1);
    while (!text.isEmpty() && uchar(text.back()) <= 32)
        text.chop(1);
    return text;
}

QByteArray UnquotedString(QByteArrayView text)
{
    QByteArray value;
    for (qsizetype i = 1; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
        value += text[i];
    }
    return value;
}

QByteArray QuotedString(QByteArrayView text)
{
    QByteArray quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}
