// The encoder's frame: the choice of layout, the text part and the
// multipart structure. Part data is written by encoder_parts.cpp.
#include "mail/mime/mime.h"

#include "mail/text/charsets_p.h"
#include "mail/mime/encoder_p.h"
#include "mail/mime/mime_p.h"
#include "mail/model/attachment_names_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

constexpr qsizetype longLine = 256;
constexpr qsizetype flushSize = 1 << 20;
constexpr int boundaryDraws = 100;

bool isBodyFile(const TmsAttItem& item)
{
    return !BodyFileType(item).isEmpty();
}

bool isForeignLine(const QByteArray& line)
{
    return HasEightBit(line) && !IsValidUtf8(line);
}

// The body's lines, each ended by CR LF, in UTF-8, as its label says. A line
// that is not came from a file in another set: it is read as windows-1252,
// which holds Latin-1's letters.
QByteArray utf8Text(const TStringList& body)
{
    if (std::none_of(body.begin(), body.end(), isForeignLine))
        return body.Text();
    TStringList lines = body;
    for (QByteArray& line : lines)
        if (isForeignLine(line))
            line = Windows1252ToUtf8(line);
    return lines.Text();
}

} // namespace

TmsCustomEncoder::TmsCustomEncoder(TmsCustomMessage& message) : message(message)
{
    for (const QByteArray& line : std::as_const(message.Body())) {
        longLines = longLines || line.size() >= longLine;
        eightBit = eightBit || HasEightBit(line);
        nulBytes = nulBytes || line.contains('\0');
    }
}

TmsCustomEncoder::~TmsCustomEncoder() = default;

void TmsCustomEncoder::Encode()
{
    buffer.clear();
    OutputStream->SetSize(0);
    OutputStream->SetPosition(0);
    try {
        WriteHeaders();
        if (message.Encoding() == meUU)
            writeUUMessage();
        else
            writeLayout();
        flush();
    } catch (...) {
        try {
            flush();
        } catch (...) {
        }
        throw;
    }
}

// Copied in place: for lines this short QByteArray's append costs more than
// the copy itself.
void TmsCustomEncoder::WriteLine(QByteArrayView line)
{
    const qsizetype at = buffer.size();
    buffer.resize(at + line.size() + 2);
    char* const end = std::copy(line.begin(), line.end(), buffer.data() + at);
    end[0] = '\r';
    end[1] = '\n';
    if (buffer.size() >= flushSize)
        flush();
}

// The buffer is empty before the write, so a failed one is not written again;
// its room then serves the next lines.
void TmsCustomEncoder::flush()
{
    QByteArray pending = std::exchange(buffer, {});
    OutputStream->WriteBuffer(pending.constData(), pending.size());
    pending.resize(0);
    buffer = std::move(pending);
}

void TmsCustomEncoder::writeLayout()
{
    const QByteArray type = message.ContentType();
    const TmsAttList& attachments = message.Attachments();
    const bool bodyFileOnly = message.Body().isEmpty() && attachments.Count() == 1 && isBodyFile(attachments.Items(0));
    if (type == "multipart/mixed" || type == "multipart/alternative")
        writeMultipartMessage(type == "multipart/alternative" ? MultipartKind::Alternative : MultipartKind::Mixed);
    else if (type == "text/plain")
        attachments.Count() == 0 ? writeTextPart(PartEnd::EndOfText) : writeSinglePartMessage();
    else if (type == "text/html" || type == "text/rtf")
        bodyFileOnly ? writeSinglePartMessage() : writeFormattedMessage();
    else if (attachments.Count() > 0)
        writeSinglePartMessage();
    else if (const QByteArray main = ExtractMimeType(type); main == "text/html" || main == "text/rtf")
        writeFormattedMessage();
    else // a stored type with parameters and only a body: the body stays readable
        writeTextPart(PartEnd::EndOfText);
}

bool TmsCustomEncoder::needsQuotedPrintable() const
{
    return message.CharSet() == csISO8859 || longLines || eightBit || nulBytes;
}

const char* TmsCustomEncoder::bodyCharset() const
{
    if (eightBit || message.CharSet() == csUTF8)
        return "utf-8";
    return message.CharSet() == csISO8859 ? "iso-8859-1" : nullptr;
}

// The body as a plain text part. Inside a multipart a 7-bit part ends with a
// line break of its own before the delimiter; quoted-printable lines already
// carry the text's last line end, so nothing is added to them.
void TmsCustomEncoder::writeTextPart(PartEnd end)
{
    const char* charset = bodyCharset();
    WriteLine(QByteArray("Content-Type: text/plain; charset=\"") + (charset ? charset : "us-ascii") + '"');
    WriteLine(needsQuotedPrintable() ? "Content-Transfer-Encoding: quoted-printable"
                                     : "Content-Transfer-Encoding: 7bit");
    WriteLine("");
    if (needsQuotedPrintable())
        return writeQuotedPrintable(utf8Text(message.Body()), end);
    for (const QByteArray& line : std::as_const(message.Body()))
        WriteLine(line);
    if (end != PartEnd::EndOfText)
        WriteLine("");
}

