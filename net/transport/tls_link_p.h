#pragma once
// One TLS client connection over a session's transport. OpenSSL reads and
// writes through the transport (a BIO over its Receive and Send), so the
// transport's readiness, which only its own calls re-arm, keeps waking the
// session's waits, and a test transport reaches TLS as well.
// The connection never waits: a call that cannot go on says which way the
// socket must become ready (WantRead, WantWrite), and the session waits.
#include "net/transport/transport.h"

#include <QString>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct bio_st BIO;

class TrkTlsLink {
public:
    enum class TState { Ok, WantRead, WantWrite, Ended, Failed };

    // Certificates are checked against the system's authorities, and caFile's
    // when one is named, for host (a name, or an address literal).
    TrkTlsLink(TrkTransport& transport, const QString& host, const QString& caFile);
    ~TrkTlsLink();
    TrkTlsLink(const TrkTlsLink&) = delete;
    TrkTlsLink& operator=(const TrkTlsLink&) = delete;

    // Each returns the state its call left: Ok when the handshake is done.
    TState Handshake();
    // A count, 0 at the end of the data, -1 with the state telling why.
    int Read(char* buffer, int size, TrkReceiveMode mode);
    int Write(const char* data, int size);
    // A close_notify when it goes out at once; never waits for the answer.
    void Shutdown();

    TState State() const { return state; }
    bool Up() const { return up; }
    // Decrypted bytes waiting: readable with nothing more from the socket.
    bool Buffered() const;
    // After Failed: the socket error the transport reported, 0 for none...
    quint16 SocketErrorCode() const { return socketError; }
    // ...and the reason in words: the certificate check's verdict, the end
    // of the connection, or OpenSSL's reason.
    QString Reason() const { return reason; }

private:
    struct TWire {
        TrkTransport* transport;
        quint16 error = 0;
        bool ended = false;
    };
    static int WireResult(BIO* bio, int retryFlags, const TrkTransfer& transfer);
    static int WireRead(BIO* bio, char* buffer, int size);
    static int WireWrite(BIO* bio, const char* data, int size);
    static long WireControl(BIO* bio, int command, long number, void* pointer);
    static BIO* MakeWire(TWire* wire);

    int Settle(int result); // the state an OpenSSL call's result leaves
    void Fail(QString why);

    TWire wire;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    TState state = TState::Ok;
    bool up = false;
    quint16 socketError = 0;
    QString reason;
};
