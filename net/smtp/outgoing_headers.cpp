#include "net/smtp/outgoing_headers.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTimeZone>

namespace {

// A thread of thousands of answers keeps its last ids: enough for any
// reader to place the answer, and the field stays short.
constexpr qsizetype MaxReferences = 20;

QList<QByteArray> MessageIds(const QByteArray& field)
{
    static const QRegularExpression id(QStringLiteral("<[^<>\\s]+@[^<>\\s]+>"));
    QList<QByteArray> ids;
    for (const QRegularExpressionMatch& match : id.globalMatch(QString::fromLatin1(field)))
        ids.append(match.captured().toLatin1());
    return ids;
}

} // namespace

QByteArray DateFieldValue(const QDateTime& when)
{
    const int offsetMinutes = when.offsetFromUtc() / 60;
    const int absolute = std::abs(offsetMinutes);
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(absolute / 60, 2, 10, QLatin1Char('0'))
                             .arg(absolute % 60, 2, 10, QLatin1Char('0'));
    return (QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")) + zone).toLatin1();
}

QByteArray NewMessageId(const QByteArray& senderAddress)
{
    const qsizetype at = senderAddress.lastIndexOf('@');
    QByteArray domain = at < 0 ? QByteArray() : senderAddress.mid(at + 1).trimmed();
    if (domain.isEmpty() || domain.contains('>') || domain.contains(' '))
        domain = QSysInfo::machineHostName().toLatin1();
    if (domain.isEmpty()) // an id must have a right-hand side to be one
        domain = "localhost";
    quint64 random[2];
    QRandomGenerator::system()->fillRange(random);
    const QByteArray local = QByteArray(reinterpret_cast<const char*>(random), sizeof random).toHex();
    return '<' + local + '@' + domain + '>';
}

TmsReplyIds ReplyIdsOf(const TmsHeaders& original)
{
    const QList<QByteArray> own = MessageIds(GetHeaderField(original, "Message-ID"));
    if (own.isEmpty())
        return {};
    QList<QByteArray> thread = MessageIds(RawHeaderField(original, "References"));
    if (thread.isEmpty()) // an older program's answer names its original here alone
        thread = MessageIds(GetHeaderField(original, "In-Reply-To")).mid(0, 1);
    thread.append(own.first());
    if (thread.size() > MaxReferences)
        thread = thread.mid(thread.size() - MaxReferences);
    return {own.first(), thread.join(' ')};
}
