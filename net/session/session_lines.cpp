// The session's line protocol and message data transfer.
#include "net/session/session.h"

#include "net/session/dot_stuffing_p.h"
#include "net/session/socket_errors_p.h"
#include "net/transport/tls_link_p.h"
#include "toolkit/Pump.h"
#include "toolkit/Streams.h"

#include <cmath>
#include <cstring>

void TrkSocket::SendLine(const QByteArray& line)
{
    SendShown(line, line);
}

void TrkSocket::SendSecretLine(const QByteArray& visiblePart, const QByteArray& secretPart)
{
    SendShown(visiblePart + secretPart, visiblePart + "****");
}

// The step a later message names is the line as shown, so a secret never
// reaches one either.
void TrkSocket::SendShown(const QByteArray& line, const QByteArray& shown)
{
    if (!Connected())
        RaiseSocketError(SocketError::NotConnected);
    if (line.contains('\r') || line.contains('\n'))
        RaiseSocketError(SocketError::LineBreakInCommand); // one argument must not make two commands
    const QByteArray data = line + "\r\n";
    counter->Start();
    ProcessMessages();
    SendAll(data.constData(), data.size(), TSendClock::FromStart);
    StopAndCheck();
    lastCommand = shown;
    if (listeners.OnCommand)
        listeners.OnCommand(this, shown);
}

void TrkSocket::SendAll(const char* data, qsizetype size, TSendClock clock)
{
    qsizetype sent = 0;
    while (sent < size && !canceled && !counter->Expired()) {
        const int n = SendSome(data + sent, int(size - sent));
        if (n > 0) {
            sent += n;
            if (clock == TSendClock::RestartOnProgress)
                counter->Start();
            continue;
        }
        WaitWritable();
    }
}

// A send, raising what is an error: -1 when the socket takes nothing now.
int TrkSocket::SendSome(const char* data, int size)
{
    if (tls)
        return TlsResult(tls->Write(data, size));
    return PlainResult(transport->Send(data, size));
}

// A receive, raising what is an error: -1 when nothing is waiting, 0 at the end.
int TrkSocket::ReceiveSome(char* buffer, int size, TrkReceiveMode mode)
{
    if (tls)
        return TlsResult(tls->Read(buffer, size, mode));
    return PlainResult(transport->Receive(buffer, size, mode));
}

// A plain send's or receive's result, raising what is an error: -1 when the
// socket would block, or after a cancel closed it.
int TrkSocket::PlainResult(const TrkTransfer& transfer)
{
    if (transfer.status == TrkTransfer::TStatus::Moved)
        return transfer.bytes;
    if (transfer.status == TrkTransfer::TStatus::Failed && !canceled)
        RaiseSocketError(transfer.error);
    return -1;
}

// Takes the waiting bytes up to and including the first LF, so whatever
// follows a reply stays in the socket for the next read.
int TrkSocket::TakeLinePart(QByteArray& line, bool& found)
{
    char chunk[4096];
    const int room = int(qMin<qsizetype>(sizeof chunk, MaxLineLength - line.size()));
    if (room == 0)
        RaiseSocketError(SocketError::ReplyLineTooLong);
    const int n = ReceiveSome(chunk, room, TrkReceiveMode::Peek);
    if (n <= 0)
        return n;
    const auto* lf = static_cast<const char*>(std::memchr(chunk, '\n', size_t(n)));
    const int taken = ReceiveSome(chunk, lf ? int(lf - chunk) + 1 : n, TrkReceiveMode::Take);
    if (taken > 0)
        line.append(chunk, taken);
    found = lf != nullptr;
    return taken;
}

