// The decoder's frame: the header block, the choice between MIME and plain
// text, text messages, uuencoded files and the parse-failure form.
#include "mail/msmime.h"

#include "mail/mscharset_p.h"
#include "mail/mscoding.h"
#include "mail/msmime_p.h"
#include "mail/msmsg_names_p.h"
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

bool IsMimeVersion10(QByteArrayView value)
{
    QByteArray bare;
    int depth = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (depth > 0 && c == '\\')
            ++i;
        else if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        else if (depth == 0 && uchar(c) > 32)
            bare += c;
    }
    return bare == "1.0";
}

TransferCoding ReadTransferCoding(const TmsHeaders& headers)
{
    const QByteArray name = Trim(GetHeaderField(headers, "Content-Transfer-Encoding")).toLower();
    if (name == "base64")
        return TransferCoding::Base64;
    if (name.startsWith("x-uue"))
        return TransferCoding::Uuencode;
    if (name == "quoted-printable")
        return TransferCoding::QuotedPrintable;
    return TransferCoding::SevenBit;
}

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
        item->SetData(reader.Bytes());
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

void TmsCustomDecoder::decodeTextMessage()
{
    const QByteArray type = GetHeaderField(MessageHeaders, "Content-type");
    const QByteArray mainType = ExtractMimeType(type).toLower();
    if (mainType == "text/html" || mainType == "text/rtf")
        Message->SetContentType(mainType);
    Message->Body().clear();
    const TransferCoding coding = ReadTransferCoding(MessageHeaders);
    if (coding == TransferCoding::Base64) {
        QByteArray bytes;
        for (QByteArrayView line = reader.NextLine(); !reader.Eof(); line = reader.NextLine())
            if (const QByteArrayView text = TrimmedView(line); !text.isEmpty())
                Base64DecodeLine(text, bytes);
        return setBodyText(bytes, type, coding);
    }
    const bool quotedPrintable = coding == TransferCoding::QuotedPrintable;
    if (quotedPrintable && IsUtf8Charset(MimeParameter("charset", type)))
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
    setBodyText(quotedPrintable ? decoder.Bytes() : text, type, coding);
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
void TmsCustomDecoder::setBodyText(const QByteArray& text, const QByteArray& contentType, TransferCoding coding)
{
    const QByteArray utf8 = ToUtf8(text, MimeParameter("charset", contentType));
    Message->Body().SetText(utf8);
    if (HasEightBit(utf8))
        Message->SetCharSet(csUTF8);
    else if (coding == TransferCoding::QuotedPrintable)
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
    while (!reader.Eof()) {
        auto item = std::make_unique<TmsAttItem>();
        const QByteArray name = UUBeginFileName(beginLine);
        item->SetFileName(name.isEmpty() ? UnnamedFileName(Message->Attachments().Count()) : name);
        item->SetData(DecodingAttachment([this] {
            QByteArray data;
            for (QByteArrayView line = reader.NextLine(); !reader.Eof() && line != "`"; line = reader.NextLine()) {
                if (line.compare("end", Qt::CaseInsensitive) == 0)
                    break;
                if (!line.isEmpty())
                    UUDecodeLine(line, data);
            }
            return data;
        }));
        Message->Attachments().Add(std::move(item));
        do
            beginLine = reader.NextLine();
        while (!reader.Eof() && !IsUUBeginLine(beginLine));
    }
}
