// The header blocks of mail and news. Every value goes out on 7-bit lines:
// texts that cannot are encoded words, CR or LF never ends a field early, and
// no line passes the 998 characters that readers may refuse beyond.
#include "mail/mime/mime.h"

#include "mail/headers/encoded_words.h"
#include "mail/text/charsets_p.h"
#include "mail/mime/mime_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

#include <algorithm>

namespace {

const char* const reservedHeaders[] = {"From",       "To",      "CC",           "BCC",       "Return-Receipt-To",
                                       "X-Priority", "Subject", "Mime-Version", "X-Encoding"};

// The content fields (type, coding, disposition, id, ...) describe the
// structure the encoder writes itself: a copy of those the message came with
// would describe it twice, or wrongly.
bool isContentField(QByteArrayView line)
{
    return line.size() >= 8 && qstrnicmp(line.data(), 8, "Content-", 8) == 0;
}

// Fields whose value is a list of addresses, beside those written from the
// message's own: in them only the names may become encoded words.
const char* const addressFields[] = {"Reply-To",         "Sender",        "Resent-From", "Resent-Sender",
                                     "Resent-To",        "Resent-Cc",     "Resent-Bcc",  "Resent-Reply-To",
                                     "Mail-Followup-To", "Mail-Reply-To", "Errors-To",   "Disposition-Notification-To"};

bool isAddressField(QByteArrayView name)
{
    return std::any_of(std::begin(addressFields), std::end(addressFields),
                       [name](const char* field) { return name.compare(field, Qt::CaseInsensitive) == 0; });
}

constexpr qsizetype labelWidth = 10;

// The longest line a header may have (RFC 5322), CR LF not counted.
constexpr qsizetype maxHeaderLine = 998;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where a line too long for a header is folded: before its last blank in
// reach that follows text, or else at the limit.
qsizetype foldPoint(QByteArrayView line)
{
    for (qsizetype at = maxHeaderLine; at > 1; --at)
        if (isBlank(line[at]) && !isBlank(line[at - 1]))
            return at;
    return maxHeaderLine;
}

// The line as header lines of at most the limit. A fold at a blank is undone
// by readers exactly; a line without one is broken with a blank added, which
// changes the value less than a reader refusing or cutting the line.
QByteArrayList foldedLines(QByteArrayView line)
{
    QByteArrayList lines;
    QByteArray rest = line.toByteArray();
    while (rest.size() > maxHeaderLine) { // each round takes at least one character
        const qsizetype at = foldPoint(rest);
        lines.append(rest.first(at));
        rest = isBlank(rest[at]) ? rest.sliced(at) : ' ' + rest.sliced(at);
    }
    lines.append(rest);
    return lines;
}

// Specials or quotes that would split or misread an address if the name
// were bare.
bool needsQuotes(const QByteArray& name)
{
    for (char c : name)
        if (QByteArrayView(".,;:<>@()[]\\\"").contains(c))
            return true;
    return false;
}

} // namespace

QByteArray SingleLine(QByteArrayView value)
{
    QByteArray line = value.toByteArray();
    line.replace('\r', ' ').replace('\n', ' ');
    return line;
}

void TmsCustomEncoder::WriteHeaderLine(QByteArrayView text)
{
    for (qsizetype start = 0; start <= text.size();) {
        const qsizetype end = text.indexOf("\r\n", start);
        const QByteArrayView line = text.sliced(start, (end < 0 ? text.size() : end) - start);
        for (const QByteArray& folded : foldedLines(line))
            WriteLine(folded);
        start = end < 0 ? text.size() + 1 : end + 2;
    }
}

void TmsCustomEncoder::WriteHeader(QByteArrayView label, const QByteArray& value)
{
    const QByteArray line = SingleLine(value);
    WriteHeaderLine(label.toByteArray() + (NeedsEncodedWords(line) ? EncodeWords(line, label.size()) : line));
}

QByteArray TmsCustomEncoder::PhraseAddress(const TmsMailAddress& address, NameQuoting quoting) const
{
    QByteArray name = SingleLine(address.Name());
    if (NeedsEncodedWords(name))
        name = EncodeWords(name, labelWidth);
    else if (quoting == NameQuoting::WhereNeeded && needsQuotes(name))
        name = QuotedString(name);
    return name + " <" + SingleLine(address.Address()) + '>';
}

