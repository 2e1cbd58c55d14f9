#pragma once
// A session under test with every event written to a log, in order.
#include "ClientLog.h"
#include "TestTransport.h"

// A session whose protocol steps a test calls itself, as a client would.
class TTestSession : public TrkSocket {
public:
    explicit TTestSession(std::unique_ptr<TrkTransport> transport = std::make_unique<TrkPosixTransport>())
        : TrkSocket(std::move(transport), nullptr)
    {
    }
    using TrkSocket::ConnectSocket;
    using TrkSocket::ReadLine;
    using TrkSocket::ReadReply;
    using TrkSocket::ReceiveStream;
    using TrkSocket::ReplyCode;
    using TrkSocket::SendLine;
    using TrkSocket::SendStream;
    using TrkSocket::StartTls;
};

struct TSessionProbe {
    TTestSession session;
    TClientLog events{session};
    QStringList& log = events.log;

    explicit TSessionProbe(const QString& server = {}, int timeOut = 60,
                           std::unique_ptr<TrkTransport> transport = std::make_unique<TrkPosixTransport>())
        : session(std::move(transport))
    {
        ChangeOptions(session, [&](TrkSessionOptions& options) {
            options.Server = server;
            options.TimeOut = timeOut;
        });
    }

    void OpenAndConnect()
    {
        session.Open();
        session.ConnectSocket();
    }

    // A user pressing Cancel while the next call waits.
    void CancelSoon(int ms = 50) { ::CancelSoon(session, ms); }
};