int TrkSocket::ReplyCode(const QByteArray& line)
{
    if (line.size() < 3)
        return -1;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

int TrkSocket::ReadLine(QByteArray& line)
{
    if (!Connected())
        RaiseSocketError(SocketError::NotConnected);
    DataReadyWait();
    counter->Start();
    readable = false;
    ProcessMessages();
    line.clear();
    int code = -1;
    try {
        QByteArray buffer;
        bool found = false;
        bool ended = false; // the server closed the connection
        while (!found && !ended && !canceled && !counter->Expired()) {
            const int n = TakeLinePart(buffer, found);
            ended = n == 0;
            if (n < 0)
                WaitForData();
        }
        StopAndCheck();
        if (!found)
            RaiseClosedByServer();
        while (buffer.endsWith('\n') || buffer.endsWith('\r'))
            buffer.chop(1);
        line = buffer;
        code = ReplyCode(line);
    } catch (const Exception&) {
        if (listeners.OnReply)
            listeners.OnReply(this, line);
        throw;
    }
    if (listeners.OnReply)
        listeners.OnReply(this, line);
    return code;
}

int TrkSocket::ReadReply()
{
    QList<QByteArray> lines;
    return ReadReply(lines);
}

int TrkSocket::ReadReply(QList<QByteArray>& lines)
{
    const int first = ReadLine(lastReply);
    lines = {lastReply};
    if (first <= 0 || lastReply.indexOf('-') != 3)
        return first;
    qsizetype bytes = lastReply.size();
    while (!closed) {
        const int code = ReadLine(lastReply);
        bytes += lastReply.size();
        if (lines.size() >= MaxReplyLines || bytes > MaxReplyBytes)
            RaiseSocketError(SocketError::ReplyTooLong);
        lines.append(lastReply);
        if (code == first && lastReply.indexOf(' ') == 3)
            break;
    }
    return first;
}

// Percentages round half to even; an empty whole counts as done.
void TrkSocket::FireProgress(qint64 done, qint64 total)
{
    if (!listeners.OnProgress)
        return;
    const int perc = total > 0 ? int(std::nearbyint(double(done) * 100.0 / double(total))) : 100;
    listeners.OnProgress(this, perc, done);
}

void TrkSocket::SendStream(TStream& stream)
{
    if (!Connected())
        RaiseSocketError(SocketError::NotConnected);
    stream.SetPosition(0);
    const qint64 size = stream.Size();
    TDotStuffer stuffer;
    TThrottledPump pump;
    QByteArray wire;
    char chunk[SendChunk];
    bool last = false;
    while (!last && !canceled && !counter->Expired()) {
        const qint64 n = stream.Read(chunk, SendChunk);
        stuffer.Encode(chunk, n, wire);
        counter->Start();
        SendAll(wire.constData(), wire.size(), TSendClock::RestartOnProgress);
        counter->Stop();
        last = n < SendChunk;
        FireProgress(stream.Position(), size);
        pump.Tick();
    }
    StopAndCheck();
    if (listeners.OnProgress)
        listeners.OnProgress(this, 0, 0);
}

void TrkSocket::ReceiveStream(TStream& stream, qint64 expectedSize)
{
    if (!Connected())
        RaiseSocketError(SocketError::NotConnected);
    DataReadyWait();
    stream.Seek(0, TStream::soEnd);
    TDotUnstuffer unstuffer;
    QByteArray chunk(ReceiveChunk, Qt::Uninitialized);
    QByteArray plain;
    qint64 stored = 0;
    counter->Start();
    while (!unstuffer.Done() && !canceled && !counter->Expired()) {
        const int n = ReceiveSome(chunk.data(), ReceiveChunk, TrkReceiveMode::Peek);
        if (listeners.OnProgress)
            expectedSize > 0 ? FireProgress(stored, expectedSize) : listeners.OnProgress(this, -1, stored);
        if (n == 0)
            RaiseSocketError(SocketError::ClosedInData);
        if (n < 0) {
            WaitForData();
            continue;
        }
        const qsizetype used = unstuffer.Decode(chunk.constData(), n, plain);
        ReceiveSome(chunk.data(), int(used), TrkReceiveMode::Take);
        stream.Write(plain);
        stored += plain.size();
        counter->Start();
    }
    StopAndCheck();
}
