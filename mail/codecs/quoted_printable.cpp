#include "mail/codecs/quoted_printable.h"

#include "mail/codecs/codec_pump_p.h"
#include "mail/text/text_utils_p.h"
#include "toolkit/Streams.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// A line holds at most lineWidth source bytes and, escaped, at most
// maxEncodedLine characters, its soft break included (RFC 2045 6.7).
constexpr qsizetype lineWidth = 65;
constexpr qsizetype maxEncodedLine = 76;
constexpr qsizetype blockSize = 64 * 1024;

constexpr std::array<bool, 256> makeEscaped()
{
    std::array<bool, 256> escaped{};
    for (int c = 0; c < 256; ++c)
        escaped[c] = c < 32 || c == '=' || c >= 128;
    return escaped;
}

constexpr std::array<bool, 256> escaped = makeEscaped();

// Cuts the paragraphs of a source into escaped lines. Lines are written as
// soon as the bytes that decide them are known, so memory stays bounded by
// the block being read whatever the paragraph's length.
class ParagraphEncoder {
public:
    explicit ParagraphEncoder(const QPLineSink& sink) : sink(sink) { paragraph.reserve(blockSize + lineWidth + 1); }

    void append(const char* bytes, qsizetype count)
    {
        paragraph.append(bytes, count);
        while (paragraph.size() - start > lineWidth)
            emitBrokenLine();
        paragraph.remove(0, start);
        start = 0;
    }

    // The last bytes of a paragraph. Most paragraphs of text are one short
    // line: those go out at once, without a copy.
    void endParagraphWith(const char* bytes, qsizetype count)
    {
        if (paragraph.isEmpty() && emittedLastLine(bytes, count))
            return;
        append(bytes, count);
        endParagraph();
    }

    void endParagraph()
    {
        while (!emittedLastLine(paragraph.constData() + start, paragraph.size() - start))
            emitBrokenLine();
        paragraph.resize(0);
        start = 0;
    }

private:
    // Writes the n bytes at s as the paragraph's last line if they fit in one.
    bool emittedLastLine(const char* s, qsizetype n)
    {
        if (n >= lineWidth)
            return false;
        const qsizetype length = escapeLastLine(s, n);
        if (length > maxEncodedLine)
            return false;
        sink(QByteArrayView(line, length));
        return true;
    }

    // The next line ends before the rightmost blank in reach, or holds all
    // the bytes that fit when there is none; that blank begins the next line.
    // One pass escapes the bytes in reach and notes where each blank began.
    void emitBrokenLine()
    {
        const char* s = paragraph.constData() + start;
        const qsizetype rest = paragraph.size() - start;
        const qsizetype limit = std::min(rest, lineWidth);
        char* d = line;
        char* cut = nullptr;
        qsizetype blank = 0;
        qsizetype fit = 0;
        for (; fit < limit; ++fit) {
            const uchar c = uchar(s[fit]);
            char* next = escaped[c] ? WriteHexEscape(d, '=', c) : (*d = char(c), d + 1);
            if (next - line > maxEncodedLine - 1) // no room left for the soft break
                break;
            if (c == ' ') { // one at the start leaves blank 0: no break there
                blank = fit;
                cut = d;
            }
            d = next;
        }
        if (fit < rest && s[fit] == ' ') {
            blank = fit;
            cut = d;
        }
        if (blank > 0)
            d = cut;
        *d++ = '=';
        sink(QByteArrayView(line, d - line));
        start += blank > 0 ? blank : fit;
    }

    // Escapes a paragraph's last line into line and returns the length. A
    // blank ending it is escaped too: transports may strip it.
    qsizetype escapeLastLine(const char* s, qsizetype n)
    {
        char* d = line;
        for (qsizetype i = 0; i < n; ++i) {
            const uchar c = uchar(s[i]);
            if (escaped[c] || (c == ' ' && i == n - 1))
                d = WriteHexEscape(d, '=', c);
            else
                *d++ = char(c);
        }
        return d - line;
    }

    const QPLineSink& sink;
    QByteArray paragraph;
    qsizetype start = 0;
    char line[lineWidth * 3 + 1];
};

