// Asynchronous look-ups of the socket library: host names through QHostInfo,
// services in the system's service database. Each completion is delivered to
// the requesting window as a TWinsockMessage whose wParam is the request
// handle and whose lParam carries the error in its high half.
#include "net/transport/posix_library_p.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QPointer>
#include <QtEndian>

#include <cstring>
#include <netdb.h>

namespace RkPosix {

namespace {

struct TRequest {
    QPointer<QObject> window;
    uint msg;
    char* buf;
    int buflen;
    int lookupId;   // QHostInfo's id; -1 for a service look-up
};

QHash<TAsyncHandle, TRequest>& requests()
{
    static QHash<TAsyncHandle, TRequest> pending;
    return pending;
}

TAsyncHandle nextHandle()
{
    static TAsyncHandle last = 0;
    return ++last;
}

// Hands the result to the window unless the request was cancelled meanwhile.
void complete(TAsyncHandle handle, const QByteArray& result, quint16 error)
{
    const TRequest request = requests().take(handle);
    if (!request.window)
        return;
    if (!error)
        std::memcpy(request.buf, result.constData(), size_t(qMin<qsizetype>(result.size(), request.buflen)));
    TWinsockMessage m(request.msg, handle, WSAMakeSelectReply(0, error));
    QCoreApplication::sendEvent(request.window, &m);
}

quint16 hostError(const QHostInfo& info)
{
    switch (info.error()) {
    case QHostInfo::NoError: return 0;
    case QHostInfo::HostNotFound: return 11001;
    default: return 11003;
    }
}

// The first IPv4 address, four bytes in network order.
QByteArray firstAddress(const QHostInfo& info, quint16& error)
{
    error = hostError(info);
    for (const QHostAddress& address : info.addresses()) {
        bool isV4 = false;
        const quint32 v4 = address.toIPv4Address(&isV4);
        if (isV4 && address.protocol() == QAbstractSocket::IPv4Protocol) {
            const quint32 net = qToBigEndian(v4);
            return QByteArray(reinterpret_cast<const char*>(&net), 4);
        }
    }
    if (!error)
        error = 11004;   // the name exists but has no IPv4 address
    return {};
}

}

TAsyncHandle AsyncGetHostByName(QObject* window, uint msg, const char* name, char* buf, int buflen)
{
    const TAsyncHandle handle = nextHandle();
    requests().insert(handle, {window, msg, buf, buflen, -1});
    const int id = QHostInfo::lookupHost(QString::fromUtf8(name), window, [handle](const QHostInfo& info) {
        quint16 error = 0;
        const QByteArray address = firstAddress(info, error);
        complete(handle, address, error);
    });
    if (requests().contains(handle))
        requests()[handle].lookupId = id;
    return handle;
}

TAsyncHandle AsyncGetServByName(QObject* window, uint msg, const char* name, const char* proto, char* buf,
                                int buflen)
{
    const TAsyncHandle handle = nextHandle();
    requests().insert(handle, {window, msg, buf, buflen, -1});
    const servent* entry = ::getservbyname(name, proto);
    const quint16 port = entry ? quint16(entry->s_port) : 0;   // already in network order
    const QByteArray result(reinterpret_cast<const char*>(&port), 2);
    const quint16 error = entry ? 0 : 11004;
    QMetaObject::invokeMethod(window, [=] { complete(handle, result, error); }, Qt::QueuedConnection);
    return handle;
}

int CancelAsyncRequest(TAsyncHandle handle)
{
    if (!requests().contains(handle)) {
        SetLastError(10022);
        return -1;
    }
    const TRequest request = requests().take(handle);
    if (request.lookupId >= 0)
        QHostInfo::abortHostLookup(request.lookupId);
    return 0;
}

}
