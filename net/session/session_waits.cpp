// The session's waits. Each blocks on the event loop until one of its flags is
// set: notifications, the counter's one-second ticks and the user's commands
// (Cancel above all) all arrive as events, so a silent server costs nothing.
#include "net/session/session.h"

#include "net/transport/tls_link_p.h"

#include "toolkit/Pump.h"

void TrkSocket::HostLookupWait()
{
    counter->Start();
    WaitUntil([this] { return hostResolved || counter->Expired() || canceled; });
    if (hostResolved)
        asyncHandle = 0;   // still pending otherwise: the time-out or cancel drops it
    if (asyncError)
        RaiseSocketError(asyncErrorCode);
    StopAndCheck();
    ProcessMessages();
}

// True when the service database gave the port. A look-up that failed or ran
// out of time falls back to the default port and leaves no trace for the
// connect: neither its error nor an expired counter.
bool TrkSocket::ServiceLookupWait()
{
    counter->Start();
    WaitUntil([this] { return serviceResolved || canceled || counter->Expired(); });
    counter->Stop();
    if (serviceResolved) {
        asyncHandle = 0;
    } else if (counter->Expired()) {
        CancelLookup();
        counter->ClearExpired();
    }
    if (canceled)
        RaiseCanceled();
    const bool found = serviceResolved && !asyncError;
    asyncError = false;   // answered by the fall-back: no later wait may raise it
    return found;
}

// A refused or failed connection ends the wait at once with its error.
void TrkSocket::ConnectWait()
{
    WaitUntil([this] { return connectDone || canceled || counter->Expired() || asyncError; });
    counter->Stop();
    raiseIfWaitFailed();
}

// A connection the server closed ends it too: nothing more can come, and the
// read that follows sees the end at once instead of waiting for the time-out.
// Bytes TLS has already decrypted are there without a word from the socket.
void TrkSocket::DataReadyWait()
{
    counter->Start();
    WaitUntil([this] {
        return readable || (tls && tls->Buffered()) || closed || canceled || counter->Expired() || asyncError;
    });
    counter->Stop();
    raiseIfWaitFailed();
    readable = false;
}

// A wait ends in a cancel, a time-out or a socket error, checked in that order.
void TrkSocket::raiseIfWaitFailed()
{
    if (canceled)
        RaiseCanceled();
    if (counter->Expired())
        RaiseTimedOut();
    if (asyncError)
        RaiseSocketError(asyncErrorCode);
}

// Inside a read that found nothing waiting: blocks until more may be there.
// The caller's loop checks Canceled and Expired. TLS may have to write before
// it can read on (and read before it can write), and then waits for that.
void TrkSocket::WaitForData()
{
    if (tls && tls->State() == TrkTlsLink::TState::WantWrite)
        return WaitWritable();
    WaitUntil([this] { return readable || closed || canceled || counter->Expired() || asyncError; });
    readable = false;
    if (asyncError && !canceled)
        RaiseSocketError(asyncErrorCode);
}

void TrkSocket::WaitWritable()
{
    if (tls && tls->State() == TrkTlsLink::TState::WantRead)
        return WaitForData();
    WaitUntil([this] { return writable || canceled || counter->Expired() || asyncError; });
    writable = false;
    if (asyncError && !canceled)
        RaiseSocketError(asyncErrorCode);
}

void TrkSocket::StopAndCheck()
{
    counter->Stop();
    if (counter->Expired())
        RaiseTimedOut();
    if (canceled)
        RaiseCanceled();
}