// Decoding never lengthens a line, so it writes into room made at once.
void decodeLine(QByteArrayView line, QByteArray& out)
{
    const char* s = line.data();
    const qsizetype n = line.size();
    const qsizetype start = out.size();
    if (out.capacity() < start + n)
        out.reserve(std::max(start + n, 2 * out.capacity()));
    out.resize(start + n);
    char* d = out.data() + start;
    // Escapes come every few bytes in most languages: a plain loop beats
    // searching for each.
    for (qsizetype i = 0; i < n;) {
        const char c = s[i];
        if (c != '=') {
            *d++ = c;
            ++i;
            continue;
        }
        if (const int byte = HexByte(line, i + 1); byte >= 0) {
            *d++ = char(byte);
            i += 3;
        } else {
            *d++ = '='; // an "=" that escapes nothing stands for itself
            ++i;
        }
    }
    out.truncate(d - out.constData());
}

} // namespace

void TQuotedPrintable::EncodeStream()
{
    QPEncodeStream(stream, [this](QByteArrayView line) { lines.append(line.toByteArray()); });
}

void QPEncodeStream(TStream& stream, const QPLineSink& sink)
{
    stream.SetPosition(0);
    ParagraphEncoder encoder(sink);
    QByteArray block(blockSize, Qt::Uninitialized);
    bool afterCR = false; // a CR ended the last block: an LF starting this one is its pair
    for (qint64 got; (got = stream.Read(block.data(), blockSize)) > 0;) {
        const char* s = block.constData();
        qsizetype i = afterCR && s[0] == '\n' ? 1 : 0;
        afterCR = false;
        while (i < got) {
            qsizetype j = i;
            while (j < got && s[j] != '\r' && s[j] != '\n')
                ++j;
            if (j == got) {
                encoder.append(s + i, j - i);
                break;
            }
            encoder.endParagraphWith(s + i, j - i);
            if (s[j] == '\r' && j + 1 < got && s[j + 1] == '\n')
                ++j;
            else if (s[j] == '\r' && j + 1 == got)
                afterCR = true;
            i = j + 1;
        }
        CodecWorkDone(got);
    }
    encoder.endParagraph();
}

void TQuotedPrintable::DecodeLines()
{
    QByteArray out;
    out.reserve(blockSize + 256);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArrayView line = lines.at(i);
        const bool soft = line.endsWith('=');
        if (soft)
            line.chop(1);
        decodeLine(line, out);
        if (!soft && i + 1 < lines.size())
            out.append("\r\n", 2);
        if (out.size() >= blockSize) {
            stream.WriteBuffer(out.constData(), out.size());
            CodecWorkDone(out.size());
            out.resize(0);
        }
    }
    stream.WriteBuffer(out.constData(), out.size());
}

void TQPLineDecoder::Add(QByteArrayView line)
{
    CodecWorkDone(line.size());
    if (started && !softBreak)
        bytes.append("\r\n", 2);
    started = true;
    softBreak = line.endsWith('=');
    decodeLine(softBreak ? line.chopped(1) : line, bytes);
}

void TQPTextLines::Add(QByteArrayView line)
{
    CodecWorkDone(line.size());
    const bool soft = line.endsWith('=');
    decodeLine(soft ? line.chopped(1) : line, current);
    pending = true;
    if (!soft)
        flush();
}

void TQPTextLines::Finish()
{
    if (pending)
        flush();
}

// A decoded line break inside the line splits it; one at its end leaves an
// empty line after it, as it would in the joined text.
void TQPTextLines::flush()
{
    QByteArrayView rest = current;
    while (!rest.isEmpty()) {
        // Searched a block at a time: most lines hold no break at all.
        const char* const begin = rest.data();
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(rest.size())));
        const qsizetype lfAt = lf ? lf - begin : rest.size();
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(lfAt)));
        const qsizetype at = cr ? cr - begin : lfAt;
        if (at == rest.size())
            break;
        sink(rest.first(at));
        rest = rest.sliced(cr && cr + 1 == lf ? at + 2 : at + 1);
    }
    sink(rest);
    current.resize(0);
    pending = false;
}

QByteArray QPDecodeText(const QByteArray& text)
{
    TMemoryStream decoded;
    TStringList lines{text};
    TQuotedPrintable(decoded, lines).DecodeLines();
    const QByteArray& bytes = decoded.Bytes();
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.left(end);
}
