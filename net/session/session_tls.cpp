// The session's TLS: the handshake on the session's own waits, the upgrade
// in place, and the errors TLS raises. Every failure closes the connection: the
// byte stream is lost, and after a refused certificate nothing may follow.
#include "net/session/session.h"

#include "net/session/socket_errors_p.h"
#include "net/transport/tls_link_p.h"

void TrkSocket::TTlsFree::operator()(TrkTlsLink* link) const
{
    delete link;
}

bool TrkSocket::Secure() const
{
    return tls && tls->Up();
}

void TrkSocket::StartTls()
{
    if (!Connected())
        RaiseSocketError(SocketError::NotConnected);
    if (tls)
        return;
    DiscardWaiting();
    ShakeHands();
}

// Bytes that came before the server's go-ahead came in plain text and may be
// anyone's: none of them may pass for a reply over TLS.
void TrkSocket::DiscardWaiting()
{
    char chunk[4096];
    while (ReceiveSome(chunk, sizeof chunk, TrkReceiveMode::Take) > 0) {
    }
}

// The whole handshake must end within the time-out, like a command line.
void TrkSocket::ShakeHands()
{
    tls.reset(new TrkTlsLink(*transport, HostPart(), options.CAFile));
    counter->Start();
    while (!canceled && !counter->Expired()) {
        const TrkTlsLink::TState state = tls->Handshake();
        if (state == TrkTlsLink::TState::Ok)
            break;
        if (state == TrkTlsLink::TState::WantRead)
            WaitForData();
        else if (state == TrkTlsLink::TState::WantWrite)
            WaitWritable();
        else
            RaiseTlsFailure(SocketError::TlsHandshakeFailed);
    }
    StopAndCheck();
}

// A read's or write's result over TLS, raising a failure as a plain one does.
int TrkSocket::TlsResult(int n)
{
    if (n < 0 && tls->State() == TrkTlsLink::TState::Failed && !canceled)
        RaiseTlsFailure(SocketError::TlsFailed);
    return n;
}

void TrkSocket::RaiseTlsFailure(quint16 code)
{
    const quint16 socketError = tls->SocketErrorCode();
    const QString reason = socketError ? SocketError::Text(socketError) : tls->Reason();
    RaiseSocketError(code, SocketError::Text(code).arg(HostPart(), reason));
}

void TrkSocket::EndTls()
{
    if (tls)
        tls->Shutdown();
    tls.reset();
}
