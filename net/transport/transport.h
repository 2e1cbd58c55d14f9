#pragma once
// The session's wire: one TCP connection at a time over a typed interface.
// No call ever blocks. What the session waits for (a name's addresses, a
// connect's outcome, bytes to read, room to write) arrives as one of the
// events, from the event loop, and the session waits on the loop for it.
// Readiness is one-shot: Readable comes again only after a Receive, Writable
// only after a Send that found no room. Errors are the socket error numbers
// the session's messages show ("[10061] ...").
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

enum class TrkReceiveMode { Take, Peek }; // Peek leaves the bytes waiting

// What one Send or Receive did.
struct TrkTransfer {
    enum class TStatus { Moved, WouldBlock, Failed };
    TStatus status = TStatus::Moved;
    int bytes = 0;     // Moved: how many; 0 from Receive: the peer ended the stream
    quint16 error = 0; // Failed: the socket error number
};

struct TrkTransportEvents {
    // The addresses a name resolved to, IPv6 and IPv4; none with an error.
    std::function<void(const QList<QHostAddress>& addresses, quint16 error)> LookedUp;
    std::function<void(quint16 error)> Connected; // 0: the connection is up
    std::function<void()> Readable;
    std::function<void()> Writable;
    // The peer closed the connection (0) or reset it (its error).
    std::function<void(quint16 error)> Ended;
};

class TrkTransport {
public:
    virtual ~TrkTransport() = default;

    void SetEvents(TrkTransportEvents events) { this->events = std::move(events); }

    // The name this machine gives itself; empty when it has none.
    virtual QString LocalHostName() = 0;
    // The port of a TCP service in the system's service database.
    virtual std::optional<quint16> ServicePort(const QByteArray& service) = 0;
    // Resolves host to every address it has; LookedUp follows unless the
    // look-up is cancelled first.
    virtual void StartLookup(const QString& host) = 0;
    virtual void CancelLookup() = 0;
    // Opens a socket and starts connecting it: an error at once, or 0 and
    // Connected follows. A connection already open is closed first.
    virtual quint16 StartConnect(const QHostAddress& address, quint16 port) = 0;
    virtual TrkTransfer Send(const char* data, int size) = 0;
    virtual TrkTransfer Receive(char* buffer, int size, TrkReceiveMode mode) = 0;
    // Ends the connection at once; no event of it follows.
    virtual void Close() = 0;

protected:
    const TrkTransportEvents& Events() const { return events; }

private:
    TrkTransportEvents events;
};
