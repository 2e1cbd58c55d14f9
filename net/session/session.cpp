// The session object: its hidden notification target, the flags the
// library's notifications set, the errors it raises, and the Connect and
// Disconnect pair of the mail clients.
#include "net/session/session.h"

#include "net/session/socket_errors_p.h"

class TrkSocket::TNotifyWindow : public QObject {
public:
    explicit TNotifyWindow(TrkSocket* owner) : QObject(owner), socket(owner) {}

    bool event(QEvent* e) override
    {
        for (uint msg : {WM_HOSTRESOLVED, WM_SERVRESOLVED, WM_SOCKETEVENT})
            if (e->type() == TWinsockMessage::Type(msg)) {
                socket->WndProc(msg, static_cast<TWinsockMessage*>(e)->LParam);
                return true;
            }
        return QObject::event(e);
    }

private:
    TrkSocket* socket;
};

TrkSocket::TrkSocket(QObject* owner)
    : QObject(owner), winsock(TrkWinsock::Instance()), window(new TNotifyWindow(this)),
      counter(new TTimeCounter(this))
{
    SetWinsockLoaded(false);
}

TrkSocket::~TrkSocket()
{
    try {
        CloseQuietly();
        for (; StartupCount > 0 && winsock.IsLoaded(); --StartupCount)
            winsock.WSACleanup();
    } catch (const Exception&) {
        // a library without the function: nothing more can be released
    }
}

bool TrkSocket::WinsockLoaded() const
{
    return winsock.IsLoaded();
}

void TrkSocket::SetWinsockLoaded(bool loaded)
{
    if (!loaded)
        winsock.Unload();
    else if (!winsock.IsLoaded())
        winsock.Load();
}

void TrkSocket::WndProc(uint msg, quint32 lParam)
{
    asyncErrorCode = WSAGetSelectError(lParam);
    asyncError = asyncErrorCode != 0;
    if (msg == WM_HOSTRESOLVED)
        hostResolved = true;
    else if (msg == WM_SERVRESOLVED)
        serviceResolved = true;
    if (msg != WM_SOCKETEVENT || asyncError)
        return;
    switch (WSAGetSelectEvent(lParam)) {
    case FD_READ: readable = true; break;
    case FD_WRITE: writable = true; break;
    case FD_CONNECT: connectDone = true; break;
    case FD_CLOSE: closed = true; break;
    default: break;
    }
}

void TrkSocket::Reset()
{
    canceled = false;
    counter->ClearExpired();
    asyncHandle = 0;
    asyncError = false;
    hostResolved = serviceResolved = connectDone = readable = writable = closed = false;
}

void TrkSocket::RaiseLastError()
{
    RaiseSocketError(quint16(winsock.WSAGetLastError()));
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
    if (OnError)
        OnError(this, message);
    // After these the byte stream is lost or gone: the connection cannot go on.
    if (code == SocketError::ConnectionReset || code == SocketError::ReplyLineTooLong
        || code == SocketError::ClosedInData || code == SocketError::ClosedInReply
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
    if (OnError)
        OnError(this, message);
    CancelLookup();
    if (winsock.WSAIsBlocking())
        winsock.WSACancelBlockingCall();
    Close();
    throw ETimedOutError();
}

void TrkSocket::RaiseCanceled()
{
    counter->Stop();
    QString message = ECanceledError::Text();
    if (OnError)
        OnError(this, message);
    throw ECanceledError();
}

TmsMailBase::TmsMailBase(QObject* owner) : TrkSocket(owner)
{
    SetWinsockLoaded(true);   // as the components are stored: the library on
}

void TmsMailBase::Connect()
{
    if (Connected())
        return;
    Open();
    Login();
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

// The socket goes even when the logout fails: a session in an unknown state
// must not be taken up again by the next Connect.
void TmsMailBase::Disconnect()
{
    if (!Connected())
        return;
    try {
        Logout();
    } catch (const Exception&) {
        Close();
        throw;
    }
    Close();
}

void TmsMailBase::RaiseServerError()
{
    if (LastReply.isEmpty())
        throw EServerError(QStringLiteral("Empty reply from the server during %1").arg(CurrentStep()));
    throw EServerError(QString::fromUtf8(LastReply));
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
