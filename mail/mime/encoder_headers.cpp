// The header blocks of mail and news. Every value goes out on 7-bit lines:
// texts that cannot are encoded words, and CR or LF never ends a field early.
#include "mail/mime/mime.h"

#include "mail/headers/encoded_words.h"
#include "mail/mime/mime_p.h"
#include "mail/headers/header_fields.h"
#include "mail/text/text_utils_p.h"

namespace {

const char* const reservedHeaders[] = {
    "From",    "To",           "CC",           "BCC",        "Return-Receipt-To",        "X-Priority",
    "Subject", "Mime-Version", "Content-Type", "X-Encoding", "Content-Transfer-Encoding"};

constexpr qsizetype labelWidth = 10;

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

void TmsCustomEncoder::WriteHeader(QByteArrayView label, const QByteArray& value)
{
    const QByteArray line = SingleLine(value);
    WriteLine(label.toByteArray() + (NeedsEncodedWords(line) ? EncodeWords(line, label.size()) : line));
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
    for (const QByteArray& stored : std::as_const(headers)) {
        const QByteArray line = SingleLine(stored);
        if (line.trimmed().isEmpty())
            continue; // an empty line would end the header block here
        if (!HasEightBit(line)) {
            WriteLine(line);
            continue;
        }
        // Raw 8-bit text from elsewhere: its value becomes encoded words.
        const bool continuation = IsContinuationLine(line);
        const qsizetype colon = continuation ? 0 : line.indexOf(':') + 1;
        const QByteArray label = continuation ? QByteArray(" ") : line.left(colon) + ' ';
        WriteLine(label + EncodeWords(line.mid(colon).trimmed(), label.size()));
    }
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
    WriteLine("From:     " + PhraseAddress(mail.Sender(), NameQuoting::WhereNeeded));
    writeAddressLines("To", mail.Recipients());
    writeAddressLines("CC", mail.CC());
    if (mail.ReturnReceipt())
        WriteLine("Return-Receipt-To: <" + SingleLine(mail.Sender().Address()) + '>');
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
        WriteLine(i + 1 < list.Count() ? line + ',' : line);
    }
}

void TmsArticleEncoder::WriteHeaders()
{
    WriteLine("From:     " + PhraseAddress(article.Sender(), NameQuoting::Never));
    WriteLine("Newsgroups: " + SingleLine(article.NewsGroups()));
    WriteCustomHeaders();
    WriteClosingHeaders();
}
