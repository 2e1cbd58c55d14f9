#pragma once
// The port a mail client connects to when the server field names none: it
// follows the security chosen (a plain port, or the one for implicit TLS).
#include "net/msmb.h"

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
    bool standard = false;
    for (const TSecurityPort& row : rows)
        standard = standard || (client.ServiceName == row.service && client.DefaultPort == row.port);
    for (const TSecurityPort& row : rows)
        if (standard && row.security == client.Security) {
            client.ServiceName = row.service;
            client.DefaultPort = row.port;
        }
}
