// The session object: the flags its transport's events set, the errors it
// raises, and the Connect and Disconnect pair of the mail clients.
#include "net/session/session.h"

#include "net/session/challenge_logins.h"
#include "net/session/socket_errors_p.h"
#include "net/transport/posix_transport.h"

TrkSocket::TrkSocket(QObject* owner) : TrkSocket(std::make_unique<TrkPosixTransport>(), owner) {}

TrkSocket::TrkSocket(std::unique_ptr<TrkTransport> transport, QObject* owner)
    : QObject(owner), transport(std::move(transport)), counter(new TTimeCounter(this))
{
    counter->SetTimeOut(options.TimeOut);
    WatchTransport();
}

TrkSocket::~TrkSocket()
{
    CloseQuietly();
}

void TrkSocket::SetOptions(const TrkSessionOptions& options)
{
    this->options = options;
    counter->SetTimeOut(options.TimeOut);
}

// Each event only sets what the waits look at; the waits act on it.
void TrkSocket::WatchTransport()
{
    transport->SetEvents({
        .LookedUp =
            [this](const QList<QHostAddress>& found, quint16 error) {
                lookupPending = false;
                hostResolved = true;
                addresses = found;
                lookupError = error;
            },
        .Connected =
            [this](quint16 error) {
                connectDone = true;
                connectError = error;
            },
        .Readable = [this] { readable = true; },
        .Writable = [this] { writable = true; },
        .Ended =
            [this](quint16 error) {
                if (error)
                    streamError = error;
                else
                    closed = true;
            },
    });
}

void TrkSocket::Reset()
{
    canceled = false;
    counter->ClearExpired();
    lookupPending = false;
    lookupError = connectError = streamError = 0;
    hostResolved = connectDone = readable = writable = closed = false;
}

void TrkSocket::RaiseSocketError(quint16 code)
{
    if (code)
        RaiseSocketError(code, SocketError::Text(code));
}

void TrkSocket::RaiseSocketError(quint16 code, const QString& text)
{
    counter->Stop();
    QString message = text;
    if (listeners.OnError)
        listeners.OnError(this, message);
    // After these the byte stream is lost or gone: the connection cannot go on.
    if (code == SocketError::ConnectionReset || code == SocketError::ReplyLineTooLong
        || code == SocketError::ReplyTooLong || code == SocketError::ClosedInData || code == SocketError::ClosedInReply
        || code == SocketError::TlsHandshakeFailed || code == SocketError::TlsFailed)
        Close();
    throw ESocketError(message, code);
}

void TrkSocket::RaiseClosedByServer()
{
    RaiseSocketError(SocketError::ClosedInReply, SocketError::Text(SocketError::ClosedInReply).arg(CurrentStep()));
}

QString TrkSocket::StepName(const QByteArray& command) const
{
    if (command.isEmpty())
        return QStringLiteral("the greeting");
    return QString::fromUtf8(command).section(QLatin1Char(' '), 0, 0);
}

void TrkSocket::RaiseTimedOut()
{
    counter->Stop();
    QString message = ETimedOutError::Text();
    if (listeners.OnError)
        listeners.OnError(this, message);
    CancelLookup();
    Close();
    throw ETimedOutError();
}

void TrkSocket::RaiseCanceled()
{
    counter->Stop();
    QString message = ECanceledError::Text();
    if (listeners.OnError)
        listeners.OnError(this, message);
    throw ECanceledError();
}

TmsMailBase::TmsMailBase(QObject* owner) : TrkSocket(owner) {}

void TmsMailBase::Connect()
{
    if (Connected())
        return;
    Open();
    OpenSession();
}

void TmsMailBase::ConnectOrClose()
{
    try {
        ConnectSocket();
    } catch (const Exception&) {
        Close();
        throw;
    }
}

// The socket goes even when the goodbye fails: a session in an unknown state
// must not be taken up again by the next Connect.
void TmsMailBase::Disconnect()
{
    if (!Connected())
        return;
    try {
        CloseSession();
    } catch (const Exception&) {
        Close();
        throw;
    }
    Close();
}

void TmsMailBase::RaiseServerError()
{
    if (LastReply().isEmpty())
        throw EServerError(QStringLiteral("Empty reply from the server during %1").arg(CurrentStep()));
    throw EServerError(QString::fromUtf8(LastReply()));
}

void TmsMailBase::NoteChallengeOffered(const QString& login, const char* mechanism)
{
    TChallengeLogins(ChallengeLoginsFile, Options().Server, login, mechanism).Remember();
}

// Over TLS the password is safe whatever the mechanism.
void TmsMailBase::CheckPlainLogin(const QString& login, const char* mechanism)
{
    TChallengeLogins account(ChallengeLoginsFile, Options().Server, login, mechanism);
    if (Secure() || !account.OfferedBefore())
        return;
    const QString warning =
        QStringLiteral(
            "The server %1 offered a log-in that keeps the password off the network (%2) before, and no "
            "longer does: logging in now would send the password unencrypted.")
            .arg(Options().Server, QLatin1String(mechanism));
    if (OnChallengeWithdrawn && !OnChallengeWithdrawn(this, warning))
        throw EServerError(warning
                           + QStringLiteral(" The log-in was not sent; choose STARTTLS or TLS in the "
                                            "settings if the server offers them."));
    account.Forget();
}

// A goodbye that finds the connection gone says less than the error that
// ended the work (a server that replied 421 and hung up).
void TmsMailBase::RunSession(const std::function<void()>& work,
                             const std::function<void(const Exception&)>& goodbyeFailed)
{
    try {
        Connect();
        work();
    } catch (const Exception&) {
        try {
            Disconnect();
        } catch (const ESocketError&) {
            // the error under way stands
        }
        throw;
    }
    try {
        Disconnect();
    } catch (const Exception& e) {
        if (!goodbyeFailed)
            throw;
        goodbyeFailed(e);
    }
}
