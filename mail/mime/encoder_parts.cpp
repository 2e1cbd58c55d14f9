// Attachment parts and the uuencode form. A part's data lines, joined by
// line breaks, are exactly its bytes in the transfer encoding; the line break
// before the next delimiter belongs to the delimiter, so quoted-printable
// and 7-bit data come back unchanged. Base64 keeps its blank lines around
// the data, which readers skip.
#include "mail/mime/mime.h"

#include "mail/codecs/codec_pump_p.h"
#include "mail/codecs/codecs.h"
#include "mail/mime/encoder_p.h"
#include "mail/mime/mime_p.h"
#include "mail/model/attachment_names_p.h"
#include "mail/headers/header_fields.h"

namespace {

constexpr qsizetype base64Block = 57;

// The longest line mail may carry unencoded (RFC 5322), CR LF not counted.
constexpr qsizetype maxLine = 998;

bool endsWithLineBreak(const QByteArray& data)
{
    return data.endsWith('\n') || data.endsWith('\r');
}

// What 7-bit data holds that decides its coding.
struct DataShape {
    bool eightBit = false;
    bool unsafe = false; // a NUL or a line too long for mail: it must be encoded
};

DataShape shapeOf(QByteArrayView data)
{
    DataShape shape;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        shape.eightBit = shape.eightBit || uchar(c) >= 128;
        shape.unsafe = shape.unsafe || c == '\0';
        if (c == '\n' || c == '\r')
            lineStart = i + 1;
        else if (i - lineStart >= maxLine)
            shape.unsafe = true;
    }
    return shape;
}

} // namespace

// 7-bit data that is not goes out as 8bit where that may carry it, else
// encoded: text readably, anything else in base64. A part at the end of the
// text ends with the text's last line break (RFC 2046 gives the data every
// byte up to the end), so data without one of its own goes out
// quoted-printable, whose soft break ends it exactly.
PartCoding CodingOf(const TmsAttItem& item, PartEnd end)
{
    switch (item.Encoding()) {
    case aeBase64: return PartCoding::Base64;
    case aeQuotedPrintable: return PartCoding::QuotedPrintable;
    case ae7Bit: break;
    }
    const QByteArray& data = item.Data().Bytes();
    const DataShape shape = shapeOf(data);
    if (shape.unsafe)
        return ExtractMimeType(item.ContentType()).toLower().startsWith("text/") ? PartCoding::QuotedPrintable
                                                                                 : PartCoding::Base64;
    if (end == PartEnd::EndOfText && !data.isEmpty() && !endsWithLineBreak(data))
        return PartCoding::QuotedPrintable;
    return shape.eightBit ? PartCoding::EightBit : PartCoding::SevenBit;
}

// The RFC's tokens, which the model's names follow save for "7 bit".
QByteArray TransferEncodingLine(PartCoding coding)
{
    static const char* const tokens[] = {"7bit", "8bit", "Quoted-Printable", "Base64"};
    return QByteArray("Content-Transfer-Encoding: ") + tokens[int(coding)];
}

QByteArray CharsetParameter(const QByteArray& contentType)
{
    const QByteArray charset = GetHeaderParameter("charset", SingleLine(contentType));
    return charset.isEmpty() ? QByteArray() : ParameterText("charset", charset);
}

void TmsCustomEncoder::writeAttachmentPart(const TmsAttItem& item, PartNaming naming, PartEnd end)
{
    const PartCoding coding = CodingOf(item, end);
    writeAttachmentHeaders(item, naming, coding);
    writeAttachmentData(item, coding, end);
    if (coding != PartCoding::Base64)
        return;
    WriteLine("");
    if (end != PartEnd::CloseDelimiter)
        WriteLine("");
}

// A name the decoder made up for a part that had none is not written: a
// reader would take the type its "extension" suggests.
void TmsCustomEncoder::writeAttachmentHeaders(const TmsAttItem& item, PartNaming naming, PartCoding coding)
{
    const bool attachment = naming == PartNaming::Named;
    const bool named = attachment && !IsUnnamedFile(item);
    const QByteArray name = BareFileName(item.FileName());
    // The part's own type, never one its name suggests; the name is ours to add.
    QByteArray type = ExtractMimeType(SingleLine(item.ContentType()).trimmed());
    if (type.isEmpty())
        type = "application/octet-stream";
    type += CharsetParameter(item.ContentType());
    WriteHeaderLine("Content-Type: " + type + (named ? ParameterText("name", name) : QByteArray()));
    WriteLine(TransferEncodingLine(coding));
    if (attachment)
        WriteHeaderLine("Content-Disposition: attachment" + (named ? ParameterText("filename", name) : QByteArray()));
    WriteLine("");
}

void TmsCustomEncoder::writeAttachmentData(const TmsAttItem& item, PartCoding coding, PartEnd end)
{
    const QByteArray& data = item.Data().Bytes();
    if (coding == PartCoding::Base64) {
        writeBlockLines(data, base64Block, Base64EncodeLine);
    } else if (coding == PartCoding::QuotedPrintable) {
        writeQuotedPrintable(data, end);
    } else {
        // Text lines. Before a delimiter, a final line break shows as a last
        // empty line; at the end of the text, the text's own ends the data.
        TStringList lines;
        lines.SetText(data);
        if (endsWithLineBreak(data) && end != PartEnd::EndOfText)
            lines.append(QByteArray());
        for (const QByteArray& line : std::as_const(lines))
            WriteLine(line);
        CodecWorkDone(data.size());
    }
}

// Where the data ends the message text, the text's own last line break
// stands for the data's: a final empty line goes, and data without a final
// line break ends in a soft break.
void TmsCustomEncoder::writeQuotedPrintable(const QByteArray& bytes, PartEnd end)
{
    const bool endsText = end == PartEnd::EndOfText;
    TMemoryStream source(bytes);
    QByteArray held; // the last line waits: the end of the text may change it
    bool holding = false;
    QPEncodeStream(source, [&](QByteArrayView line) {
        if (holding)
            WriteLine(held);
        held.resize(0);
        held.append(line);
        holding = true;
    });
    if (!holding || (endsText && held.isEmpty()))
        return;
    if (endsText)
        held += '=';
    WriteLine(held);
}

// Stops after the first short block, so data of whole blocks ends with an
// empty line. Each line is encoded straight into the buffer.
void TmsCustomEncoder::writeBlockLines(const QByteArray& data, qsizetype blockSize,
                                       void (*encodeLine)(QByteArrayView, QByteArray&))
{
    for (qsizetype at = 0;; at += blockSize) {
        const qsizetype n = std::min(blockSize, data.size() - at);
        encodeLine(QByteArrayView(data).sliced(at, n), buffer);
        WriteLine({});
        if (n < blockSize)
            break;
    }
}

void TmsCustomEncoder::writeUUMessage()
{
    WriteLine("");
    for (const QByteArray& line : std::as_const(message.Body()))
        WriteLine(line);
    for (qsizetype i = 0; i < message.Attachments().Count(); ++i) {
        const TmsAttItem& item = message.Attachments().Items(i);
        WriteLine("");
        WriteLine("begin 600 " + SingleLine(BareFileName(item.FileName())));
        writeBlockLines(item.Data().Bytes(), UUBlockSize, UUEncodeLine);
        WriteLine("`");
        WriteLine("end");
    }
}
