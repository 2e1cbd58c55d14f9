#include "net/transport/socket_library.h"

TrkWinsock::TrkWinsock() : available(&SystemLibrary()) {}

TrkWinsock& TrkWinsock::Instance()
{
    static TrkWinsock binding;
    return binding;
}

void TrkWinsock::Load()
{
    if (!available)
        throw EWinsockDLLError(QStringLiteral("Winsock not found"));
    module = available;
}

void TrkWinsock::Unload()
{
    module = nullptr;
}

TSocketProc TrkWinsock::GetProc(const char* name) const
{
    TSocketProc proc = module ? module->value(QByteArray(name)) : nullptr;
    if (!proc)
        throw EWinsockDLLError(QStringLiteral("Function %1 not found").arg(QLatin1String(name)));
    return proc;
}

template <class Proc>
Proc TrkWinsock::loaded(const char* name) const
{
    if (!IsLoaded())
        throw EWinsockDLLError(QStringLiteral("Winsock is not loaded"));
    return reinterpret_cast<Proc>(GetProc(name));
}

int TrkWinsock::WSAStartup(quint16 version, TWSAData& data)
{
    return loaded<WinsockProc::WSAStartup>("WSAStartup")(version, &data);
}

int TrkWinsock::WSACleanup()
{
    return loaded<WinsockProc::WSACleanup>("WSACleanup")();
}

int TrkWinsock::WSAGetLastError()
{
    return loaded<WinsockProc::WSAGetLastError>("WSAGetLastError")();
}

TAsyncHandle TrkWinsock::WSAAsyncGetHostByName(QObject* window, uint msg, const char* name, char* buf, int buflen)
{
    return loaded<WinsockProc::WSAAsyncGetHostByName>("WSAAsyncGetHostByName")(window, msg, name, buf, buflen);
}

TAsyncHandle TrkWinsock::WSAAsyncGetServByName(QObject* window, uint msg, const char* name, const char* proto,
                                               char* buf, int buflen)
{
    return loaded<WinsockProc::WSAAsyncGetServByName>("WSAAsyncGetServByName")(window, msg, name, proto, buf,
                                                                               buflen);
}

int TrkWinsock::WSACancelAsyncRequest(TAsyncHandle handle)
{
    return loaded<WinsockProc::WSACancelAsyncRequest>("WSACancelAsyncRequest")(handle);
}

int TrkWinsock::WSAAsyncSelect(TSocket s, QObject* window, uint msg, long events)
{
    return loaded<WinsockProc::WSAAsyncSelect>("WSAAsyncSelect")(s, window, msg, events);
}

bool TrkWinsock::WSAIsBlocking()
{
    return loaded<WinsockProc::WSAIsBlocking>("WSAIsBlocking")();
}

int TrkWinsock::WSACancelBlockingCall()
{
    return loaded<WinsockProc::WSACancelBlockingCall>("WSACancelBlockingCall")();
}

TSocket TrkWinsock::Socket(int af, int type, int protocol)
{
    return loaded<WinsockProc::socket>("socket")(af, type, protocol);
}

int TrkWinsock::Connect(TSocket s, const sockaddr* name, int namelen)
{
    return loaded<WinsockProc::connect>("connect")(s, name, namelen);
}

int TrkWinsock::Send(TSocket s, const char* buf, int len, int flags)
{
    return loaded<WinsockProc::send>("send")(s, buf, len, flags);
}

int TrkWinsock::Recv(TSocket s, char* buf, int len, int flags)
{
    return loaded<WinsockProc::recv>("recv")(s, buf, len, flags);
}

int TrkWinsock::CloseSocket(TSocket s)
{
    return loaded<WinsockProc::closesocket>("closesocket")(s);
}

quint16 TrkWinsock::Htons(quint16 value)
{
    return loaded<WinsockProc::htons>("htons")(value);
}

quint32 TrkWinsock::InetAddr(const char* text)
{
    return reinterpret_cast<WinsockProc::inet_addr>(GetProc("inet_addr"))(text);
}

int TrkWinsock::InetPton(int af, const char* text, void* address)
{
    return loaded<WinsockProc::inet_pton>("inet_pton")(af, text, address);
}

int TrkWinsock::GetHostName(char* name, int namelen)
{
    return loaded<WinsockProc::gethostname>("gethostname")(name, namelen);
}
