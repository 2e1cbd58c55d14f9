#pragma once
// The socket library binding: one process-wide object that loads the socket
// library and calls every socket function through an entry point looked up by
// its exported name, raising EWinsockDLLError when the library or a function
// is missing. On Linux the library is a table of adaptors over non-blocking
// POSIX sockets (rkwinsock_posix); tests load other tables to reach the failures.
#include "net/session/events.h"

#include <QByteArray>
#include <QEvent>
#include <QHash>

struct sockaddr;
class QObject;

using TSocket = int;
using TAsyncHandle = quintptr;
constexpr TSocket NoSocket = -1;

// Notification events: the error in the high half of lParam, the event in the low.
constexpr quint16 FD_READ = 1;
constexpr quint16 FD_WRITE = 2;
constexpr quint16 FD_CONNECT = 16;
constexpr quint16 FD_CLOSE = 32;
constexpr quint16 WSAEWOULDBLOCK = 10035;

inline quint16 WSAGetSelectError(quint32 lParam) { return quint16(lParam >> 16); }
inline quint16 WSAGetSelectEvent(quint32 lParam) { return quint16(lParam & 0xFFFF); }
inline quint32 WSAMakeSelectReply(quint16 event, quint16 error) { return quint32(error) << 16 | event; }

// A notification delivered to a component's hidden object. Its event type is
// QEvent::User plus the message number the caller asked for.
class TWinsockMessage : public QEvent {
public:
    TWinsockMessage(uint msg, quintptr wParam, quint32 lParam)
        : QEvent(Type(msg)), Msg(msg), WParam(wParam), LParam(lParam) {}
    static QEvent::Type Type(uint msg) { return QEvent::Type(QEvent::User + int(msg)); }
    uint Msg;
    quintptr WParam;
    quint32 LParam;
};

struct TWSAData {
    char Bytes[400];
};

// The entry points, by the signatures the library exports them with.
namespace WinsockProc {
using WSAStartup = int (*)(quint16 version, TWSAData* data);
using WSACleanup = int (*)();
using WSAGetLastError = int (*)();
using WSAAsyncGetHostByName = TAsyncHandle (*)(QObject* window, uint msg, const char* name, char* buf, int buflen);
using WSAAsyncGetServByName = TAsyncHandle (*)(QObject* window, uint msg, const char* name, const char* proto,
                                               char* buf, int buflen);
using WSACancelAsyncRequest = int (*)(TAsyncHandle handle);
using WSAAsyncSelect = int (*)(TSocket s, QObject* window, uint msg, long events);
using WSAIsBlocking = bool (*)();
using WSACancelBlockingCall = int (*)();
using socket = TSocket (*)(int af, int type, int protocol);
using connect = int (*)(TSocket s, const sockaddr* name, int namelen);
using send = int (*)(TSocket s, const char* buf, int len, int flags);
using recv = int (*)(TSocket s, char* buf, int len, int flags);
using closesocket = int (*)(TSocket s);
using htons = quint16 (*)(quint16 value);
using inet_addr = quint32 (*)(const char* text);
using inet_pton = int (*)(int af, const char* text, void* address);
using gethostname = int (*)(char* name, int namelen);
}

using TSocketProc = void (*)();
using TSocketLibrary = QHash<QByteArray, TSocketProc>;

template <class Proc>
TSocketProc AsSocketProc(Proc proc) { return reinterpret_cast<TSocketProc>(proc); }

// recv flag: look at the waiting bytes without taking them.
constexpr int PeekFlag = 2;

class TrkWinsock {
public:
    static TrkWinsock& Instance();
    ~TrkWinsock() { Unload(); }

    bool IsLoaded() const { return module != nullptr; }
    void Load();     // raises "Winsock not found" when the library is missing
    void Unload();
    TSocketProc GetProc(const char* name) const;

    // The library Load opens; null stands for a system without one.
    void UseLibrary(const TSocketLibrary* library) { available = library; }
    static const TSocketLibrary& SystemLibrary();

    int WSAStartup(quint16 version, TWSAData& data);
    int WSACleanup();
    int WSAGetLastError();
    TAsyncHandle WSAAsyncGetHostByName(QObject* window, uint msg, const char* name, char* buf, int buflen);
    TAsyncHandle WSAAsyncGetServByName(QObject* window, uint msg, const char* name, const char* proto,
                                       char* buf, int buflen);
    int WSACancelAsyncRequest(TAsyncHandle handle);
    int WSAAsyncSelect(TSocket s, QObject* window, uint msg, long events);
    bool WSAIsBlocking();
    int WSACancelBlockingCall();
    TSocket Socket(int af, int type, int protocol);
    int Connect(TSocket s, const sockaddr* name, int namelen);
    int Send(TSocket s, const char* buf, int len, int flags);
    int Recv(TSocket s, char* buf, int len, int flags);
    int CloseSocket(TSocket s);
    quint16 Htons(quint16 value);
    quint32 InetAddr(const char* text);   // needs no loaded check: a missing module has no entry
    int InetPton(int af, const char* text, void* address);   // 1 when text is an address of family af
    int GetHostName(char* name, int namelen);

private:
    TrkWinsock();
    template <class Proc> Proc loaded(const char* name) const;

    const TSocketLibrary* available;
    const TSocketLibrary* module = nullptr;
};
