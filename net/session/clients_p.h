#pragma once
// What the SMTP and POP3 clients share: the port they connect to when the
// server field names none.
#include "net/session/session.h"

#include <algorithm>
#include <span>

struct TSecurityPort {
    TmsSecurity security;
    const char* service;
    quint16 port;
};

// A new client's options: the service and port of the rows' first row,
// which is the one without security.
inline TrkSessionOptions PlainOptions(std::span<const TSecurityPort> rows)
{
    TrkSessionOptions options;
    options.ServiceName = rows.front().service;
    options.DefaultPort = rows.front().port;
    return options;
}

// When the options' service and default port are one of the rows, they
// become the row of their security; ones the caller set are left alone.
inline TrkSessionOptions FollowSecurityPort(TrkSessionOptions options, std::span<const TSecurityPort> rows)
{
    const auto isStandard = [&](const TSecurityPort& row) {
        return options.ServiceName == row.service && options.DefaultPort == row.port;
    };
    if (std::none_of(rows.begin(), rows.end(), isStandard))
        return options;
    for (const TSecurityPort& row : rows)
        if (row.security == options.Security) {
            options.ServiceName = row.service;
            options.DefaultPort = row.port;
        }
    return options;
}
