#pragma once
// Quoted-printable (RFC 2045) between a byte stream and a list of lines.
//
// The list stands for its lines joined by CR LF: the line end after the last
// line belongs to whatever follows (in a message, the boundary), so a stream
// that ends in a line break encodes to a list whose last line is empty, and
// decoding gives back exactly the bytes that were encoded, save that CR LF,
// a lone CR and a lone LF in the source all come back as CR LF.
#include "toolkit/StringList.h"

#include <QByteArrayView>
#include <functional>

class TStream;

class TQuotedPrintable {
public:
    // Neither is owned: the stream is the source when encoding and the
    // target when decoding, the list the other way round.
    TQuotedPrintable(TStream& stream, TStringList& lines) : stream(stream), lines(lines) {}

    // Encodes the whole stream, from its start, appending lines of at most 65
    // source bytes and 76 characters; longer paragraphs break before their
    // last blank within reach, with "=" at the end of each broken line.
    void EncodeStream();
    // Decodes every line and writes the bytes at the stream's position.
    void DecodeLines();

private:
    TStream& stream;
    TStringList& lines;
};

// Receives each encoded line, without line end, as soon as it is made; the
// view lasts only for the call.
using QPLineSink = std::function<void(QByteArrayView)>;

// EncodeStream's lines handed to sink instead of kept.
void QPEncodeStream(TStream& stream, const QPLineSink& sink);

// Decodes lines one at a time as DecodeLines decodes a list, so a reader
// need not keep copies of them.
class TQPLineDecoder {
public:
    void Add(QByteArrayView line);
    const QByteArray& Bytes() const { return bytes; }

private:
    QByteArray bytes;
    bool started = false;
    bool softBreak = false;
};

// Decodes quoted-printable lines straight into text lines, for message
// bodies: soft breaks join, hard breaks and decoded CR, LF or CR LF end a
// line. Each text line goes to the sink as soon as it is complete, so the
// whole decoded text never exists at once.
class TQPTextLines {
public:
    explicit TQPTextLines(QPLineSink sink) : sink(std::move(sink)) {}
    void Add(QByteArrayView line); // one encoded line, without its line end
    void Finish();                 // the text ended

private:
    void flush();

    QPLineSink sink;
    QByteArray current;
    bool pending = false;
};

// Decodes one short text; the result ends before any decoded CR or LF.
QByteArray QPDecodeText(const QByteArray& text);
