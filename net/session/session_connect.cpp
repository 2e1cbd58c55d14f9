// The session's connection: name and port resolution, connect, close and
// cancel.
#include "net/session/session.h"

#include "net/session/socket_errors_p.h"

void TrkSocket::CheckServer()
{
    if (options.Server.isEmpty())
        RaiseSocketError(SocketError::ServerRequired);
}

void TrkSocket::Open()
{
    if (options.DialLink)
        options.DialLink->Dial();
    if (listeners.OnOpen)
        listeners.OnOpen(this);
    CheckServer();
    localHost = transport->LocalHostName();
    if (localHost.isEmpty())
        localHost = HostPart();
    ResolveHost();
    ResolvePort();
    opened = true;
}

// An IPv6 literal is bracketed when a port follows ("[::1]:25"); bare, its
// colons are all its own.
QString TrkSocket::HostPart() const
{
    const QString& server = options.Server;
    if (server.startsWith(QLatin1Char('[')))
        return server.mid(1).section(QLatin1Char(']'), 0, 0);
    if (server.count(QLatin1Char(':')) > 1)
        return server;
    return server.section(QLatin1Char(':'), 0, 0);
}

// A port outside 1..65535 counts as no port rather than being cut to 16 bits.
quint16 TrkSocket::PortPart() const
{
    const QString& server = options.Server;
    const bool bracketed = server.startsWith(QLatin1Char('['));
    if (!bracketed && server.count(QLatin1Char(':')) > 1)
        return 0;
    const qsizetype hostEnd = bracketed ? server.indexOf(QLatin1Char(']')) : 0;
    const qsizetype colon = hostEnd < 0 ? -1 : server.indexOf(QLatin1Char(':'), hostEnd);
    bool ok = false;
    const int number = colon < 0 ? 0 : server.mid(colon + 1).toInt(&ok);
    return ok && number > 0 && number <= 0xFFFF ? quint16(number) : 0;
}

// An address literal needs no look-up; a name is resolved to every address
// it has.
void TrkSocket::ResolveHost()
{
    const QString host = HostPart();
    if (host.toUtf8().size() > MaxHostName)
        RaiseSocketError(SocketError::HostNameTooLong);
    lookedUp = false;
    QHostAddress literal;
    if (literal.setAddress(host)) {
        addresses = {literal};
        return;
    }
    addresses.clear();
    hostResolved = false;
    lookupError = 0;
    lookupPending = true;
    transport->StartLookup(host);
    HostLookupWait();
    lookedUp = true;
    remoteAddress = addresses.first().toString();
}

// The service database not knowing the service is no error: the default
// port stands in.
void TrkSocket::ResolvePort()
{
    port = PortPart();
    if (port)
        return;
    if (options.ServiceName.isEmpty())
        RaiseSocketError(SocketError::ServiceRequired);
    if (options.ServiceName.size() > MaxServiceName)
        RaiseSocketError(SocketError::ServiceNameTooLong);
    if (canceled)
        RaiseCanceled();
    port = transport->ServicePort(options.ServiceName).value_or(options.DefaultPort);
}

// Each address has the time-out to itself, so one that never answers (an
// IPv6 route that drops packets) does not keep the next from being tried;
// how many are tried is bounded with the time-out. The error of the last
// one tried is the one raised, naming the server as the setting gave it.
void TrkSocket::ConnectSocket()
{
    if (canceled)
        RaiseCanceled();
    lastCommand.clear();
    quint16 error = SocketError::NotConnected;
    for (const QHostAddress& address : addresses.first(std::min(addresses.size(), MaxAddressesTried))) {
        error = ConnectTo(address);
        if (error)
            continue;
        if (lookedUp)
            remoteAddress = address.toString();
        break;
    }
    counter->Stop();
    if (error)
        RaiseSocketError(error, QStringLiteral("%1 (%2)").arg(SocketError::Text(error), PeerName()));
    if (options.Security == TmsSecurity::Tls)
        ShakeHands();
    if (listeners.OnConnect)
        listeners.OnConnect(this);
}

// "host:port", an IPv6 literal bracketed.
QString TrkSocket::PeerName() const
{
    const QString host = HostPart();
    const bool literalV6 = host.contains(QLatin1Char(':'));
    return (literalV6 ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(host).arg(port);
}

// 0 once connected, else the socket error of this address.
quint16 TrkSocket::ConnectTo(const QHostAddress& address)
{
    connectDone = false;
    connectError = 0;
    counter->ClearExpired();
    counter->Start();
    const quint16 error = transport->StartConnect(address, port);
    return error ? error : ConnectWait();
}

void TrkSocket::Close()
{
    if (opened) {
        if (listeners.OnClosing)
            listeners.OnClosing(this);
        EndTls();
        transport->Close();
        opened = false;
        if (listeners.OnClosed)
            listeners.OnClosed(this);
    }
    if (options.DialLink)
        options.DialLink->Abort();
}

void TrkSocket::Cancel()
{
    canceled = true;
    if (listeners.OnCancel)
        listeners.OnCancel(this);
    CancelLookup();
    Close();
}

void TrkSocket::CancelLookup()
{
    if (lookupPending)
        transport->CancelLookup();
    lookupPending = false;
}

// No events from a component being destroyed: its owner may be half gone.
void TrkSocket::CloseQuietly()
{
    CancelLookup();
    tls.reset();
    transport->Close();
    opened = false;
}
