#pragma once
// The socket session: one TCP connection to a mail server, every step a call
// that returns when the step is complete while the application's events keep
// running (so a Cancel button works during it). TmsMailBase adds the
// Connect/Disconnect pair the protocol clients build on.
#include "net/session/events.h"
#include "net/session/security.h"
#include "net/dialup/dial_link.h"
#include "net/transport/transport.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TStream;
class TrkTlsLink;
class TrkTransport;

// What a session connects to, and how.
struct TrkSessionOptions {
    // host[:port]; an IPv6 literal is written bare or as [address]:port.
    QString Server;
    // The port when the server names none: the service's in the system's
    // service database, else DefaultPort.
    QByteArray ServiceName;
    quint16 DefaultPort = 0;
    TmsSecurity Security = TmsSecurity::None;
    QString CAFile;                  // an authority trusted beside the system's; empty: none
    int TimeOut = 60;                // seconds of silence before a step fails
    TrkDialLink* DialLink = nullptr; // not owned; its owner clears it before freeing it
};

// What a session tells whoever watches it, as it happens. OnCommand sees a
// secret line with its secret part as "****".
struct TrkSessionListeners {
    TNotifyEvent OnOpen;
    TNotifyEvent OnConnect;
    TNotifyEvent OnClosing;
    TNotifyEvent OnClosed;
    TNotifyEvent OnCancel;
    TmsProgressEvent OnProgress;
    TmsErrorEvent OnError;
    TmsLineEvent OnCommand;
    TmsLineEvent OnReply;
};

class TrkSocket : public QObject {
public:
    explicit TrkSocket(QObject* owner = nullptr);
    // A session over another transport than the system's sockets.
    TrkSocket(std::unique_ptr<TrkTransport> transport, QObject* owner);
    ~TrkSocket() override;

    const TrkSessionOptions& Options() const { return options; }
    void SetOptions(const TrkSessionOptions& options);
    const TrkSessionListeners& Listeners() const { return listeners; }
    void SetListeners(TrkSessionListeners listeners) { this->listeners = std::move(listeners); }

    // What the connection resolved to: the address of a server named by a
    // name (empty for an address literal), this machine's name, the port.
    const QString& RemoteAddress() const { return remoteAddress; }
    const QString& LocalHost() const { return localHost; }
    quint16 Port() const { return port; }
    // The last line of the last reply read.
    const QByteArray& LastReply() const { return lastReply; }

    virtual void Reset();
    // Dials when a dial link is set, then resolves the server and the port.
    virtual void Open();
    virtual void Close();
    virtual void Cancel();

    bool Connected() const { return opened; }
    bool Canceled() const { return canceled; }
    bool Expired() const { return counter->Expired(); }
    bool Secure() const; // TLS is up on this connection

    static constexpr qsizetype MaxLineLength = 65536; // with its CR LF
    // A multi-line reply, every line kept: far beyond any server's EHLO.
    static constexpr qsizetype MaxReplyLines = 10000;
    static constexpr qsizetype MaxReplyBytes = 1048576;
    static constexpr int MaxHostName = 127;
    static constexpr int MaxServiceName = 63;
    // Of the addresses a name resolves to, each with the time-out to itself.
    static constexpr qsizetype MaxAddressesTried = 8;
    static constexpr int ReceiveChunk = 16384;
    static constexpr int SendChunk = 2047;

protected:
    // Connects to each address the server resolved to in turn, until one
    // answers; with TLS security, shakes hands before returning.
    void ConnectSocket();
    void CheckServer();
    // Upgrades the open connection in place; bytes the server sent before
    // the handshake are discarded.
    void StartTls();
    void SendLine(const QByteArray& line);
    // Sends visiblePart followed by secretPart as one line; OnCommand, and
    // any message naming the step, see visiblePart followed by "****".
    void SendSecretLine(const QByteArray& visiblePart, const QByteArray& secretPart);
    int ReadLine(QByteArray& line);
    // One line into LastReply; its code.
    int ReadReplyLine() { return ReadLine(lastReply); }
    virtual int ReplyCode(const QByteArray& line);
    // A reply of one line or several ("250-..." up to "250 ..."), its last
    // line in LastReply; the overload keeps every line. One longer than
    // MaxReplyLines or MaxReplyBytes raises ESocketError and closes.
    int ReadReply();
    int ReadReply(QList<QByteArray>& lines);
    // Message data: dots are stuffed on the way out, and on the way in taken
    // off with the end line, which is read but not stored.
    void SendStream(TStream& stream);
    void ReceiveStream(TStream& stream, qint64 expectedSize);

