#pragma once
// A session under test with every event written to a log, in order.
#include "net/msmb.h"

#include <QStringList>
#include <QTimer>

struct TSessionProbe {
    TrkSocket session;
    QStringList log;

    explicit TSessionProbe(const QString& server = {}, int timeOut = 60)
    {
        session.SetWinsockLoaded(true);
        session.Server = server;
        session.SetTimeOut(timeOut);
        auto note = [this](const char* name) { return [this, name](QObject*) { log << QString::fromLatin1(name); }; };
        session.OnOpen = note("Open");
        session.OnConnect = note("Connect");
        session.OnClosing = note("Closing");
        session.OnClosed = note("Closed");
        session.OnCancel = note("Cancel");
        session.OnError = [this](QObject*, QString& msg) { log << QStringLiteral("Error: ") + msg; };
    }

    void OpenAndConnect()
    {
        session.Open();
        session.ConnectSocket();
    }

    // A user pressing Cancel while the next call waits.
    void CancelSoon(int ms = 50)
    {
        QTimer::singleShot(ms, &session, [this] { session.Cancel(); });
    }
};

// Runs a call that must raise Ex and returns the exception's message.
template <class Ex, class Call>
QString FailureOf(Call call)
{
    try {
        call();
    } catch (const Ex& e) {
        return e.Message;
    } catch (const Exception& e) {
        return QStringLiteral("other exception: ") + e.Message;
    }
    return QStringLiteral("no exception");
}
