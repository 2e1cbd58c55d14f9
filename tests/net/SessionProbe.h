#pragma once
// A session under test with every event written to a log, in order.
#include "ClientLog.h"
#include "net/session/session.h"

struct TSessionProbe {
    TrkSocket session;
    TClientLog events{session};
    QStringList& log = events.log;

    explicit TSessionProbe(const QString& server = {}, int timeOut = 60)
    {
        session.SetWinsockLoaded(true);
        session.Server = server;
        session.SetTimeOut(timeOut);
    }

    void OpenAndConnect()
    {
        session.Open();
        session.ConnectSocket();
    }

    // A user pressing Cancel while the next call waits.
    void CancelSoon(int ms = 50) { ::CancelSoon(session, ms); }
};
