// The session's connection: name and port resolution, connect, close and
// cancel.
#include "net/session/session.h"

#include "net/session/socket_errors_p.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace {

// The socket address of a resolved server: IPv4 unless an IPv6 literal gave
// its 16 bytes. Returns the address's length.
socklen_t SocketAddress(sockaddr_storage& storage, quint32 v4, const QByteArray& v6, quint16 networkPort)
{
    storage = {};
    if (v6.isEmpty()) {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_port = networkPort;
        address.sin_addr.s_addr = v4;
        return sizeof address;
    }
    auto& address = reinterpret_cast<sockaddr_in6&>(storage);
    address.sin6_family = AF_INET6;
    address.sin6_port = networkPort;
    std::memcpy(&address.sin6_addr, v6.constData(), sizeof address.sin6_addr);
    return sizeof address;
}

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

// An IPv6 literal is bracketed when a port follows ("[::1]:25"); bare, its
// colons are all its own.
QString TrkSocket::HostPart() const
{
    if (Server.startsWith(QLatin1Char('[')))
        return Server.mid(1).section(QLatin1Char(']'), 0, 0);
    if (Server.count(QLatin1Char(':')) > 1)
        return Server;
    return Server.section(QLatin1Char(':'), 0, 0);
}

// A port outside 1..65535 counts as no port rather than being cut to 16 bits.
quint16 TrkSocket::PortPart() const
{
    const bool bracketed = Server.startsWith(QLatin1Char('['));
    if (!bracketed && Server.count(QLatin1Char(':')) > 1)
        return 0;
    const qsizetype hostEnd = bracketed ? Server.indexOf(QLatin1Char(']')) : 0;
    const qsizetype colon = hostEnd < 0 ? -1 : Server.indexOf(QLatin1Char(':'), hostEnd);
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
    remoteAddr6.clear();
    const quint32 literal = winsock.InetAddr(host.constData());
    if (literal != INADDR_NONE) {
        remoteAddr = literal;
        return;
    }
    in6_addr v6{};
    if (winsock.InetPton(AF_INET6, host.constData(), &v6) == 1) {
        remoteAddr6 = QByteArray(reinterpret_cast<const char*>(&v6), sizeof v6);
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
    const TSocket s = winsock.Socket(remoteAddr6.isEmpty() ? AF_INET : AF_INET6, SOCK_STREAM, 0);
    if (s == NoSocket)
        RaiseLastError();
    socket = s;
}

void TrkSocket::ConnectSocket()
{
    if (canceled)
        RaiseCanceled();
    sockaddr_storage address;
    const socklen_t length = SocketAddress(address, remoteAddr, remoteAddr6, winsock.Htons(Port));
    if (winsock.WSAAsyncSelect(socket, window, WM_SOCKETEVENT, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) == -1)
        RaiseLastError();
    asyncHandle = 0;
    lastCommand.clear();
    counter->Start();
    if (winsock.Connect(socket, reinterpret_cast<const sockaddr*>(&address), int(length)) == -1) {
        const int error = winsock.WSAGetLastError();
        if (error != WSAEWOULDBLOCK)
            RaiseSocketError(quint16(error));
    }
    ConnectWait();
    if (Security == TmsSecurity::Tls)
        ShakeHands();
    if (OnConnect)
        OnConnect(this);
}

void TrkSocket::Close()
{
    if (socket != NoSocket) {
        if (OnClosing)
            OnClosing(this);
        EndTls();
        winsock.CloseSocket(socket);
        socket = NoSocket;
        if (OnClosed)
            OnClosed(this);
    }
    if (RAS)
        RAS->Abort();
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
    tls.reset();
    if (socket != NoSocket)
        winsock.CloseSocket(socket);
    socket = NoSocket;
}
