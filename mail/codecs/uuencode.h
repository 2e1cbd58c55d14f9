#pragma once
// Uuencode one line at a time, and recognition of the "begin" line.
#include <QByteArray>
#include <QByteArrayView>

// Bytes in one uuencoded line at most.
constexpr qsizetype UUBlockSize = 45;

// 0..63: the grave accent and the blank (the older form) give 0, "!".."_"
// their code minus 32; anything else raises EInOutError "Invalid Character".
quint8 UUDecodeChar(char c);

// The bytes of one line, exactly as many as its count character says;
// characters missing at the end count as 0.
QByteArray UUDecodeLine(QByteArrayView line);
void UUDecodeLine(QByteArrayView line, QByteArray& appendTo);

// 0 to UUBlockSize bytes as one line (grave accent for 0, no padding);
// a larger block raises EInvalidOperation.
QByteArray UUEncodeLine(QByteArrayView bytes);
void UUEncodeLine(QByteArrayView bytes, QByteArray& appendTo);

// "begin", a numeric mode and usually a name; never raises.
bool IsUUBeginLine(QByteArrayView line);
// The name after the mode: a quoted name without its quotes (empty when the
// quote is not closed), else the rest of the line without trailing blanks.
QByteArray UUBeginFileName(QByteArrayView line);
