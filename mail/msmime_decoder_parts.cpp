// Single-part attachments and multiparts. A part's data is its lines up to
// the delimiter; the line break before the delimiter belongs to it (RFC 2046).
#include "mail/msmime.h"

#include "mail/mscoding.h"
#include "mail/msmimedata.h"
#include "mail/msmime_p.h"
#include "mail/mspars.h"
#include "mail/mstext_p.h"
#include "toolkit/Pump.h"

namespace {

[[noreturn]] void parseError(const char* text)
{
    throw EMessageParserError(QString::fromLatin1(text));
}

QByteArray countedName(const char* prefix, qsizetype count)
{
    return prefix + QByteArray::number(count);
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
    item->SetContentType(type);
    if (const QByteArray name = MimeParameter("name", type); !name.isEmpty())
        item->SetFileName(name);
    const QByteArray mainType = ExtractMimeType(type);
    item->SetContentType(mainType);
    const TransferEncoding transfer = ReadTransferEncoding(GetHeaderField(MessageHeaders, "Content-Transfer-Encoding"));
    item->SetEncoding(transfer.encoding);
    if (item->FileName().isEmpty()) {
        const QByteArray name = MimeParameter("filename", RawHeaderField(MessageHeaders, "Content-Disposition"));
        item->SetFileName(name.isEmpty() ? countedName("att.", Message->Attachments().Count()) : name);
        item->SetEncoding(transfer.encoding);
        item->SetContentType(mainType);
    }
    try {
        readPartData(*item, transfer.uuencoded);
    } catch (const EStreamError&) {
        throw;
    } catch (const Exception&) {
        parseError("Error decoding the attachment");
    }
    addAttachment(std::move(item));
}

// Reads to the next line that begins with the boundary (to the end of the
// text for a single part) and decodes what it passed. Returns whether the
// multipart goes on after it.
bool TmsCustomDecoder::readPartData(TmsAttItem& item, bool uuencoded)
{
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
    SetAttachmentData(item, item.Encoding() == aeQuotedPrintable ? quotedPrintable.Bytes() : bytes);
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
    const QByteArray encoding = Trim(GetHeaderField(partHeaders, "Content-Transfer-Encoding")).toLower();
    const QByteArray disposition = RawHeaderField(partHeaders, "Content-Disposition");
    if (encoding == "base64" || !MimeParameter("name", type).isEmpty()
        || !MimeParameter("filename", disposition).isEmpty() || disposition.toLower().startsWith("attachment"))
        return true;
    const bool quotedPrintable = encoding == "quoted-printable";
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
    setBodyText(quotedPrintable ? decoder.Bytes() : text, type, quotedPrintable);
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
        const QByteArray mainType = type.isEmpty() ? QByteArray("text/plain") : ExtractMimeType(type);
        const TransferEncoding transfer = ReadTransferEncoding(GetHeaderField(partHeaders, "Content-Transfer-Encoding"));
        auto item = std::make_unique<TmsAttItem>();
        item->SetContentType(mainType);
        QByteArray name = MimeParameter("name", type);
        if (name.isEmpty())
            name = MimeParameter("filename", RawHeaderField(partHeaders, "Content-Disposition"));
        if (name.isEmpty()) {
            const bool alternative = inNestedAlternative || alternativeMessage;
            item->SetFileName(countedName(alternative ? "_alt." : "att.", Message->Attachments().Count()));
            item->SetContentType(mainType);
        } else {
            item->SetFileName(name);
        }
        item->SetEncoding(transfer.encoding);
        try {
            more = readPartData(*item, transfer.uuencoded);
        } catch (const EStreamError&) {
            throw;
        } catch (const Exception&) {
            parseError("Error decoding the attachment");
        }
        addAttachment(std::move(item));
        if (!more && inNestedAlternative)
            more = closeNestedAlternative();
    }
}