void TmsCustomEncoder::WriteCustomHeaders()
{
    TmsHeaders headers = message.Headers();
    for (const char* name : reservedHeaders)
        RemoveHeaderField(headers, name);
    TmsHeaders field;
    for (const QByteArray& stored : std::as_const(headers)) {
        const QByteArray line = SingleLine(stored);
        if (line.trimmed().isEmpty())
            continue; // an empty line would end the header block here
        if (!IsContinuationLine(line) && !field.isEmpty())
            writeCustomField(std::exchange(field, {}));
        field.append(line);
    }
    if (!field.isEmpty())
        writeCustomField(field);
}

// Raw 8-bit text from elsewhere becomes encoded words, read as the decoder
// reads it (UTF-8, else windows-1252); in a list of addresses only the
// names do, so the addresses stay readable.
void TmsCustomEncoder::writeCustomField(const TmsHeaders& lines)
{
    const QByteArray& first = lines.first();
    if (isContentField(first))
        return;
    if (std::none_of(lines.begin(), lines.end(), [](const QByteArray& line) { return HasEightBit(line); })) {
        for (const QByteArray& line : lines)
            WriteHeaderLine(line);
        return;
    }
    const qsizetype colon = IsContinuationLine(first) ? -1 : first.indexOf(':');
    const QByteArray label = colon < 0 ? QByteArray(" ") : first.left(colon + 1) + ' ';
    QByteArray value = Trim(QByteArrayView(first).sliced(colon + 1));
    for (qsizetype i = 1; i < lines.size(); ++i)
        value += ' ' + Trim(lines.at(i));
    const bool addresses = colon >= 0 && isAddressField(TrimmedView(QByteArrayView(first).first(colon)));
    const QByteArray list = addresses ? addressListText(value) : QByteArray();
    WriteHeaderLine(label + (list.isEmpty() ? EncodeWords(ToUtf8(value, {}), label.size()) : list));
}

QByteArray TmsCustomEncoder::addressListText(const QByteArray& value) const
{
    TmsAddressList list;
    ParseAddressList(value, list);
    QByteArrayList phrases;
    for (qsizetype i = 0; i < list.Count(); ++i) {
        if (HasEightBit(list.Items(i).Address()))
            return {}; // an address no reader could take: the value as text
        phrases.append(Trim(PhraseAddress(list.Items(i), NameQuoting::WhereNeeded)));
    }
    return phrases.join(", ");
}

void TmsCustomEncoder::WriteClosingHeaders()
{
    if (!message.Subject().isEmpty())
        WriteHeader("Subject:  ", message.Subject());
    if (message.Encoding() == meMIME)
        WriteLine("Mime-Version: 1.0");
}

void TmsMessageEncoder::WriteHeaders()
{
    WriteHeaderLine("From:     " + PhraseAddress(mail.Sender(), NameQuoting::WhereNeeded));
    writeAddressLines("To", mail.Recipients());
    writeAddressLines("CC", mail.CC());
    if (mail.ReturnReceipt())
        WriteHeaderLine("Return-Receipt-To: <" + SingleLine(mail.Sender().Address()) + '>');
    if (mail.Priority() == ptLow)
        WriteLine("X-Priority: 5");
    else if (mail.Priority() == ptHigh)
        WriteLine("X-Priority: 1");
    WriteCustomHeaders();
    WriteClosingHeaders();
}

// One address a line, the list folded under its label.
void TmsMessageEncoder::writeAddressLines(QByteArray label, const TmsAddressList& list)
{
    if (!label.endsWith(':'))
        label += ':';
    label = label.leftJustified(labelWidth, ' ');
    for (qsizetype i = 0; i < list.Count(); ++i) {
        const QByteArray indent = i == 0 ? label : QByteArray(labelWidth, ' ');
        const QByteArray line = indent + PhraseAddress(list.Items(i), NameQuoting::WhereNeeded);
        WriteHeaderLine(i + 1 < list.Count() ? line + ',' : line);
    }
}

void TmsArticleEncoder::WriteHeaders()
{
    WriteHeaderLine("From:     " + PhraseAddress(article.Sender(), NameQuoting::Never));
    WriteHeaderLine("Newsgroups: " + SingleLine(article.NewsGroups()));
    WriteCustomHeaders();
    WriteClosingHeaders();
}
