#pragma once
// Small text rules the mail layer's files share: the length limit of the
// model's texts, UTF-8 sequences, hex escapes, trimming and quoted strings.
#include <QByteArray>
#include <QByteArrayView>

// Texts held by the model are at most this many characters.
constexpr qsizetype MaxTextLength = 255;

// The length of the well-formed UTF-8 sequence at s, or 0 where none begins.
// Well-formed is RFC 3629's rule: no overlong forms, no surrogates, nothing
// above U+10FFFF, no sequence cut short by end.
qsizetype Utf8SequenceLength(const uchar* s, const uchar* end);

// One character's bytes when stepping through text: a byte that begins no
// well-formed sequence counts as a character of its own.
inline qsizetype Utf8CharLength(const uchar* s, const uchar* end)
{
    const qsizetype n = Utf8SequenceLength(s, end);
    return n > 0 ? n : 1;
}

bool IsValidUtf8(QByteArrayView text);

// The first maxChars characters of UTF-8 text, never cutting inside a
// sequence.
QByteArray CutText(const QByteArray& text, qsizetype maxChars = MaxTextLength);

// The text has bytes of 128 or more.
bool HasEightBit(QByteArrayView text);

inline constexpr char HexDigits[] = "0123456789ABCDEF";

inline int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = char(c & ~0x20);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// The byte written by the two hex digits (either case) at text[at], or -1
// when there are not two of them. Inline: decoders ask it for every escape.
inline int HexByte(QByteArrayView text, qsizetype at)
{
    if (at + 1 >= text.size())
        return -1;
    const int high = HexValue(text[at]);
    const int low = high < 0 ? -1 : HexValue(text[at + 1]);
    return low < 0 ? -1 : high << 4 | low;
}

// mark and the byte in two upper-case hex digits, written at out; returns
// the end of what was written.
inline char* WriteHexEscape(char* out, char mark, uchar byte)
{
    out[0] = mark;
    out[1] = HexDigits[byte >> 4];
    out[2] = HexDigits[byte & 15];
    return out + 3;
}

inline void AppendHexEscape(QByteArray& out, char mark, uchar byte)
{
    char escape[3];
    out.append(escape, WriteHexEscape(escape, mark, byte) - escape);
}

// Without bytes of code 32 or less at either end; the view shares the text.
QByteArrayView TrimmedView(QByteArrayView text);

inline QByteArray Trim(QByteArrayView text)
{
    return TrimmedView(text).toByteArray();
}

// The quoted string that opens text, without its quotes and backslash
// escapes; an unclosed one runs to the end.
QByteArray UnquotedString(QByteArrayView text);

// text as a quoted string: in double quotes, with a backslash before each
// double quote and backslash.
QByteArray QuotedString(QByteArrayView text);
