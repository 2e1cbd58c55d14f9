// The decoder's frame: the header block, the choice between MIME and plain
// text, text messages, uuencoded files and the parse-failure form.
#include "mail/msmime.h"

#include "mail/mscharset_p.h"
#include "mail/mscoding.h"
#include "mail/msmimedata.h"
#include "mail/msmime_p.h"
#include "mail/mspars.h"
#include "mail/mstext_p.h"

namespace {

QByteArray wholeText(TStream& input)
{
    if (const auto* memory = dynamic_cast<const TMemoryStream*>(&input))
        return memory->Bytes(); // shared, not copied: a message may be large
    input.SetPosition(0);
    return input.ReadAll();
}

} // namespace

TmsCustomDecoder::TmsCustomDecoder(TStream& input) : reader(wholeText(input))
{
    reader.Rewind();
}

TmsCustomDecoder::~TmsCustomDecoder() = default;

void TmsCustomDecoder::Decode()
{
    try {
        readHeaderBlock(MessageHeaders);
        ApplyHeaders();
        if (IsMimeVersion10(GetHeaderField(MessageHeaders, "MIME-VERSION")))
            decodeMimeMessage();
        else
            decodePlainMessage();
    } catch (const EStreamError&) {
        throw;
    } catch (const Exception& e) {
        // Whatever the text holds, the message stays readable.
        storeParseFailure(e.Message);
    }
}

bool TmsCustomDecoder::endsWithLineBreak() const
{
    return reader.Bytes().endsWith('\n') || reader.Bytes().endsWith('\r');
}

void TmsCustomDecoder::readHeaderBlock(TmsHeaders& list)
{
    list.clear();
    for (QByteArrayView line = reader.NextLine(); !reader.Eof() && !line.isEmpty(); line = reader.NextLine())
        list.append(line.toByteArray());
}

void TmsCustomDecoder::storeParseFailure(const QString& text)
{
    TStringList& body = Message->Body();
    body.append("The following error has been occured while processing the message:");
    body.append(text.toUtf8());
    body.append("The original message will be stored as an attachment");
    try {
        auto item = std::make_unique<TmsAttItem>();
        item->SetFileName("original.eml");
        item->SetEncoding(ae7Bit);
        item->SetContentType("message/rfc822");
        SetAttachmentData(*item, reader.Bytes());
        Message->Attachments().Add(std::move(item));
    } catch (const std::exception&) {
        // The explanation stands on its own.
    }
}

void TmsCustomDecoder::decodeMimeMessage()
{
    const QByteArray type = GetHeaderField(MessageHeaders, "Content-type").toLower();
    if (type.contains("multipart/alternative")) {
        alternativeMessage = true;
        decodeMultipart();
    } else if (type.contains("multipart")) {
        decodeMultipart();
    } else if (!type.isEmpty() && !type.contains("text/")) {
        decodeSinglePartAttachment();
    } else if (!MimeParameter("name", type).isEmpty()) {
        decodeSinglePartAttachment();
    } else {
        decodeTextMessage();
    }
}

namespace {

// Text in these needs no conversion, only a check, so it can go line by line.
bool isUtf8Charset(const QByteArray& charset)
{
    const QByteArray name = charset.trimmed().toLower();
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "us-ascii";
}

} // namespace

void TmsCustomDecoder::decodeTextMessage()
{
    const QByteArray type = GetHeaderField(MessageHeaders, "Content-type");
    const QByteArray mainType = ExtractMimeType(type).toLower();
    if (mainType == "text/html" || mainType == "text/rtf")
        Message->SetContentType(mainType);
    Message->Body().clear();
    const QByteArray encoding = Trim(GetHeaderField(MessageHeaders, "Content-Transfer-Encoding")).toLower();
    if (encoding == "base64") {
        QByteArray bytes;
        for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine())
            if (const QByteArrayView text = TrimmedView(line); !text.isEmpty())
                Base64DecodeLine(text, bytes);
        return setBodyText(bytes, type, false);
    }
    const bool quotedPrintable = encoding == "quoted-printable";
    if (quotedPrintable && isUtf8Charset(MimeParameter("charset", type)))
        return decodeUtf8QuotedPrintableText();
    TQPLineDecoder decoder;
    QByteArray text;
    for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine()) {
        if (IsUUBeginLine(line))
            return decodeAsUUMessage();
        if (quotedPrintable)
            decoder.Add(line);
        else
            text.append(line).append("\r\n", 2);
    }
    if (quotedPrintable && endsWithLineBreak())
        decoder.Add({});
    setBodyText(quotedPrintable ? decoder.Bytes() : text, type, quotedPrintable);
}

