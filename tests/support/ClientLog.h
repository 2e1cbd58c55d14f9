#pragma once
// The events of a protocol client written to one log, in the order they fire.
// Progress is noted once per run of reports, ending with its last report.
#include "SessionChanges.h"

#include <QStringList>
#include <QTimer>

struct TClientLog {
    QStringList log;

    explicit TClientLog(TrkSocket& client)
    {
        ChangeListeners(client, [this](TrkSessionListeners& listeners) {
            listeners.OnOpen = Note("Open");
            listeners.OnConnect = Note("Connect");
            listeners.OnClosing = Note("Closing");
            listeners.OnClosed = Note("Closed");
            listeners.OnCancel = Note("Cancel");
            listeners.OnError = [this](QObject*, QString& msg) { log << QStringLiteral("Error: ") + msg; };
            listeners.OnProgress = [this](QObject*, int perc, qint64 transferred) {
                const QString entry = QStringLiteral("Progress %1 %2").arg(perc).arg(transferred);
                if (!log.isEmpty() && log.last().startsWith(QLatin1String("Progress")))
                    log.last() = entry;
                else
                    log << entry;
            };
        });
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
