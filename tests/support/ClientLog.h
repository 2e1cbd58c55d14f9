#pragma once
// The events of a protocol client written to one log, in the order they fire.
// Progress is noted once per run of reports, ending with its last report.
#include "net/session/session.h"

#include <QStringList>
#include <QTimer>

struct TClientLog {
    QStringList log;

    explicit TClientLog(TrkSocket& client)
    {
        client.OnOpen = Note("Open");
        client.OnConnect = Note("Connect");
        client.OnClosing = Note("Closing");
        client.OnClosed = Note("Closed");
        client.OnCancel = Note("Cancel");
        client.OnError = [this](QObject*, QString& msg) { log << QStringLiteral("Error: ") + msg; };
        client.OnProgress = [this](QObject*, int perc, qint64 transferred) {
            const QString entry = QStringLiteral("Progress %1 %2").arg(perc).arg(transferred);
            if (!log.isEmpty() && log.last().startsWith(QLatin1String("Progress")))
                log.last() = entry;
            else
                log << entry;
        };
    }

    std::function<void(QObject*)> Note(const QString& name)
    {
        return [this, name](QObject*) { log << name; };
    }
    std::function<void(QObject*, int)> NoteNum(const QString& name)
    {
        return [this, name](QObject*, int num) { log << name + QLatin1Char(' ') + QString::number(num); };
    }
};

// A user pressing Cancel while the client waits.
inline void CancelSoon(TrkSocket& client, int ms = 50)
{
    QTimer::singleShot(ms, &client, [&client] { client.Cancel(); });
}