// The common case of a large text: quoted-printable UTF-8 (or ASCII) goes
// straight into body lines, each checked on its own, without a decoded copy
// of the whole text.
void TmsCustomDecoder::decodeUtf8QuotedPrintableText()
{
    bool eightBit = false;
    TStringList& body = Message->Body();
    TQPTextLines decoder([&](QByteArrayView view) {
        QByteArray line = view.toByteArray();
        if (!IsValidUtf8(line))
            line = Windows1252ToUtf8(line);
        eightBit = eightBit || HasEightBit(line);
        body.append(line);
    });
    for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine()) {
        if (IsUUBeginLine(line))
            return decodeAsUUMessage();
        decoder.Add(line);
    }
    decoder.Finish();
    Message->SetCharSet(eightBit ? csUTF8 : csISO8859);
}

// A uuencoded file inside what looked like text: read again from the start.
void TmsCustomDecoder::decodeAsUUMessage()
{
    Message->Body().clear();
    reader.Rewind();
    TmsHeaders skipped;
    readHeaderBlock(skipped);
    decodePlainMessage();
}

// The text in the part's character set made UTF-8; text that stays 7-bit
// keeps the character set the transfer encoding suggests.
void TmsCustomDecoder::setBodyText(const QByteArray& text, const QByteArray& contentType, bool quotedPrintable)
{
    const QByteArray utf8 = ToUtf8(text, MimeParameter("charset", contentType));
    Message->Body().SetText(utf8);
    if (HasEightBit(utf8))
        Message->SetCharSet(csUTF8);
    else if (quotedPrintable)
        Message->SetCharSet(csISO8859);
}

// The body runs to the first uuencoded file; text between and after the
// files is not kept.
void TmsCustomDecoder::decodePlainMessage()
{
    TStringList& body = Message->Body();
    for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine()) {
        if (IsUUBeginLine(line)) {
            if (!body.isEmpty() && body.last().isEmpty())
                body.removeLast(); // the blank line that sets the file off
            Message->SetEncoding(meUU);
            decodeUUAttachments(line);
            break;
        }
        body.append(line.toByteArray());
    }
    const QByteArray text = body.Text();
    if (HasEightBit(text)) {
        body.SetText(ToUtf8(text, {}));
        Message->SetCharSet(csUTF8);
    }
}

void TmsCustomDecoder::decodeUUAttachments(QByteArrayView beginLine)
{
    try {
        while (!reader.Eof()) {
            auto item = std::make_unique<TmsAttItem>();
            const QByteArray name = UUBeginFileName(beginLine);
            item->SetFileName(name.isEmpty() ? "att." + QByteArray::number(Message->Attachments().Count()) : name);
            QByteArray data;
            for (QByteArrayView line = reader.NextLine(); !reader.Eof() && line != "`"; line = reader.NextLine()) {
                if (line.compare("end", Qt::CaseInsensitive) == 0)
                    break;
                if (!line.isEmpty())
                    UUDecodeLine(line, data);
            }
            SetAttachmentData(*item, data);
            Message->Attachments().Add(std::move(item));
            do
                beginLine = reader.NextLine();
            while (!reader.Eof() && !IsUUBeginLine(beginLine));
        }
    } catch (const EStreamError&) {
        throw;
    } catch (const Exception&) {
        throw EMessageParserError(QStringLiteral("Error decoding the attachment"));
    }
}
