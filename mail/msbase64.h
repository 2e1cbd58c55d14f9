#pragma once
// Base64 (RFC 2045 alphabet) one line at a time.
#include <QByteArray>
#include <QByteArrayView>

// 0..63 for an alphabet character, 255 for "="; otherwise EInOutError "Invalid Character".
quint8 Base64CharValue(char c);

// Decodes one line. Each group of four characters gives the bytes of its
// characters before any "=", so padding ends a group wherever it stands and a
// short last group gives what its characters hold; nothing is read past the
// line. A character outside the alphabet raises "Invalid Character" and
// appends nothing.
QByteArray Base64DecodeLine(QByteArrayView line);
void Base64DecodeLine(QByteArrayView line, QByteArray& appendTo);

// Encodes a block as one padded line without a line end.
QByteArray Base64EncodeLine(QByteArrayView bytes);
void Base64EncodeLine(QByteArrayView bytes, QByteArray& appendTo);
