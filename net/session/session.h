#pragma once
// The socket session: one TCP connection to a mail server, every step a call
// that returns when the step is complete while the application's events keep
// running (so a Cancel button works during it). TmsMailBase adds the
// Connect/Disconnect pair the protocol clients build on.
#include "net/session/events.h"
#include "net/dialup/dial_link.h"
#include "net/transport/socket_library.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class TStream;
class TrkTlsLink;

// How a connection is protected. Tls shakes hands right after the connect;
// StartTls leaves the upgrade to the protocol, which calls StartTls once the
// server has agreed, and fails when the server does not offer it.
enum class TmsSecurity { None, StartTls, Tls };

// Every choice, by its name as the settings store and the dialog write it
// ("None", "STARTTLS", "TLS").
struct TmsSecurityName {
    TmsSecurity security;
    const char* name;
};
inline constexpr TmsSecurityName SecurityNames[] = {
    {TmsSecurity::None, "None"}, {TmsSecurity::StartTls, "STARTTLS"}, {TmsSecurity::Tls, "TLS"}};
QString SecurityName(TmsSecurity security);
// The choice named text; nothing for another text.
std::optional<TmsSecurity> SecurityNamed(const QString& text);

class TrkSocket : public QObject {
public:
    explicit TrkSocket(QObject* owner = nullptr);
    ~TrkSocket() override;

    bool WinsockLoaded() const;
    void SetWinsockLoaded(bool loaded);
    int TimeOut() const { return counter->TimeOut(); }
    void SetTimeOut(int seconds) { counter->SetTimeOut(seconds); }

    // host[:port]; an IPv6 literal is written bare or as [address]:port.
    QString Server;
    quint16 DefaultPort = 0;
    QByteArray ServiceName;
    TrkDialLink* RAS = nullptr;   // not owned; its owner clears it before freeing it
    TmsSecurity Security = TmsSecurity::None;
    QString CAFile;   // an authority trusted beside the system's; empty: none

    TNotifyEvent OnOpen;
    TNotifyEvent OnConnect;
    TNotifyEvent OnClosing;
    TNotifyEvent OnClosed;
    TNotifyEvent OnCancel;
    TmsProgressEvent OnProgress;
    TmsErrorEvent OnError;
    TmsLineEvent OnCommand;
    TmsLineEvent OnReply;

    // What the connection resolved to.
    QString RemoteAddress;
    QString LocalHost;
    quint16 Port = 0;
    int StartupCount = 0;
    QByteArray LastReply;

    virtual void Reset();
    virtual int ReplyCode(const QByteArray& line);
    virtual void Open();
    virtual void Close();
    virtual void Cancel();

    bool Connected() const { return socket != NoSocket; }
    bool Canceled() const { return canceled; }
    bool Expired() const { return counter->Expired(); }
    bool Secure() const;   // TLS is up on this connection
    // Upgrades the open connection in place; bytes the server sent before
    // the handshake are discarded.
    void StartTls();
    void CheckServer();
    void ConnectSocket();
    void SendLine(const QByteArray& line);
    int ReadLine(QByteArray& line);
    int ReadReply();
    // Message data: dots are stuffed on the way out, and on the way in taken
    // off with the end line, which is read but not stored.
    void SendStream(TStream& stream);
    void ReceiveStream(TStream& stream, qint64 expectedSize);

    static constexpr uint WM_HOSTRESOLVED = 1172;
    static constexpr uint WM_SERVRESOLVED = 1173;
    static constexpr uint WM_SOCKETEVENT = 1174;
    static constexpr qsizetype MaxLineLength = 65536;   // with its CR LF
    static constexpr int MaxHostName = 127;
    static constexpr int MaxServiceName = 63;
    static constexpr int ReceiveChunk = 16384;
    static constexpr int SendChunk = 2047;

protected:
    void RaiseSocketError(quint16 code);   // code 0 raises nothing
    [[noreturn]] void RaiseSocketError(quint16 code, const QString& message);
    [[noreturn]] void RaiseTimedOut();
    [[noreturn]] void RaiseCanceled();
    void RaiseLastError();
    // How messages name the step whose reply is awaited after a command:
    // "the greeting" before any, else the command's first word, so no
    // argument (a password) ever shows.
    virtual QString StepName(const QByteArray& command) const;
    QString CurrentStep() const { return StepName(lastCommand); }

private:
    class TNotifyWindow;
    friend class TNotifyWindow;
    void WndProc(uint msg, quint32 lParam);

    QString HostPart() const;
    quint16 PortPart() const;
    void ResolveLocalHost();
    void ResolveHost();
    void ResolvePort();
    void CreateSocket();
    void CancelLookup();

    void HostLookupWait();
    bool ServiceLookupWait();
    void ConnectWait();
    void DataReadyWait();
    void raiseIfWaitFailed();
    void WaitForData();
    void WaitWritable();
    void StopAndCheck();

    // Whether every block the socket takes restarts the time-out, or only the
    // caller's start counts.
    enum class TSendClock { FromStart, RestartOnProgress };
    void SendAll(const char* data, qsizetype size, TSendClock clock);
    int SendSome(const char* data, int size);
    int ReceiveSome(char* buffer, int size, int flags);
    int PlainResult(int n);
    int TakeLinePart(QByteArray& line, bool& found);
    void FireProgress(qint64 done, qint64 total);
    void CloseQuietly();
    [[noreturn]] void RaiseClosedByServer();

    void ShakeHands();
    void DiscardWaiting();
    void EndTls();
    int TlsResult(int n);
    [[noreturn]] void RaiseTlsFailure(quint16 code);

    TrkWinsock& winsock;
    QObject* window;
    TTimeCounter* counter;
    TWSAData startupData{};
    TSocket socket = NoSocket;
    TAsyncHandle asyncHandle = 0;
    quint32 remoteAddr = 0;    // IPv4, network order
    QByteArray remoteAddr6;    // an IPv6 literal's 16 bytes; empty for IPv4
    QByteArray lastCommand;    // since the connect
    char lookupBuffer[1024] = {};
    struct TTlsFree {
        void operator()(TrkTlsLink* link) const;
    };
    std::unique_ptr<TrkTlsLink, TTlsFree> tls;   // while TLS runs on this connection

    bool canceled = false;
    bool hostResolved = false;
    bool serviceResolved = false;
    bool connectDone = false;
    bool readable = false;
    bool writable = false;
    bool closed = false;
    bool asyncError = false;
    quint16 asyncErrorCode = 0;
};

class TmsMailBase : public TrkSocket {
public:
    explicit TmsMailBase(QObject* owner = nullptr);

    void Connect();
    void Disconnect();

protected:
    virtual void Login() = 0;
    virtual void Logout() = 0;
    // The first step of every Login: ConnectSocket, closing the socket when
    // it fails, as there is no session yet to say QUIT to.
    void ConnectOrClose();
    // A refusal: the server's reply line, or what it answered when empty.
    [[noreturn]] void RaiseServerError();
    // Connect, the work and, whatever happens, Disconnect. After failed work
    // an error of the Disconnect replaces the one under way, unless it only
    // finds the connection gone. After work that succeeded it is raised too,
    // or handed to goodbyeFailed when one is given.
    void RunSession(const std::function<void()>& work,
                    const std::function<void(const Exception&)>& goodbyeFailed = {});
};
