// The session's waits. Each blocks on the event loop until one of its flags is
// set: the transport's events, the counter's one-second ticks and the user's
// commands (Cancel above all) all arrive as events, so a silent server costs
// nothing.
#include "net/session/session.h"

#include "net/session/socket_errors_p.h"

#include "net/transport/tls_link_p.h"

#include "toolkit/Pump.h"

void TrkSocket::HostLookupWait()
{
    counter->Start();
    WaitUntil([this] { return hostResolved || counter->Expired() || canceled; });
    if (hostResolved)
        RaiseSocketError(lookupError);
    StopAndCheck();
    ProcessMessages();
}

// The outcome of one address's connect: 0 or its socket error, the time-out
// counting as one. A cancel ends the whole connect.
quint16 TrkSocket::ConnectWait()
{
    WaitUntil([this] { return connectDone || canceled || counter->Expired() || streamError; });
    if (canceled)
        RaiseCanceled();
    RaiseSocketError(streamError);
    if (counter->Expired() && !connectDone)
        return SocketError::ConnectTimedOut;
    return connectError;
}

// A connection the server closed ends it too: nothing more can come, and the
// read that follows sees the end at once instead of waiting for the time-out.
// Bytes TLS has already decrypted are there without a word from the socket.
void TrkSocket::DataReadyWait()
{
    counter->Start();
    WaitUntil([this] {
        return readable || (tls && tls->Buffered()) || closed || canceled || counter->Expired() || streamError;
    });
    counter->Stop();
    RaiseIfWaitFailed();
    readable = false;
}

// A wait ends in a cancel, a time-out or a socket error, checked in that order.
void TrkSocket::RaiseIfWaitFailed()
{
    if (canceled)
        RaiseCanceled();
    if (counter->Expired())
        RaiseTimedOut();
    RaiseSocketError(streamError);
}

// Inside a read that found nothing waiting: blocks until more may be there.
// The caller's loop checks Canceled and Expired. TLS may have to write before
// it can read on (and read before it can write), and then waits for that.
void TrkSocket::WaitForData()
{
    if (tls && tls->State() == TrkTlsLink::TState::WantWrite)
        return WaitWritable();
    WaitUntil([this] { return readable || closed || canceled || counter->Expired() || streamError; });
    readable = false;
    if (!canceled)
        RaiseSocketError(streamError);
}

void TrkSocket::WaitWritable()
{
    if (tls && tls->State() == TrkTlsLink::TState::WantRead)
        return WaitForData();
    WaitUntil([this] { return writable || canceled || counter->Expired() || streamError; });
    writable = false;
    if (!canceled)
        RaiseSocketError(streamError);
}

void TrkSocket::StopAndCheck()
{
    counter->Stop();
    if (counter->Expired())
        RaiseTimedOut();
    if (canceled)
        RaiseCanceled();
}