void TmsCustomEncoder::writeFormattedMessage()
{
    QByteArray type = ExtractMimeType(message.ContentType()) == "text/html" ? "Content-Type: text/html"
                                                                            : "Content-Type: text/rtf";
    if (const char* charset = bodyCharset())
        type += QByteArray("; charset=\"") + charset + '"';
    WriteHeaderLine(type);
    WriteLine("Content-Transfer-Encoding: quoted-printable");
    WriteLine("");
    writeQuotedPrintable(utf8Text(message.Body()), PartEnd::EndOfText);
}

void TmsCustomEncoder::writeSinglePartMessage()
{
    if (message.Attachments().Count() == 0)
        return writeTextPart(PartEnd::EndOfText);
    const TmsAttItem& item = message.Attachments().Items(0);
    const PartCoding coding = CodingOf(item, PartEnd::EndOfText);
    if (message.Attachments().Count() > 1 || !isBodyFile(item)) {
        writeAttachmentHeaders(item, PartNaming::Named, coding);
    } else {
        WriteHeaderLine("Content-Type: " + BodyFileType(item) + CharsetParameter(item.ContentType()));
        WriteLine(TransferEncodingLine(coding));
        WriteLine("");
    }
    writeAttachmentData(item, coding, PartEnd::EndOfText);
}

void TmsCustomEncoder::writeMultipartMessage(MultipartKind kind)
{
    const bool alternative = kind == MultipartKind::Alternative;
    const TmsAttList& attachments = message.Attachments();
    const bool bodyEmpty = message.Body().isEmpty();
    bool plainFirst = attachments.Count() > 0 && bodyEmpty && isBodyFile(attachments.Items(0));
    QByteArray boundary = makeBoundary();
    WriteHeaderLine("Content-Type: " + message.ContentType() + "; boundary=\"" + boundary + '"');
    WriteLine("");
    WriteLine("This is a multipart message in MIME format");
    WriteLine("");
    WriteLine("--" + boundary);
    QByteArray outer;
    if (!alternative && attachments.Count() > 0 && IsAlternativeFile(attachments.Items(0))) {
        outer = std::exchange(boundary, makeBoundary(boundary));
        WriteLine("Content-Type:  multipart/alternative; boundary=\"" + boundary + '"');
        WriteLine("Content-Transfer-Encoding: 7bit");
        WriteLine("");
        WriteLine("--" + boundary);
    }
    if (!bodyEmpty) {
        writeTextPart(PartEnd::Delimiter);
        // With no part to follow, the body's delimiter is the closing one.
        WriteLine(attachments.Count() == 0 ? "--" + boundary + "--" : "--" + boundary);
    }
    for (qsizetype i = 0; i < attachments.Count(); ++i) {
        if (i > 0)
            plainFirst = false;
        const bool last = i + 1 == attachments.Count();
        const bool closesNested = !last && !outer.isEmpty() && !IsAlternativeFile(attachments.Items(i + 1));
        const bool unnamed = alternative || !outer.isEmpty() || plainFirst;
        writeAttachmentPart(attachments.Items(i), unnamed ? PartNaming::Unnamed : PartNaming::Named,
                            last || closesNested ? PartEnd::CloseDelimiter : PartEnd::Delimiter);
        if (last) {
            WriteLine("--" + boundary + "--");
        } else if (closesNested) {
            WriteLine("--" + boundary + "--");
            boundary = std::exchange(outer, {});
            WriteLine("");
            WriteLine("--" + boundary);
        } else {
            WriteLine("--" + boundary);
        }
    }
}

// Eight digits from 0 to 8. A boundary whose delimiter occurs in any text the
// message carries unencoded is drawn again, as is one equal to the other.
QByteArray TmsCustomEncoder::makeBoundary(const QByteArray& other) const
{
    QRandomGenerator* random = QRandomGenerator::system();
    for (int draw = 0; draw < boundaryDraws; ++draw) {
        QByteArray boundary(8, '0');
        for (char& digit : boundary)
            digit = char('0' + random->bounded(9));
        const QByteArray delimiter = "--" + boundary;
        bool clash = boundary == other;
        for (qsizetype i = 0; !clash && i < message.Body().size(); ++i)
            clash = message.Body().at(i).contains(delimiter);
        for (qsizetype i = 0; !clash && i < message.Attachments().Count(); ++i) {
            const TmsAttItem& item = message.Attachments().Items(i);
            clash = item.Encoding() != aeBase64 && item.Data().Bytes().contains(delimiter);
        }
        if (!clash)
            return boundary;
    }
    throw EInvalidOperation(QStringLiteral("Cannot find a boundary that the message does not contain"));
}
