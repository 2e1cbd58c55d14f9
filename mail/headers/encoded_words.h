#pragma once
// Encoded words (RFC 2047) in header values, both directions: "=?" charset
// "?" letter "?" text "?=".
#include <QByteArray>
#include <QByteArrayView>

// Replaces encoded words by their text in UTF-8. White space between two
// encoded words goes; a word that cannot be decoded stays as it stands.
// Raw 8-bit text is kept where it is UTF-8 and read as windows-1252
// otherwise, as body text of no declared set. The result is at most
// MaxTextLength characters.
QByteArray DecodeEncodedWords(const QByteArray& raw);

// Text that cannot stand in a header as it is: bytes of 128 or more, control
// bytes, or "=?" (which a reader would take for an encoded word).
bool NeedsEncodedWords(QByteArrayView text);

// UTF-8 text as "=?utf-8?Q?...?=" words, each holding whole characters,
// joined by a fold (CR LF and a blank) so no line passes 76 characters;
// used is the width of the line before the first word.
QByteArray EncodeWords(QByteArrayView text, qsizetype used = 0);
