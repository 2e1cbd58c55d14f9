// Attachment parts and the uuencode form. A part's data lines, joined by
// line breaks, are exactly its bytes in the transfer encoding; the line break
// before the next delimiter belongs to the delimiter, so quoted-printable
// and 7-bit data come back unchanged. Base64 keeps its blank lines around
// the data, which readers skip.
#include "mail/msmime.h"

#include "mail/mscodecpump_p.h"
#include "mail/mscoding.h"
#include "mail/msmime_p.h"
#include "mail/mstext_p.h"

namespace {

constexpr qsizetype base64Block = 57;

} // namespace

void TmsCustomEncoder::writeAttachmentPart(const TmsAttItem& item, bool plain, bool closing)
{
    writeAttachmentHeaders(item, plain);
    writeAttachmentData(item, false);
    if (item.Encoding() != aeBase64)
        return;
    WriteLine("");
    if (!closing)
        WriteLine("");
}

void TmsCustomEncoder::writeAttachmentHeaders(const TmsAttItem& item, bool plain)
{
    const QByteArray name = BareFileName(item.FileName());
    const QByteArray type = item.ContentType().isEmpty() ? QByteArray("application/octet-stream")
                                                         : SingleLine(item.ContentType());
    WriteLine("Content-Type: " + type + (plain ? QByteArray() : ParameterText("name", name)));
    WriteLine(QByteArray("Content-Transfer-Encoding: ") + AttEncodingNames[item.Encoding()]);
    if (!plain)
        WriteLine("Content-Disposition: attachment" + ParameterText("filename", name));
    WriteLine("");
}

void TmsCustomEncoder::writeAttachmentData(const TmsAttItem& item, bool endsText)
{
    const QByteArray& data = item.Data().Bytes();
    if (item.Encoding() == aeBase64) {
        // Ends after the first short block, so whole blocks end with an empty line.
        for (qsizetype at = 0;; at += base64Block) {
            const qsizetype n = std::min(base64Block, data.size() - at);
            Base64EncodeLine(QByteArrayView(data).sliced(at, n), buffer);
            WriteLine({});
            if (n < base64Block)
                break;
        }
    } else if (item.Encoding() == aeQuotedPrintable) {
        WriteQuotedPrintable(data, endsText, [this](QByteArrayView line) { WriteLine(line); });
    } else {
        // Text lines; a final line break shows as a last empty line.
        TStringList lines;
        lines.SetText(data);
        if (data.endsWith('\n') || data.endsWith('\r'))
            lines.append(QByteArray());
        for (const QByteArray& line : std::as_const(lines))
            WriteLine(line);
        CodecWorkDone(data.size());
    }
}

void TmsCustomEncoder::writeUUMessage()
{
    WriteLine("");
    for (const QByteArray& line : std::as_const(message.Body()))
        WriteLine(line);
    for (qsizetype i = 0; i < message.Attachments().Count(); ++i) {
        const TmsAttItem& item = message.Attachments().Items(i);
        const QByteArray& data = item.Data().Bytes();
        WriteLine("");
        WriteLine("begin 600 " + SingleLine(BareFileName(item.FileName())));
        for (qsizetype at = 0;; at += UUBlockSize) {
            const qsizetype n = std::min(UUBlockSize, data.size() - at);
            UUEncodeLine(QByteArrayView(data).sliced(at, n), buffer);
            WriteLine({});
            if (n < UUBlockSize)
                break;
        }
        WriteLine("`");
        WriteLine("end");
    }
}
