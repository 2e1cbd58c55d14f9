#pragma once
// Text of a declared character set made into UTF-8, the model's encoding.
#include <QByteArray>
#include <QByteArrayView>

#include <iconv.h>

// Converts through the system's converters. Text the named set cannot read
// (an unknown set, or bytes invalid in it) is kept as it is when it is valid
// UTF-8 and read as windows-1252 otherwise.
QByteArray ToUtf8(const QByteArray& text, const QByteArray& charset);

// The set is UTF-8 or a part of it ("utf-8", "utf8", "us-ascii", or none
// named): its text needs only a check, no conversion.
bool IsUtf8Charset(const QByteArray& charset);

QByteArray Windows1252ToUtf8(QByteArrayView text);

// The text made UTF-8 a line at a time, as TCharsetLines does: bytes the set
// cannot read spoil only their own line (the whole text, in a set such as
// UTF-16 whose text is no ASCII).
QByteArray ToUtf8ByLines(QByteArrayView text, const QByteArray& charset);

// The lines of a body in one character set made UTF-8 one at a time, through
// one converter for them all. As ToUtf8, but a line of a body declared UTF-8
// keeps its characters around bytes that are invalid: only those become
// U+FFFD.
class TCharsetLines {
public:
    explicit TCharsetLines(const QByteArray& charset);
    ~TCharsetLines();
    TCharsetLines(const TCharsetLines&) = delete;
    TCharsetLines& operator=(const TCharsetLines&) = delete;

    QByteArray Convert(QByteArrayView line);

private:
    iconv_t converter = iconv_t(-1); // none for UTF-8 and sets iconv does not know
    bool declaredUtf8 = false;
    bool asciiCompatible = true; // ASCII bytes stand for themselves
};
