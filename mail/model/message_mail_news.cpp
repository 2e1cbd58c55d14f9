// Mail messages and news articles: their own fields over the common message.
#include "mail/model/message.h"

#include "mail/headers/header_fields.h"
#include "mail/model/stored_properties_p.h"

namespace {

bool hasAddress(const TmsAddressList& list)
{
    for (qsizetype i = 0; i < list.Count(); ++i)
        if (!list.Items(i).Address().isEmpty())
            return true;
    return false;
}

// "1" is high and "5" low, also when a comment follows as in "1 (Highest)".
TPriority priorityOf(const QByteArray& value)
{
    qsizetype end = 0;
    while (end < value.size() && uchar(value[end]) > 32 && value[end] != '(')
        ++end;
    const QByteArray level = value.left(end);
    return level == "1" ? ptHigh : level == "5" ? ptLow : ptNormal;
}

void readSubject(const TmsHeaders& headers, TmsCustomMessage& message)
{
    const QByteArray subject = GetHeaderField(headers, "Subject");
    if (!subject.isEmpty())
        message.SetSubject(subject);
}

} // namespace

TmsMessage::TmsMessage(QObject* owner) : TmsCustomMessage(owner) {}

void TmsMessage::CheckRequired() const
{
    TmsCustomMessage::CheckRequired();
    if (!hasAddress(recipients) && !hasAddress(cc) && !hasAddress(bcc))
        throw EMessageError(QStringLiteral("At least one Recipient, CC or BCC must be entered"));
}

void TmsMessage::Clear()
{
    TmsCustomMessage::Clear();
    cc.Clear();
    bcc.Clear();
    recipients.Clear();
}

void TmsMessage::ReadHeaders(const TmsHeaders& lines)
{
    ParseMailAddress(RawHeaderField(lines, "FROM"), Sender());
    GetHeaderAddresses(lines, "TO", recipients);
    GetHeaderAddresses(lines, "CC", cc);
    readSubject(lines, *this);
    priority = priorityOf(GetHeaderField(lines, "X-Priority"));
    if (!GetHeaderField(lines, "Return-receipt-to").isEmpty())
        returnReceipt = true;
    SetHeaders(lines);
}

void TmsMessage::Assign(const TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TmsMessage*>(&source); other && other != this) {
        recipients.Assign(other->recipients);
        cc.Assign(other->cc);
        bcc.Assign(other->bcc);
        priority = other->priority;
        returnReceipt = other->returnReceipt;
    }
    TmsCustomMessage::Assign(source);
}

void TmsMessage::DefineProperties(TFiler& filer)
{
    TmsCustomMessage::DefineProperties(filer);
    filer.DefineObject(QStringLiteral("Recipients"), recipients);
    filer.DefineObject(QStringLiteral("CC"), cc);
    filer.DefineObject(QStringLiteral("BCC"), bcc);
    DefineNumber(
        filer, QStringLiteral("ReturnReceipt"), [this] { return int(returnReceipt); },
        [this](int v) { returnReceipt = v != 0; }, 1, 0);
    DefineNumber(
        filer, QStringLiteral("Priority"), [this] { return int(priority); }, [this](int v) { priority = TPriority(v); },
        ptHigh, ptNormal);
}

void TmsArticle::CheckRequired() const
{
    TmsCustomMessage::CheckRequired();
    if (newsGroups.isEmpty())
        throw EMessageError(QStringLiteral("Newsgroup header is required"));
    if (Subject().isEmpty())
        throw EMessageError(QStringLiteral("Subject header is required"));
}

void TmsArticle::Clear()
{
    newsGroups.clear();
    TmsCustomMessage::Clear();
}

void TmsArticle::ReadHeaders(const TmsHeaders& lines)
{
    ParseMailAddress(RawHeaderField(lines, "FROM"), Sender());
    path = GetHeaderField(lines, "PATH");
    newsGroups = GetHeaderField(lines, "NEWSGROUPS");
    messageID = GetHeaderField(lines, "MESSAGE-ID");
    readSubject(lines, *this);
    SetHeaders(lines);
}

void TmsArticle::Assign(const TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TmsArticle*>(&source))
        newsGroups = other->newsGroups;
    TmsCustomMessage::Assign(source);
}

void TmsArticle::DefineProperties(TFiler& filer)
{
    TmsCustomMessage::DefineProperties(filer);
    DefineText(
        filer, QStringLiteral("NewsGroups"), [this] { return newsGroups; },
        [this](const QByteArray& v) { newsGroups = v; });
}
