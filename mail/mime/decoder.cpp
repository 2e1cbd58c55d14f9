// The decoder's frame: the message's header block, the choice between MIME
// and plain text, and the parse-failure form.
#include "mail/mime/mime.h"

#include "mail/mime/decoder_p.h"
#include "mail/mime/mime_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

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

TmsCustomDecoder::TmsCustomDecoder(TStream& input) : text(wholeText(input)) {}

TmsCustomDecoder::~TmsCustomDecoder() = default;

void TmsCustomDecoder::Decode()
{
    QString failure;
    try {
        TTextLines lines(text, {0, text.size()});
        lines.ReadHeaderBlock(MessageHeaders);
        ApplyHeaders();
        if (isMime())
            FillMimeMessage(*Message, text, ReadMimeTree(lines, MessageHeaders, failure));
        else
            FillPlainMessage(*Message, text, {lines.Position(), text.size()});
    } catch (const EStreamError&) {
        throw;
    } catch (const Exception& e) {
        failure = e.Message;
    }
    // Whatever the text holds, the message stays readable.
    if (!failure.isEmpty())
        storeParseFailure(failure);
}

// Without a MIME-Version, a message that declares its content type is read
// as MIME all the same, as every mail reader does.
bool TmsCustomDecoder::isMime() const
{
    const QByteArray version = GetHeaderField(MessageHeaders, "MIME-Version");
    if (!version.isEmpty())
        return IsMimeVersion10(version);
    return !RawHeaderField(MessageHeaders, "Content-Type", MaxContentFieldBytes).trimmed().isEmpty();
}

void TmsCustomDecoder::storeParseFailure(const QString& reason)
{
    TStringList& body = Message->Body();
    body.append("The following error has been occured while processing the message:");
    body.append(reason.toUtf8());
    body.append("The original message will be stored as an attachment");
    try {
        auto item = std::make_unique<TmsAttItem>();
        item->SetFileName("original.eml");
        item->SetEncoding(ae7Bit);
        item->SetContentType("message/rfc822");
        item->SetData(text);
        Message->Attachments().Add(std::move(item));
    } catch (const std::exception&) {
        // The explanation stands on its own.
    }
}