    void RaiseSocketError(quint16 code); // code 0 raises nothing
    [[noreturn]] void RaiseSocketError(quint16 code, const QString& message);
    [[noreturn]] void RaiseTimedOut();
    [[noreturn]] void RaiseCanceled();
    // How messages name the step whose reply is awaited after a command:
    // "the greeting" before any, else the command's first word, so no
    // argument (a password) ever shows.
    virtual QString StepName(const QByteArray& command) const;
    QString CurrentStep() const { return StepName(lastCommand); }

private:
    void WatchTransport();
    QString HostPart() const;
    quint16 PortPart() const;
    QString PeerName() const;
    void ResolveHost();
    void ResolvePort();
    quint16 ConnectTo(const QHostAddress& address);
    void CancelLookup();

    void HostLookupWait();
    quint16 ConnectWait();
    void DataReadyWait();
    void RaiseIfWaitFailed();
    void WaitForData();
    void WaitWritable();
    void StopAndCheck();

    // Whether every block the socket takes restarts the time-out, or only the
    // caller's start counts.
    enum class TSendClock { FromStart, RestartOnProgress };
    void SendAll(const char* data, qsizetype size, TSendClock clock);
    void SendShown(const QByteArray& line, const QByteArray& shown);
    int SendSome(const char* data, int size);
    int ReceiveSome(char* buffer, int size, TrkReceiveMode mode);
    int PlainResult(const TrkTransfer& transfer);
    int TakeLinePart(QByteArray& line, bool& found);
    void FireProgress(qint64 done, qint64 total);
    void CloseQuietly();
    [[noreturn]] void RaiseClosedByServer();

    void ShakeHands();
    void DiscardWaiting();
    void EndTls();
    int TlsResult(int n);
    [[noreturn]] void RaiseTlsFailure(quint16 code);

    TrkSessionOptions options;
    TrkSessionListeners listeners;
    std::unique_ptr<TrkTransport> transport;
    TTimeCounter* counter;
    struct TTlsFree {
        void operator()(TrkTlsLink* link) const;
    };
    std::unique_ptr<TrkTlsLink, TTlsFree> tls; // while TLS runs on this connection

    QString remoteAddress;
    QString localHost;
    quint16 port = 0;
    QByteArray lastReply;
    QList<QHostAddress> addresses; // the server's, tried in turn
    bool lookedUp = false;         // the addresses came from a name
    QByteArray lastCommand;        // since the connect, as OnCommand saw it

    bool opened = false;
    bool canceled = false;
    bool lookupPending = false;
    bool hostResolved = false;
    bool connectDone = false;
    bool readable = false;
    bool writable = false;
    bool closed = false;
    quint16 lookupError = 0;
    quint16 connectError = 0;
    quint16 streamError = 0; // the connection broke: reported by the next wait
};

class TmsMailBase : public TrkSocket {
public:
    explicit TmsMailBase(QObject* owner = nullptr);

    void Connect();
    void Disconnect();

    // Where the accounts whose server offered a challenge log-in are kept
    // (ChallengeLoginsPath()); empty: none are.
    QString ChallengeLoginsFile;
    // Asked, with a warning, before a log-in without TLS would send the
    // password to a server that offered a challenge log-in before and no
    // longer does; false refuses the log-in. Unset: the log-in goes ahead.
    std::function<bool(QObject* sender, const QString& warning)> OnChallengeWithdrawn;

protected:
    // The server offers the challenge log-in about to be used.
    void NoteChallengeOffered(const QString& login, const char* mechanism);
    // Before a log-in that sends the password itself: once asked and
    // answered yes, the account is forgotten, so the question comes once.
    void CheckPlainLogin(const QString& login, const char* mechanism);
    // Connect and greet (and log in); say goodbye.
    virtual void OpenSession() = 0;
    virtual void CloseSession() = 0;
    // The first step of every OpenSession: ConnectSocket, closing the socket
    // when it fails, as there is no session yet to say QUIT to.
    void ConnectOrClose();
    // A refusal: the server's reply line, or what it answered when empty.
    [[noreturn]] void RaiseServerError();
    // Connect, the work and, whatever happens, Disconnect. After failed work
    // an error of the Disconnect replaces the one under way, unless it only
    // finds the connection gone. After work that succeeded it is raised too,
    // or handed to goodbyeFailed when one is given.
    void RunSession(const std::function<void()>& work, const std::function<void(const Exception&)>& goodbyeFailed = {});
};
