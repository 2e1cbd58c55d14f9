// The body's text: lines of a text part made UTF-8 from its character set,
// the readable text of an HTML part, and the text of messages that are not
// MIME, with their uuencoded files.
// The body is built line by line, so a large text is never held twice.
#include "mail/mime/decoder_p.h"

#include "mail/text/charsets_p.h"
#include "mail/codecs/codecs.h"
#include "mail/codecs/codec_errors.h"
#include "mail/text/html_text.h"
#include "mail/mime/mime_p.h"
#include "mail/model/attachment_names_p.h"
#include "mail/text/text_utils_p.h"

#include <algorithm>
#include <cstring>

namespace {

// Body lines made UTF-8 as they come; notes whether any is 8-bit.
class BodyLines {
public:
    BodyLines(TStringList& body, const QByteArray& charset) : body(body), converter(charset) {}

    void Add(QByteArrayView line)
    {
        QByteArray utf8 = converter.Convert(line);
        eightBit = eightBit || HasEightBit(utf8);
        body.append(std::move(utf8));
    }
    bool EightBit() const { return eightBit; }

private:
    TStringList& body;
    TCharsetLines converter;
    bool eightBit = false;
};

// Room for the lines of a range, so the list does not grow by copies.
void reserveLines(TStringList& body, const QByteArray& text, TTextRange range)
{
    const char* p = text.constData() + range.begin;
    const char* const end = text.constData() + range.end;
    qsizetype count = 1;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
        ++count;
        ++p;
    }
    body.reserve(body.size() + count);
}

// One uuencoded file, from the line after its begin line to its end line.
void readUUFile(TmsCustomMessage& message, TTextLines& lines, QByteArrayView beginLine)
{
    auto item = std::make_unique<TmsAttItem>();
    const QByteArray name = UUBeginFileName(beginLine);
    item->SetFileName(name.isEmpty() ? UnnamedFileName(message.Attachments().Count()) : name);
    item->SetData(DecodingAttachment([&lines] {
        QByteArray data;
        QByteArrayView line;
        while (lines.Next(line)) {
            if (line.compare("end", Qt::CaseInsensitive) == 0)
                break;
            if (line == "`") { // a line of no bytes ends the data; "end" follows
                bool more;
                do
                    more = lines.Next(line);
                while (more && line == "`");
                if (more && line.compare("end", Qt::CaseInsensitive) != 0)
                    lines.Unread(line);
                break;
            }
            if (!line.isEmpty())
                UUDecodeLine(line, data);
        }
        return data;
    }));
    message.Attachments().Add(std::move(item));
}

// The lines of text joined by line feeds, taken from its end so that the
// text gives its memory back as the lines grow: a long text is never held
// twice.
TStringList takeLines(QByteArray text)
{
    constexpr qsizetype returnEvery = 1 << 20;
    TStringList lines;
    if (text.isEmpty())
        return lines;
    qsizetype kept = text.size();
    for (qsizetype end = text.size();;) {
        const qsizetype start = end == 0 ? 0 : text.lastIndexOf('\n', end - 1) + 1;
        if (start == 0) { // the first line is what is left of the text
            text.truncate(end);
            lines.append(std::move(text));
            break;
        }
        lines.append(text.sliced(start, end - start));
        end = start - 1;
        text.truncate(end);
        if (kept - end > returnEvery) {
            text.squeeze();
            kept = end;
        }
    }
    std::reverse(lines.begin(), lines.end());
    return lines;
}

bool holdsUuencode(const QByteArray& text, TTextRange range)
{
    TTextLines lines(text, range);
    QByteArrayView line;
    while (lines.Next(line))
        if (IsUUBeginLine(line))
            return true;
    return false;
}

} // namespace

void FillPlainMessage(TmsCustomMessage& message, const QByteArray& text, TTextRange range)
{
    TStringList& body = message.Body();
    reserveLines(body, text, range);
    BodyLines out(body, {});
    TTextLines lines(text, range);
    QByteArrayView line;
    while (lines.Next(line)) {
        if (!IsUUBeginLine(line)) {
            out.Add(line);
            continue;
        }
        if (!body.isEmpty() && body.last().isEmpty())
            body.removeLast(); // the blank line that sets the file off
        message.SetEncoding(meUU);
        readUUFile(message, lines, line);
    }
    if (out.EightBit())
        message.SetCharSet(csUTF8);
}

void ReadBodyText(TmsCustomMessage& message, const QByteArray& text, const TMimePart& part, BodyPlace place)
{
    const TransferCoding coding = part.coding;
    TStringList decoded;
    bool encoded = coding == TransferCoding::Base64 || coding == TransferCoding::Uuencode;
    try {
        if (encoded)
            decoded.SetText(DecodePartData(text, part));
    } catch (const EInOutError&) {
        encoded = false; // text that is no base64 after all: shown as it stands
    }
    TStringList& body = message.Body();
    body.clear();
    if (place == BodyPlace::WholeMessage && !encoded && holdsUuencode(text, part.content))
        return FillPlainMessage(message, text, part.content);
    BodyLines out(body, part.charset);
    if (encoded) {
        body.reserve(decoded.size());
        for (QByteArray& line : decoded)
            out.Add(std::exchange(line, {}));
    } else if (coding == TransferCoding::QuotedPrintable) {
        reserveLines(body, text, part.content);
        TQPTextLines decoder([&out](QByteArrayView line) { out.Add(line); });
        TTextLines lines(text, part.content);
        for (QByteArrayView line; lines.Next(line);)
            decoder.Add(line);
        decoder.Finish();
    } else {
        reserveLines(body, text, part.content);
        TTextLines lines(text, part.content);
        for (QByteArrayView line; lines.Next(line);)
            out.Add(line);
    }
    // Inside a multipart the line break before the delimiter ends the last
    // line; the encoder writes one of its own there.
    if (place == BodyPlace::InMultipart && !encoded && !body.isEmpty() && body.last().isEmpty())
        body.removeLast();
    if (out.EightBit())
        message.SetCharSet(csUTF8);
    else if (coding == TransferCoding::QuotedPrintable)
        message.SetCharSet(csISO8859);
}

void ReadHtmlBody(TmsCustomMessage& message, const QByteArray& html, const QByteArray& charset)
{
    TStringList& body = message.Body();
    body = takeLines(HtmlToText(html, charset));
    for (const QByteArray& line : std::as_const(body))
        if (HasEightBit(line))
            return message.SetCharSet(csUTF8);
}
