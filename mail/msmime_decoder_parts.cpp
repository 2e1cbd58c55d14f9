// Single-part attachments and multiparts. A part's data is its lines up to
// the delimiter; the line break before the delimiter belongs to it (RFC 2046).
#include "mail/msmime.h"

#include "mail/mscoding.h"
#include "mail/msmime_p.h"
#include "mail/msmsg_names_p.h"
#include "mail/mspars.h"
#include "mail/mstext_p.h"
#include "toolkit/Pump.h"

namespace {

[[noreturn]] void parseError(const char* text)
{
    throw EMessageParserError(QString::fromLatin1(text));
}

// The name parameter of the type, else the filename parameter of the
// disposition; empty for a part that names no file.
QByteArray partFileName(const TmsHeaders& headers, const QByteArray& contentType)
{
    const QByteArray name = MimeParameter("name", contentType);
    return name.isEmpty() ? MimeParameter("filename", RawHeaderField(headers, "Content-Disposition")) : name;
}

// The encoding the attachment keeps: uuencoded data is kept as base64.
TAttEncoding keptEncoding(TransferCoding coding)
{
    switch (coding) {
    case TransferCoding::SevenBit:
        return ae7Bit;
    case TransferCoding::QuotedPrintable:
        return aeQuotedPrintable;
    case TransferCoding::Base64:
    case TransferCoding::Uuencode:
        break;
    }
    return aeBase64;
}

} // namespace

bool TmsCustomDecoder::isDelimiter(QByteArrayView line) const
{
    return TrimmedView(line) == boundary && line.startsWith(boundary);
}

bool TmsCustomDecoder::isCloseDelimiter(QByteArrayView line) const
{
    return line.startsWith(boundary) && TrimmedView(line.sliced(boundary.size())) == "--";
}

void TmsCustomDecoder::skipToDelimiter(const char* failure)
{
    while (!isDelimiter(reader.NextLine()))
        if (reader.Eof())
            parseError(failure);
}

void TmsCustomDecoder::addAttachment(std::unique_ptr<TmsAttItem> item)
{
    Message->Attachments().Add(std::move(item));
}

void TmsCustomDecoder::decodeSinglePartAttachment()
{
    const QByteArray type = GetHeaderField(MessageHeaders, "Content-type");
    if (type.isEmpty())
        parseError("Missing required field: Content-Type");
    auto item = std::make_unique<TmsAttItem>();
    const QByteArray name = partFileName(MessageHeaders, type);
    item->SetFileName(name.isEmpty() ? UnnamedFileName(Message->Attachments().Count()) : name);
    item->SetContentType(ExtractMimeType(type)); // the declared type, not the one the name suggests
    DecodingAttachment([&] { return readPartData(*item, ReadTransferCoding(MessageHeaders)); });
    addAttachment(std::move(item));
}

// Gives the item the encoding that coding keeps, reads to the next line that
// begins with the boundary (to the end of the text for a single part) and
// decodes what it passed. Returns whether the multipart goes on after it.
bool TmsCustomDecoder::readPartData(TmsAttItem& item, TransferCoding coding)
{
    item.SetEncoding(keptEncoding(coding));
    const bool uuencoded = coding == TransferCoding::Uuencode;
    const bool multipart = !boundary.isEmpty();
    QByteArray bytes;
    TQPLineDecoder quotedPrintable;
    QByteArrayView line;
    for (bool first = true;; first = false) {
        line = reader.NextLine();
        if (reader.Eof() || (multipart && line.startsWith(boundary)))
            break;
        if (item.Encoding() == aeBase64) {
            const QByteArrayView text = TrimmedView(line);
            if (!multipart && line == ".")
                break;
            if (text.isEmpty() || (uuencoded && (IsUUBeginLine(text) || text == "`" || text == "end")))
                continue;
            uuencoded ? UUDecodeLine(text, bytes) : Base64DecodeLine(text, bytes);
        } else if (item.Encoding() == aeQuotedPrintable) {
            quotedPrintable.Add(line);
        } else {
            if (!first)
                bytes.append("\r\n", 2);
            bytes.append(line);
        }
    }
    if (item.Encoding() == aeQuotedPrintable && reader.Eof() && endsWithLineBreak())
        quotedPrintable.Add({}); // the text's last line break is the data's
    item.SetData(item.Encoding() == aeQuotedPrintable ? quotedPrintable.Bytes() : bytes);
    return !reader.Eof() && !isCloseDelimiter(line);
}

