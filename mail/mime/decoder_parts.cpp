// From the tree of parts to the message: which leaf gives the body, the
// attachments with their names and declared types, and each part's data.
// A part's data is its lines up to the delimiter; the line break before the
// delimiter belongs to it (RFC 2046).
#include "mail/mime/decoder_p.h"

#include "mail/codecs/codecs.h"
#include "mail/mime/mime_p.h"
#include "mail/model/attachment_names_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"
#include "toolkit/Pump.h"

namespace {

// A leaf in the order of the text, with the leaves of the nearest
// multipart/alternative holding it (none: alternativeBegin < 0).
struct Leaf {
    const TMimePart* part;
    QByteArray name; // the file name the part gives itself
    bool attachment;
    bool inAlternativeItself; // a part of that alternative, not of a part nested in it
    qsizetype alternativeBegin = -1;
    qsizetype alternativeEnd = -1;
};

// The file name the part gives itself: Content-Disposition's "filename"
// wins over Content-Type's "name" (RFC 2183). A part marked as an
// attachment is one, and so is a named part without a disposition: mailers
// that write none name their files.
Leaf leafOf(const TMimePart& part, bool parentIsAlternative)
{
    const QByteArray dispositionValue = RawHeaderField(part.headers, "Content-Disposition", MaxContentFieldBytes);
    const QByteArray disposition = ExtractMimeType(Trim(dispositionValue)).toLower();
    QByteArray name = ParameterOf("filename", dispositionValue);
    if (name.isEmpty())
        name = ParameterOf("name", part.contentType);
    const bool attachment = disposition.isEmpty() ? !name.isEmpty() : disposition != "inline";
    return {&part, name, attachment, parentIsAlternative};
}

void collectLeaves(const TMimePart& part, bool parentIsAlternative, std::vector<Leaf>& leaves)
{
    if (!part.walked) {
        if (!part.headers.isEmpty() || part.content.end > part.content.begin) // else nothing to keep
            leaves.push_back(leafOf(part, parentIsAlternative));
        return;
    }
    const bool alternative = part.mimeType == "multipart/alternative";
    const qsizetype begin = qsizetype(leaves.size());
    for (const TMimePart& child : part.children)
        collectLeaves(child, alternative, leaves);
    if (!alternative)
        return;
    for (qsizetype i = begin; i < qsizetype(leaves.size()); ++i)
        if (leaves[size_t(i)].alternativeBegin < 0)
            std::tie(leaves[size_t(i)].alternativeBegin,
                     leaves[size_t(i)].alternativeEnd) = std::pair(begin, qsizetype(leaves.size()));
}

// A leaf the body may come from. In a multipart only plain text and HTML
// are; data sent in base64 without a declared type is taken for a file.
bool mayBeBody(const Leaf& leaf, bool singlePart)
{
    const TMimePart& part = *leaf.part;
    if (leaf.attachment)
        return false;
    if (singlePart)
        return part.mimeType.startsWith("text/");
    if (part.mimeType != "text/plain" && part.mimeType != "text/html")
        return false;
    return !part.contentType.isEmpty() || part.coding != TransferCoding::Base64;
}

// The first leaf that may be the body; within an alternative, plain text
// before HTML whatever their order. -1 for none.
qsizetype findBody(const std::vector<Leaf>& leaves, bool singlePart)
{
    const auto found = std::find_if(leaves.begin(), leaves.end(),
                                    [singlePart](const Leaf& leaf) { return mayBeBody(leaf, singlePart); });
    if (found == leaves.end())
        return -1;
    const qsizetype first = found - leaves.begin();
    for (qsizetype i = first; i < found->alternativeEnd; ++i) {
        const Leaf& leaf = leaves[size_t(i)];
        if (leaf.part->mimeType == "text/plain" && mayBeBody(leaf, singlePart))
            return i;
    }
    return first;
}

// The type the part declares, with its character set where it names one;
// the default type of its place where it declares none.
QByteArray declaredType(const TMimePart& part)
{
    return part.charset.isEmpty() ? part.mimeType : part.mimeType + ParameterText("charset", part.charset);
}

TAttEncoding keptEncoding(TransferCoding coding)
{
    switch (coding) {
    case TransferCoding::SevenBit: return ae7Bit;
    case TransferCoding::QuotedPrintable: return aeQuotedPrintable;
    case TransferCoding::Base64:
    case TransferCoding::Uuencode: break;
    }
    return aeBase64;
}

// A forwarded message is named from its subject.
QByteArray messageFileName(const QByteArray& data, qsizetype index)
{
    TTextLines lines(data, {0, data.size()});
    TmsHeaders headers;
    lines.ReadHeaderBlock(headers);
    QByteArray subject = CutText(GetHeaderField(headers, "Subject"), 200);
    for (char& c : subject)
        if (c == '/' || c == '\\' || uchar(c) < 32)
            c = '_';
    subject = Trim(subject);
    return (subject.isEmpty() ? UnnamedFileName(index) : subject) + ".eml";
}

class MessageFiller {
public:
    MessageFiller(TmsCustomMessage& message, const QByteArray& text) : message(message), text(text) {}

