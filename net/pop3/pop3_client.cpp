// The POP3 protocol: STLS, APOP or USER/PASS, mailbox status, the unique ids, one
// message's retrieval and deletion, logout. Every reply's status is one
// line; only "+" accepts.
#include "net/pop3/pop3_client.h"

#include "net/pop3/seen_ids.h"
#include "net/session/clients_p.h"
#include "net/session/socket_errors_p.h"
#include "toolkit/Streams.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

int DecimalOf(const QByteArray& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(text)));
    return value;
}

QByteArray Number(int index)
{
    return QByteArray::number(index + 1);
}

// A bound on what a STAT reply may announce: every loop over the mailbox and
// every list of its ids follow the count, and a hostile server gives any.
constexpr int MaxMessages = 100000;

// Room for MaxMessages lines of a number and a long id, and more.
constexpr qsizetype MaxListingBytes = 16 * 1024 * 1024;

// Two messages under one id cannot be told apart: neither keeps it, so both
// are fetched rather than the later one never.
void ForgetSharedIds(QHash<int, QByteArray>& ids)
{
    QHash<QByteArray, int> uses;
    for (const QByteArray& id : std::as_const(ids))
        ++uses[id];
    ids.removeIf([&](const auto& entry) { return uses.value(entry.value()) > 1; });
}

// The "<...@...>" a greeting ends with when the server takes APOP; empty when none.
QByteArray ApopTimestamp(const QByteArray& greeting)
{
    const qsizetype start = greeting.indexOf('<');
    const qsizetype end = greeting.indexOf('>', start);
    const QByteArray timestamp = start < 0 || end < 0 ? QByteArray() : greeting.mid(start, end - start + 1);
    return timestamp.contains('@') ? timestamp : QByteArray();
}

constexpr TSecurityPort securityPorts[] = {
    {TmsSecurity::None, "pop3", 110},
    {TmsSecurity::StartTls, "pop3", 110},
    {TmsSecurity::Tls, "pop3s", 995},
};

} // namespace

TmsCustomPOP::TmsCustomPOP(QObject* owner) : TmsMailBase(owner)
{
    SetOptions(PlainOptions(securityPorts));
}

int TmsCustomPOP::ReplyCode(const QByteArray& line)
{
    if (line.startsWith('+'))
        return 1;
    return line.startsWith('-') ? -1 : 0;
}

void TmsCustomPOP::CheckReply()
{
    if (ReadReplyLine() != 1)
        RaiseServerError();
}

void TmsCustomPOP::Command(const QByteArray& line)
{
    SendLine(line);
    CheckReply();
}

void TmsCustomPOP::CheckProperties()
{
    if (UserName.isEmpty())
        RaiseSocketError(SocketError::UserNameRequired);
    if (Password.isEmpty())
        RaiseSocketError(SocketError::PasswordRequired);
}

void TmsCustomPOP::Open()
{
    CheckProperties();
    Reset();
    SetOptions(FollowSecurityPort(Options(), securityPorts));
    TmsMailBase::Open();
}

// A refused STLS ends the session: the login never goes out in plain text
// when the setting asks for TLS. With implicit TLS the session has shaken
// hands before the greeting. A greeting with a timestamp offers APOP, which
// keeps the password off the wire; USER and PASS when it is refused.
void TmsCustomPOP::OpenSession()
{
    Reset();
    ConnectOrClose();
    CheckGreeting();
    const QByteArray timestamp = ApopTimestamp(LastReply());
    if (Options().Security == TmsSecurity::StartTls)
        UpgradeToTls();
    if (timestamp.isEmpty())
        CheckPlainLogin(UserName, "APOP");
    else
        NoteChallengeOffered(UserName, "APOP");
    if (timestamp.isEmpty() || !LoggedInWithApop(timestamp)) {
        Command("USER " + UserName.toUtf8());
        SendSecretLine("PASS ", Password.toUtf8());
        CheckReply();
    }
    GetStatus();
}

