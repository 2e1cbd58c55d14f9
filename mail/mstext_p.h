#pragma once
// Small text rules shared by the mail model: the length limit of its texts
// and the bare file name of an attachment.
#include <QByteArray>
#include <QByteArrayView>

// Texts held by the model are at most this many characters.
constexpr qsizetype MaxTextLength = 255;

// The first maxChars characters of UTF-8 text, never cutting inside a
// sequence; a byte that starts no valid sequence counts as one character.
QByteArray CutText(const QByteArray& text, qsizetype maxChars = MaxTextLength);

// The name after the last "/" or "\" (names from mail may use either).
QByteArray BareFileName(const QByteArray& fileName);

// The bare name, or "att." + index where it would not name a file inside a
// directory (empty, "." or ".."), so a name from mail never leaves it.
QByteArray SafeFileName(const QByteArray& fileName, qsizetype index);


// Without bytes of code 32 or less at either end.
QByteArray Trim(QByteArrayView text);