void TmsCustomDecoder::decodeMultipart()
{
    const QByteArray parameter = GetHeaderParameter("Boundary", GetHeaderField(MessageHeaders, "Content-type"));
    if (parameter.isEmpty())
        parseError("Cannot find boundary");
    boundary = "--" + parameter;
    skipToDelimiter("Cannot find boundary");
    if (decodeFirstPart())
        decodeParts();
}

// The first part is the body unless it is base64 or a named file, which are
// left with their headers read for decodeParts. Returns whether parts follow.
bool TmsCustomDecoder::decodeFirstPart()
{
    readHeaderBlock(partHeaders);
    QByteArray type = RawHeaderField(partHeaders, "Content-Type");
    if (type.toLower().contains("multipart/alternative")) {
        const QByteArray parameter = GetHeaderParameter("boundary", type);
        if (parameter.isEmpty())
            parseError("Cannot find boundary");
        inNestedAlternative = true;
        outerBoundary = std::exchange(boundary, "--" + parameter);
        skipToDelimiter("Cannot find boundary");
        readHeaderBlock(partHeaders);
        type = RawHeaderField(partHeaders, "Content-Type");
    }
    const TransferCoding coding = ReadTransferCoding(partHeaders);
    if (coding == TransferCoding::Base64 || !partFileName(partHeaders, type).isEmpty()
        || RawHeaderField(partHeaders, "Content-Disposition").toLower().startsWith("attachment"))
        return true;
    const bool quotedPrintable = coding == TransferCoding::QuotedPrintable;
    TQPLineDecoder decoder;
    QByteArray text;
    QByteArrayView line = reader.NextLine();
    for (bool first = true; !reader.Eof() && !isDelimiter(line) && !isCloseDelimiter(line);
         first = false, line = reader.NextLine()) {
        if (quotedPrintable)
            decoder.Add(line);
        else
            text.append(first ? "" : "\r\n").append(line);
    }
    setBodyText(quotedPrintable ? decoder.Bytes() : text, type, coding);
    if (Message->Body().isEmpty())
        Message->Body().append(QByteArray());
    if (reader.Eof())
        parseError("Cannot find boundary");
    if (!isCloseDelimiter(line))
        return true;
    if (inNestedAlternative) // the alternative held only the text: on to the outer parts
        return closeNestedAlternative();
    Message->SetContentType(type);
    return false;
}

// Back to the outer multipart after a nested alternative. Returns whether
// parts follow.
bool TmsCustomDecoder::closeNestedAlternative()
{
    inNestedAlternative = false;
    boundary = outerBoundary;
    QByteArrayView line;
    do {
        line = reader.NextLine();
        if (reader.Eof())
            parseError("Cannot find closing boundary");
    } while (!line.startsWith(boundary));
    return !isCloseDelimiter(line);
}

void TmsCustomDecoder::decodeParts()
{
    for (bool more = true; more;) {
        ProcessMessages();
        if (!Message->Body().isEmpty() || Message->Attachments().Count() > 0)
            readHeaderBlock(partHeaders);
        const QByteArray type = RawHeaderField(partHeaders, "Content-type");
        auto item = std::make_unique<TmsAttItem>();
        if (const QByteArray name = partFileName(partHeaders, type); !name.isEmpty()) {
            item->SetFileName(name);
        } else {
            const qsizetype count = Message->Attachments().Count();
            const bool alternative = inNestedAlternative || alternativeMessage;
            item->SetFileName(alternative ? AlternativeFileName(count) : UnnamedFileName(count));
            item->SetContentType(type.isEmpty() ? QByteArray("text/plain") : ExtractMimeType(type));
        }
        more = DecodingAttachment([&] { return readPartData(*item, ReadTransferCoding(partHeaders)); });
        addAttachment(std::move(item));
        if (!more && inNestedAlternative)
            more = closeNestedAlternative();
    }
}
