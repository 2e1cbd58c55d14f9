#pragma once
// One TLS client connection over a session's socket. OpenSSL reads and writes
// through the socket library binding (a BIO over its recv and send), so the
// library's readiness notifications, which only its own calls re-arm, keep
// waking the session's waits, and a test library reaches TLS as well.
// The connection never waits: a call that cannot go on says which way the
// socket must become ready (WantRead, WantWrite), and the session waits.
#include "net/transport/socket_library.h"

#include <QString>

#include <exception>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct bio_st BIO;

class TrkTlsLink {
public:
    enum class TState { Ok, WantRead, WantWrite, Ended, Failed };

    // Certificates are checked against the system's authorities, and caFile's
    // when one is named, for host (a name, or an address literal).
    TrkTlsLink(TrkWinsock& winsock, TSocket socket, const QString& host, const QString& caFile);
    ~TrkTlsLink();
    TrkTlsLink(const TrkTlsLink&) = delete;
    TrkTlsLink& operator=(const TrkTlsLink&) = delete;

    // Each returns the state its call left: Ok when the handshake is done.
    TState Handshake();
    // Like recv and send: a count, 0 at the end of the data, -1 with the state
    // telling why.
    int Read(char* buffer, int size, bool peek);
    int Write(const char* data, int size);
    // A close_notify when it goes out at once; never waits for the answer.
    void Shutdown();

    TState State() const { return state; }
    bool Up() const { return up; }
    // Decrypted bytes waiting: readable with nothing more from the socket.
    bool Buffered() const;
    // After Failed: the socket error the library reported, 0 for none...
    quint16 SocketErrorCode() const { return socketError; }
    // ...and the reason in words: the certificate check's verdict, the end
    // of the connection, or OpenSSL's reason.
    QString Reason() const { return reason; }

private:
    struct TWire {
        TrkWinsock* winsock;
        TSocket socket;
        quint16 error = 0;
        bool ended = false;
        std::exception_ptr thrown;   // from the library binding, rethrown outside OpenSSL
    };
    template <class Call> static int WireCall(BIO* bio, int retryFlags, Call call);
    static int WireRead(BIO* bio, char* buffer, int size);
    static int WireWrite(BIO* bio, const char* data, int size);
    static long WireControl(BIO* bio, int command, long number, void* pointer);
    static BIO* MakeWire(TWire* wire);

    int Settle(int result);   // the state an OpenSSL call's result leaves
    void Fail(QString why);

    TWire wire;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    TState state = TState::Ok;
    bool up = false;
    quint16 socketError = 0;
    QString reason;
};
