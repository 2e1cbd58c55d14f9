// The socket library on Linux: non-blocking POSIX sockets whose readiness is
// turned into the library's notifications (read, write, connect, close),
// delivered as TWinsockMessage events to the window named in WSAAsyncSelect.
// Like the original notifications they are one-shot: FD_READ comes again only
// after a recv, FD_WRITE only after a send that would have blocked.
#include "net/transport/posix_library_p.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class TSocketWatch : public QObject {
public:
    TSocketWatch(TSocket s, QObject* window, uint msg)
        : fd(s), target(window), message(msg),
          reader(s, QSocketNotifier::Read, this), writer(s, QSocketNotifier::Write, this)
    {
        reader.setEnabled(false);
        writer.setEnabled(false);
        connect(&reader, &QSocketNotifier::activated, this, &TSocketWatch::Readable);
        connect(&writer, &QSocketNotifier::activated, this, &TSocketWatch::Writable);
    }

    void ConnectStarted() { connecting = true; writer.setEnabled(true); }
    void ConnectedAtOnce()
    {
        QMetaObject::invokeMethod(this, [this] { Connected(0); }, Qt::QueuedConnection);
    }
    void WantRead() { reader.setEnabled(!ended); }
    void WantWrite() { writer.setEnabled(true); }

private:
    void Notify(quint16 event, quint16 error)
    {
        if (target) {
            TWinsockMessage m(message, quintptr(fd), WSAMakeSelectReply(event, error));
            QCoreApplication::sendEvent(target, &m);
        }
    }

    void Connected(int error)
    {
        connecting = false;
        Notify(FD_CONNECT, error ? RkPosix::CodeFromErrno(error) : 0);
        if (error)
            return;
        reader.setEnabled(true);
        Notify(FD_WRITE, 0);
    }

    void Writable()
    {
        writer.setEnabled(false);
        if (!connecting)
            return Notify(FD_WRITE, 0);
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
        Connected(error);
    }

    // Readiness is level-triggered: look at what is waiting to tell data from
    // an orderly close or a reset, and stay quiet until the next recv.
    void Readable()
    {
        reader.setEnabled(false);
        char byte;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0)
            return Notify(FD_READ, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return reader.setEnabled(true);
        ended = true;
        if (n == 0) {
            Notify(FD_READ, 0);   // the end of data is readable: a read sees it at once
            Notify(FD_CLOSE, 0);
        } else {
            Notify(FD_CLOSE, RkPosix::CodeFromErrno(errno));
        }
    }

    TSocket fd;
    QPointer<QObject> target;
    uint message;
    QSocketNotifier reader;
    QSocketNotifier writer;
    bool connecting = false;
    bool ended = false;
};

QHash<TSocket, TSocketWatch*>& watches()
{
    static QHash<TSocket, TSocketWatch*> all;
    return all;
}

int fail()
{
    RkPosix::SetLastError(RkPosix::CodeFromErrno(errno));
    return -1;
}

int startup(quint16 version, TWSAData* data)
{
    if (version < 0x0101)
        return 10092;
    std::fill(std::begin(data->Bytes), std::end(data->Bytes), 0);
    data->Bytes[0] = 1;
    data->Bytes[1] = 1;
    return 0;
}

int cleanup() { return 0; }
int lastError() { return RkPosix::LastError(); }
bool isBlocking() { return false; }        // no call ever blocks here
int cancelBlockingCall() { return 0; }

TSocket makeSocket(int af, int type, int protocol)
{
    const int s = ::socket(af, type | SOCK_CLOEXEC, protocol);
    return s < 0 ? fail() : s;
}

int asyncSelect(TSocket s, QObject* window, uint msg, long)
{
    const int flags = ::fcntl(s, F_GETFL);
    if (flags < 0 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0)
        return fail();
    delete watches().take(s);
    watches().insert(s, new TSocketWatch(s, window, msg));
    return 0;
}

int connectSocket(TSocket s, const sockaddr* name, int namelen)
{
    TSocketWatch* watch = watches().value(s);
    const int result = ::connect(s, name, socklen_t(namelen));
    if (result == 0 && watch)
        watch->ConnectedAtOnce();
    if (result == 0)
        return 0;
    if (errno == EINPROGRESS && watch)
        watch->ConnectStarted();
    return fail();
}

int sendBytes(TSocket s, const char* buf, int len, int)
{
    const ssize_t n = ::send(s, buf, size_t(len), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0)
        return int(n);
    if (errno == EAGAIN)
        if (TSocketWatch* watch = watches().value(s))
            watch->WantWrite();
    return fail();
}

int recvBytes(TSocket s, char* buf, int len, int flags)
{
    const ssize_t n = ::recv(s, buf, size_t(len), MSG_DONTWAIT | ((flags & PeekFlag) ? MSG_PEEK : 0));
    if (TSocketWatch* watch = watches().value(s))
        watch->WantRead();
    return n < 0 ? fail() : int(n);
}

int closeSocket(TSocket s)
{
    delete watches().take(s);
    return ::close(s) < 0 ? fail() : 0;
}

quint16 toNetwork(quint16 value) { return htons(value); }
quint32 addressOf(const char* text) { return ::inet_addr(text); }

int hostName(char* name, int namelen)
{
    return ::gethostname(name, size_t(namelen)) < 0 ? fail() : 0;
}

}

const TSocketLibrary& TrkWinsock::SystemLibrary()
{
    static const TSocketLibrary library = {
        {"WSAStartup", AsSocketProc(&startup)},
        {"WSACleanup", AsSocketProc(&cleanup)},
        {"WSAGetLastError", AsSocketProc(&lastError)},
        {"WSAAsyncGetHostByName", AsSocketProc(&RkPosix::AsyncGetHostByName)},
        {"WSAAsyncGetServByName", AsSocketProc(&RkPosix::AsyncGetServByName)},
        {"WSACancelAsyncRequest", AsSocketProc(&RkPosix::CancelAsyncRequest)},
        {"WSAAsyncSelect", AsSocketProc(&asyncSelect)},
        {"WSAIsBlocking", AsSocketProc(&isBlocking)},
        {"WSACancelBlockingCall", AsSocketProc(&cancelBlockingCall)},
        {"socket", AsSocketProc(&makeSocket)},
        {"connect", AsSocketProc(&connectSocket)},
        {"send", AsSocketProc(&sendBytes)},
        {"recv", AsSocketProc(&recvBytes)},
        {"closesocket", AsSocketProc(&closeSocket)},
        {"htons", AsSocketProc(&toNetwork)},
        {"inet_addr", AsSocketProc(&addressOf)},
        {"inet_pton", AsSocketProc(&::inet_pton)},
        {"gethostname", AsSocketProc(&hostName)},
    };
    return library;
}
