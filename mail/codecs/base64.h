#pragma once
// Base64 (RFC 2045 alphabet): one line at a time, and whole texts however
// they are cut into lines.
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

// Decodes base64 data as one stream, whatever width its lines were cut at:
// a group of four characters may run on from one line into the next.
// Characters outside the alphabet (line ends, blanks, tabs and any other) are
// skipped, as RFC 2045 asks. "=" ends the group it pads, and decoding goes on
// after it; an "=" that pads nothing is skipped too.
class TBase64Decoder {
public:
    void Add(QByteArrayView text, QByteArray& appendTo);
    // The end of the data: an unpadded last group gives the bytes it holds.
    // A last group of a single character cannot come from any encoder (it
    // holds no whole byte): EInOutError "Incomplete base64 data".
    void Finish(QByteArray& appendTo);

private:
    char* endGroup(char* out);

    quint32 bits = 0;
    int held = 0; // characters of the group under way
};

// Encodes a block as one padded line without a line end.
QByteArray Base64EncodeLine(QByteArrayView bytes);
void Base64EncodeLine(QByteArrayView bytes, QByteArray& appendTo);
