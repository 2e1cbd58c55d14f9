// The session's connection: flags set by the library's notifications, name
// and port resolution, connect, close, cancel, and the errors they raise.
#include "net/msmb.h"

#include "net/mssockerr.h"
#include "toolkit/Pump.h"

#include <netinet/in.h>

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

// No events from a component being destroyed: its owner may be half gone.
void TrkSocket::CloseQuietly()
{
    if (!winsock.IsLoaded())
        return;
    CancelLookup();
    if (socket != NoSocket)
        winsock.CloseSocket(socket);
    socket = NoSocket;
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

int TrkSocket::ReplyCode(const QByteArray& line)
{
    if (line.size() < 3)
        return -1;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

void TrkSocket::CheckServer()
{
    if (Server.isEmpty())
        RaiseSocketError(SocketError::ServerRequired);
}

void TrkSocket::Open()
{
    if (RAS)
        RAS->Dial();
    if (OnOpen)
        OnOpen(this);
    CheckServer();
    if (winsock.WSAStartup(0x0101, startupData) != 0)
        RaiseSocketError(SocketError::InvalidVersion);
    ++StartupCount;
    ResolveLocalHost();
    ResolveHost();
    ResolvePort();
    CreateSocket();
}

QString TrkSocket::HostPart() const
{
    return Server.section(QLatin1Char(':'), 0, 0);
}

// A port outside 1..65535 counts as no port rather than being cut to 16 bits.
quint16 TrkSocket::PortPart() const
{
    const int colon = int(Server.indexOf(QLatin1Char(':')));
    bool ok = false;
    const int port = colon < 0 ? 0 : Server.mid(colon + 1).toInt(&ok);
    return ok && port > 0 && port <= 0xFFFF ? quint16(port) : 0;
}

void TrkSocket::ResolveLocalHost()
{
    char name[512] = {};
    LocalHost = winsock.GetHostName(name, sizeof name - 1) == -1 ? HostPart() : QString::fromLocal8Bit(name);
}

void TrkSocket::ResolveHost()
{
    const QByteArray host = HostPart().toUtf8();
    if (host.size() > MaxHostName)
        RaiseSocketError(SocketError::HostNameTooLong);
    const quint32 literal = winsock.InetAddr(host.constData());
    if (literal != INADDR_NONE) {
        remoteAddr = literal;
        return;
    }
    std::fill(std::begin(lookupBuffer), std::end(lookupBuffer), 0);
    asyncHandle = winsock.WSAAsyncGetHostByName(window, WM_HOSTRESOLVED, host.constData(), lookupBuffer,
                                                sizeof lookupBuffer);
    if (!asyncHandle)
        RaiseLastError();
    HostLookupWait();
    const auto* b = reinterpret_cast<const quint8*>(lookupBuffer);
    RemoteAddress = QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
    remoteAddr = winsock.InetAddr(RemoteAddress.toLatin1().constData());
    if (remoteAddr == INADDR_NONE)
        RaiseSocketError(SocketError::ResolveFailed);
}

void TrkSocket::ResolvePort()
{
    Port = PortPart();
    if (Port)
        return;
    if (ServiceName.isEmpty())
        RaiseSocketError(SocketError::ServiceRequired);
    if (ServiceName.size() > MaxServiceName)
        RaiseSocketError(SocketError::ServiceNameTooLong);
    if (canceled)
        RaiseCanceled();
    std::fill(std::begin(lookupBuffer), std::end(lookupBuffer), 0);
    asyncHandle = winsock.WSAAsyncGetServByName(window, WM_SERVRESOLVED, ServiceName.constData(), "tcp",
                                                lookupBuffer, sizeof lookupBuffer);
    Port = DefaultPort;
    if (asyncHandle && ServiceLookupWait()) {
        quint16 network;
        std::memcpy(&network, lookupBuffer, sizeof network);
        Port = winsock.Htons(network);
    }
}

void TrkSocket::CreateSocket()
{
    const TSocket s = winsock.Socket(AF_INET, SOCK_STREAM, 0);
    if (s == NoSocket)
        RaiseLastError();
    socket = s;
}

void TrkSocket::ConnectSocket()
{
    if (canceled)
        RaiseCanceled();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = winsock.Htons(Port);
    address.sin_addr.s_addr = remoteAddr;
    if (winsock.WSAAsyncSelect(socket, window, WM_SOCKETEVENT, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) == -1)
        RaiseLastError();
    asyncHandle = 0;
    counter->Start();
    if (winsock.Connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == -1) {
        const int error = winsock.WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            RaiseSocketError(quint16(error));
    }
    ConnectWait();
    if (OnConnect)
        OnConnect(this);
}

void TrkSocket::Close()
{
    if (socket != NoSocket) {
        if (OnClosing)
            OnClosing(this);
        winsock.CloseSocket(socket);
        socket = NoSocket;
        if (OnClosed)
            OnClosed(this);
    }
    if (RAS)
        RAS->HangUp();
}

void TrkSocket::Cancel()
{
    canceled = true;
    if (OnCancel)
        OnCancel(this);
    CancelLookup();
    Close();
}

void TrkSocket::CancelLookup()
{
    if (asyncHandle)
        winsock.WSACancelAsyncRequest(asyncHandle);
    asyncHandle = 0;
}

void TrkSocket::RaiseLastError()
{
    RaiseSocketError(quint16(winsock.WSAGetLastError()));
}

void TrkSocket::RaiseSocketError(quint16 code)
{
    if (!code)
        return;
    counter->Stop();
    QString message = SocketError::Text(code);
    if (OnError)
        OnError(this, message);
    // After these the byte stream is lost or gone: the connection cannot go on.
    if (code == SocketError::ConnectionReset || code == SocketError::ReplyLineTooLong
        || code == SocketError::ClosedInData)
        Close();
    throw ESocketError(message, code);
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
