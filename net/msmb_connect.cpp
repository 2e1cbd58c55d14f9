// The session's connection: name and port resolution, connect, close and
// cancel.
#include "net/msmb.h"

#include "net/msmb_socketerrors_p.h"

#include <algorithm>
#include <cstring>
#include <netinet/in.h>

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