    void Fill(const TMimePart& root);

private:
    void readHtmlBody(const TMimePart& part);
    void addAttachment(const Leaf& leaf, bool alternative);
    void add(const TMimePart& part, const QByteArray& name, bool ownName, const QByteArray& data);

    TmsCustomMessage& message;
    const QByteArray& text;
};

void MessageFiller::Fill(const TMimePart& root)
{
    std::vector<Leaf> leaves;
    collectLeaves(root, false, leaves);
    const bool singlePart = !root.walked;
    const qsizetype body = findBody(leaves, singlePart);
    const Leaf* bodyLeaf = body >= 0 ? &leaves[size_t(body)] : nullptr;
    for (qsizetype i = 0; i < qsizetype(leaves.size()); ++i) {
        ProcessMessages();
        const Leaf& leaf = leaves[size_t(i)];
        const TMimePart& part = *leaf.part;
        if (i != body) {
            const bool alternative = bodyLeaf && i >= bodyLeaf->alternativeBegin && i < bodyLeaf->alternativeEnd
                                  && (leaf.inAlternativeItself || part.mimeType.startsWith("text/"));
            addAttachment(leaf, alternative);
        } else if (part.mimeType == "text/html") {
            readHtmlBody(part);
        } else {
            ReadBodyText(message, text, part, singlePart ? BodyPlace::WholeMessage : BodyPlace::InMultipart);
            if (!singlePart && message.Body().isEmpty())
                message.Body().append(QByteArray());
        }
    }
    if (singlePart && body == 0 && root.mimeType == "text/rtf")
        message.SetContentType(root.mimeType);
    // A multipart of the body alone is written again as that part.
    if (root.children.size() == 1 && !root.children.front().walked && body == 0 && message.Attachments().Count() == 0)
        message.SetContentType(root.children.front().contentType);
}

// The body is the readable text of the HTML, which stays an attachment.
void MessageFiller::readHtmlBody(const TMimePart& part)
{
    const QByteArray html = DecodingAttachment([&] { return DecodePartData(text, part); });
    if (html.isEmpty())
        return;
    ReadHtmlBody(message, html, part.charset);
    add(part, "_htmbody.htm", false, html);
}

void MessageFiller::addAttachment(const Leaf& leaf, bool alternative)
{
    const TMimePart& part = *leaf.part;
    const QByteArray data = DecodingAttachment([&] { return DecodePartData(text, part); });
    const qsizetype index = message.Attachments().Count();
    if (!leaf.name.isEmpty())
        add(part, leaf.name, true, data);
    else if (part.mimeType == "message/rfc822")
        add(part, messageFileName(data, index), false, data);
    else
        add(part, alternative ? AlternativeFileName(index) : UnnamedFileName(index), false, data);
}

// A name the decoder made up never decides the type; the part's own name
// does where the part declares no more than "some bytes".
void MessageFiller::add(const TMimePart& part, const QByteArray& name, bool ownName, const QByteArray& data)
{
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    if (!ownName || (!part.contentType.isEmpty() && part.mimeType != "application/octet-stream"))
        item->SetContentType(declaredType(part));
    item->SetEncoding(keptEncoding(part.coding));
    item->SetData(data);
    message.Attachments().Add(std::move(item));
}

} // namespace

QByteArray DecodePartData(const QByteArray& text, const TMimePart& part)
{
    TTextLines lines(text, part.content);
    const qsizetype size = part.content.end - part.content.begin;
    QByteArray bytes;
    QByteArrayView line;
    switch (part.coding) {
    case TransferCoding::Base64: {
        bytes.reserve(size / 4 * 3 + 3);
        TBase64Decoder base64;
        while (lines.Next(line))
            base64.Add(line, bytes);
        base64.Finish(bytes);
        return bytes;
    }
    case TransferCoding::Uuencode:
        while (lines.Next(line)) {
            const QByteArrayView trimmed = TrimmedView(line);
            if (!trimmed.isEmpty() && !IsUUBeginLine(trimmed) && trimmed != "`" && trimmed != "end")
                UUDecodeLine(trimmed, bytes);
        }
        return bytes;
    case TransferCoding::QuotedPrintable: {
        TQPLineDecoder decoder;
        while (lines.Next(line))
            decoder.Add(line);
        if (part.endsText && (text.endsWith('\n') || text.endsWith('\r')))
            decoder.Add({}); // the text's last line break is the data's
        return decoder.Bytes();
    }
    case TransferCoding::SevenBit: break;
    }
    bytes.reserve(size);
    for (bool first = true; lines.Next(line); first = false) {
        if (!first)
            bytes.append("\r\n", 2);
        bytes.append(line);
    }
    if (part.endsText && size > 0 && (text.endsWith('\n') || text.endsWith('\r')))
        bytes.append("\r\n", 2); // the text's last line break is the data's
    return bytes;
}

void FillMimeMessage(TmsCustomMessage& message, const QByteArray& text, const TMimePart& root)
{
    MessageFiller(message, text).Fill(root);
}
