// Readiness is level-triggered underneath and one-shot above: a notifier is
// switched off when it fires and on again by the next Receive (or a Send that
// found no room), so a wait wakes once per chance to make progress.
#include "net/transport/posix_transport.h"

#include "net/transport/posix_errors.h"

#include <QHostInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

socklen_t SocketAddress(sockaddr_storage& storage, const QHostAddress& address, quint16 port)
{
    storage = {};
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto& v4 = reinterpret_cast<sockaddr_in&>(storage);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        v4.sin_addr.s_addr = htonl(address.toIPv4Address());
        return sizeof v4;
    }
    auto& v6 = reinterpret_cast<sockaddr_in6&>(storage);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6.sin6_addr, bytes.c, sizeof v6.sin6_addr);
    return sizeof v6;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

TrkTransfer Failed(int systemError)
{
    return {TrkTransfer::TStatus::Failed, 0, PosixErrors::SocketErrorCode(systemError)};
}

}

TrkPosixTransport::TrkPosixTransport() = default;

TrkPosixTransport::~TrkPosixTransport()
{
    CancelLookup();
    Close();
}

QString TrkPosixTransport::LocalHostName()
{
    char name[512] = {};
    return ::gethostname(name, sizeof name - 1) < 0 ? QString() : QString::fromLocal8Bit(name);
}

std::optional<quint16> TrkPosixTransport::ServicePort(const QByteArray& service)
{
    const servent* entry = ::getservbyname(service.constData(), "tcp");
    if (!entry)
        return std::nullopt;
    return ntohs(quint16(entry->s_port));
}

void TrkPosixTransport::StartLookup(const QString& host)
{
    CancelLookup();
    lookupId = QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
        if (info.lookupId() != lookupId)
            return; // cancelled meanwhile
        lookupId = NoLookup;
        quint16 error = 0;
        if (info.error() == QHostInfo::HostNotFound)
            error = PosixErrors::HostNotFound;
        else if (info.error() != QHostInfo::NoError)
            error = PosixErrors::LookupFailed;
        else if (info.addresses().isEmpty())
            error = PosixErrors::NoAddress;
        if (Events().LookedUp)
            Events().LookedUp(error ? QList<QHostAddress>() : info.addresses(), error);
    });
}

void TrkPosixTransport::CancelLookup()
{
    if (lookupId != NoLookup)
        QHostInfo::abortHostLookup(lookupId);
    lookupId = NoLookup;
}

quint16 TrkPosixTransport::StartConnect(const QHostAddress& address, quint16 port)
{
    Close();
    const int family = address.protocol() == QAbstractSocket::IPv4Protocol ? AF_INET : AF_INET6;
    socket = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) {
        socket = NoSocket;
        return PosixErrors::SocketErrorCode(errno);
    }
    phase = TPhase::Connecting;
    reader = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    writer = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
    reader->setEnabled(false);
    writer->setEnabled(false);
    QObject::connect(reader.get(), &QSocketNotifier::activated, this, &TrkPosixTransport::BecameReadable);
    QObject::connect(writer.get(), &QSocketNotifier::activated, this, &TrkPosixTransport::BecameWritable);
    sockaddr_storage storage;
    const socklen_t length = SocketAddress(storage, address, port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&storage), length) == 0) {
        QMetaObject::invokeMethod(
            this,
            [this, connecting = socket] {
                if (socket == connecting && phase == TPhase::Connecting)
                    ConnectDone(0);
            },
            Qt::QueuedConnection);
        return 0;
    }
    if (errno != EINPROGRESS)
        return PosixErrors::SocketErrorCode(errno);
    writer->setEnabled(true);
    return 0;
}

void TrkPosixTransport::ConnectDone(int systemError)
{
    phase = systemError ? TPhase::Ended : TPhase::Open;
    if (Events().Connected)
        Events().Connected(systemError ? PosixErrors::SocketErrorCode(systemError) : 0);
    if (systemError)
        return;
    reader->setEnabled(true);
    if (Events().Writable)
        Events().Writable();
}

void TrkPosixTransport::BecameWritable()
{
    writer->setEnabled(false);
    if (phase != TPhase::Connecting) {
        if (Events().Writable)
            Events().Writable();
        return;
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
    ConnectDone(error);
}

// A look at what is waiting tells data from an orderly close or a reset.
void TrkPosixTransport::BecameReadable()
{
    reader->setEnabled(false);
    char byte;
    const ssize_t n = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        if (Events().Readable)
            Events().Readable();
        return;
    }
    if (n < 0 && (WouldBlock(errno) || errno == EINTR)) {
        reader->setEnabled(true);
        return;
    }
    phase = TPhase::Ended;
    if (n == 0) {
        if (Events().Readable)
            Events().Readable(); // the end of the data is readable: a read sees it at once
        if (Events().Ended)
            Events().Ended(0);
    } else if (Events().Ended) {
        Events().Ended(PosixErrors::SocketErrorCode(errno));
    }
}

TrkTransfer TrkPosixTransport::Send(const char* data, int size)
{
    const ssize_t n = ::send(socket, data, size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0)
        return {TrkTransfer::TStatus::Moved, int(n), 0};
    if (!WouldBlock(errno))
        return Failed(errno);
    if (writer)
        writer->setEnabled(true);
    return {TrkTransfer::TStatus::WouldBlock, 0, 0};
}

TrkTransfer TrkPosixTransport::Receive(char* buffer, int size, TrkReceiveMode mode)
{
    const int flags = MSG_DONTWAIT | (mode == TrkReceiveMode::Peek ? MSG_PEEK : 0);
    const ssize_t n = ::recv(socket, buffer, size_t(size), flags);
    const int error = errno;
    if (reader)
        reader->setEnabled(phase == TPhase::Open);
    if (n >= 0)
        return {TrkTransfer::TStatus::Moved, int(n), 0};
    if (WouldBlock(error))
        return {TrkTransfer::TStatus::WouldBlock, 0, 0};
    return Failed(error);
}

void TrkPosixTransport::Close()
{
    reader.reset();
    writer.reset();
    if (socket != NoSocket)
        ::close(socket);
    socket = NoSocket;
}