// A server of another kind (SMTP, FTP) greets with a three-digit code; it
// is sent nothing more, not even QUIT.
void TmsCustomPOP::CheckGreeting()
{
    if (ReadReplyLine() == 1)
        return;
    if (TrkSocket::ReplyCode(LastReply()) >= 0) {
        Close();
        throw EServerError(QStringLiteral("The server did not answer as a POP3 server (it greeted: %1): check the "
                                          "server and port of the setting")
                               .arg(QString::fromUtf8(LastReply())));
    }
    RaiseServerError();
}

void TmsCustomPOP::UpgradeToTls()
{
    SendLine("STLS");
    if (ReadReplyLine() != 1)
        throw EServerError(
            QStringLiteral("The server refused STLS, which the security setting requires (it replied: %1)")
                .arg(QString::fromUtf8(LastReply())));
    StartTls();
}

bool TmsCustomPOP::LoggedInWithApop(const QByteArray& timestamp)
{
    const QByteArray user = UserName.toUtf8();
    const QByteArray digest = QCryptographicHash::hash(timestamp + Password.toUtf8(), QCryptographicHash::Md5).toHex();
    SendSecretLine("APOP " + user + ' ', digest);
    return ReadReplyLine() == 1;
}

void TmsCustomPOP::CloseSession()
{
    Command("QUIT");
}

// "+OK count size": a reply without a space after the status word keeps the
// values of the last one.
void TmsCustomPOP::GetStatus()
{
    Command("STAT");
    QByteArray rest = LastReply().mid(4);
    const qsizetype space = rest.indexOf(' ');
    if (space < 0)
        return;
    const int count = DecimalOf(rest.left(space));
    if (count < 0 || count > MaxMessages)
        throw EServerError(
            QStringLiteral("The server's STAT reply announces %1 messages; a mailbox of 0 to %2 messages "
                           "can be fetched: remove mail on the server and try again")
                .arg(count)
                .arg(MaxMessages));
    MessageCount = count;
    rest.remove(0, space + 1);
    const qsizetype end = rest.indexOf(' ');
    MailboxSize = DecimalOf(end < 0 ? rest : rest.left(end));
}

// "+OK", then "number id" lines up to ".": one a message at most, so the
// count STAT announced bounds the listing.
QHash<int, QByteArray> TmsCustomPOP::UniqueIds()
{
    Command("UIDL");
    QHash<int, QByteArray> ids;
    QByteArray line;
    qsizetype bytes = 0;
    for (int lines = 0; ReadLine(line), line != "."; ++lines) {
        bytes += line.size();
        if (lines >= qMax(MessageCount, 0) || bytes > MaxListingBytes) {
            Close(); // the rest of the listing would be read as the next reply
            throw EServerError(QStringLiteral("The server's unique id listing (UIDL) runs past the %1 messages it "
                                              "announced; the server is failing: try again later")
                                   .arg(qMax(MessageCount, 0)));
        }
        const qsizetype space = line.indexOf(' ');
        bool ok = false;
        const int number = line.left(space).toInt(&ok);
        const QByteArray id = line.mid(space + 1).trimmed();
        if (ok && space > 0 && number >= 1 && number <= MessageCount && IsUniqueId(id))
            ids.insert(number - 1, id);
    }
    ForgetSharedIds(ids);
    return ids;
}

void TmsCustomPOP::RetrieveMessage(int index)
{
    Command("LIST " + Number(index));
    const QByteArray rest = LastReply().mid(4);
    const qsizetype space = rest.indexOf(' ');
    const int expected = rest.mid(space + 1).toInt(); // 0 when it is no number
    if (OnRetrieving)
        OnRetrieving(this, index);
    {
        TMemoryStream memory;
        TStream* given = ReceivingStream();
        TStream& stream = given ? *given : memory;
        Command("RETR " + Number(index));
        ReceiveStream(stream, expected);
        stream.SetPosition(0);
        MessageReceived(index, stream);
    }
    if (OnRetrieved)
        OnRetrieved(this, index);
}

void TmsCustomPOP::DeleteMessage(int index)
{
    if (OnDeleting)
        OnDeleting(this, index);
    Command("DELE " + Number(index));
}
