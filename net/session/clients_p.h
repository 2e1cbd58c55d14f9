#pragma once
// What the SMTP and POP3 clients share: the port they connect to when the
// server field names none, and the sending of a line that holds credentials.
#include "net/session/session.h"

#include <QScopeGuard>

#include <algorithm>
#include <span>

struct TSecurityPort {
    TmsSecurity security;
    const char* service;
    quint16 port;
};

// When the client's service and default port are one of the rows, they
// become the row of its security; ones the caller set are left alone.
inline void FollowSecurityPort(TrkSocket& client, std::span<const TSecurityPort> rows)
{
    const auto isStandard = [&](const TSecurityPort& row) {
        return client.ServiceName == row.service && client.DefaultPort == row.port;
    };
    if (std::none_of(rows.begin(), rows.end(), isStandard))
        return;
    for (const TSecurityPort& row : rows)
        if (row.security == client.Security) {
            client.ServiceName = row.service;
            client.DefaultPort = row.port;
        }
}

// The line goes to the server; OnCommand sees `shown` in its place, so no
// log ever holds a password.
inline void SendSecret(TrkSocket& client, const QByteArray& line, const QByteArray& shown)
{
    const TmsLineEvent commandSeen = client.OnCommand;
    {
        const auto restore = qScopeGuard([&] { client.OnCommand = commandSeen; });
        client.OnCommand = nullptr;
        client.SendLine(line);
    }
    if (commandSeen)
        commandSeen(&client, shown);
}
