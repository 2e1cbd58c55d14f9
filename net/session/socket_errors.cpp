#include "net/session/socket_errors_p.h"

#include <QHash>

namespace SocketError {

namespace {

const QHash<quint16, const char*>& texts()
{
    static const QHash<quint16, const char*> table = {
        {57002, "Server property is required"},
        {57003, "Invalid Winsock version"},
        {57004, "Error resolving remote host"},
        {57005, "Service name is required"},
        {57006, "Host name is longer than 127 characters"},
        {57007, "Service name is longer than 63 characters"},
        {57008, "You have to connect to the server first"},
        {57009, "Reply line is longer than 65536 bytes"},
        {57010, "Command line must not contain CR or LF"},
        {57011, "Connection closed by the server before the end of the data"},
        {57012, "Connection closed by the server during %1"},
        {57013, "TLS handshake with %1 failed: %2"},
        {57014, "TLS connection with %1 failed: %2"},
        {57015,
         "The server's reply is longer than 10000 lines or 1048576 bytes: the server setting may name a "
         "server of another kind, or the server is failing"},
        {57102, "MailMessage property must be assigned"},
        {57103, "UserName property is required"},
        {57104, "Password property is required"},
        {10004, "[10004] Interrupted function call"},
        {10009, "[10009] Bad file number"},
        {10013, "[10013] Permission denied."},
        {10014, "[10014] Bad address"},
        {10022, "[10022] Invalid argument"},
        {10024, "[10024] Too many open files"},
        {10035, "[10035] Resource temporarily not available"},
        {10036, "[10036] Operation now in progress"},
        {10037, "[10037] Operation already in progress"},
        {10038, "[10038] Socket operation on non-socket"},
        {10039, "[10039] Destination address required"},
        {10040, "[10040] Message too long"},
        {10041, "[10041] Protocol wrong type for socket"},
        {10042, "[10042] Bad protocol option"},
        {10043, "[10043] Protocol not supported"},
        {10044, "[10044] Socket type not supported"},
        {10045, "[10045] Operation not supported"},
        {10046, "[10046] Protocol family not supported"},
        {10047, "[10047] Address family not supported by protocol family"},
        {10048, "[10048] Address already in use"},
        {10049, "[10049] Cannot assign requested address"},
        {10050, "[10050] Network is down"},
        {10051, "[10051] Network is unreachable"},
        {10052, "[10052] Network dropped connection or reset"},
        {10053, "[10053] Software caused connection abort"},
        {10054, "[10054] Connection reset by peer"},
        {10055, "[10055] No buffer space available"},
        {10056, "[10056] Socket is already connected"},
        {10057, "[10057] Socket is not connected"},
        {10058, "[10058] Can't send after socket shutdown"},
        {10059, "[10059] Too many references, can't splice"},
        {10060, "[10060] Connection timed out"},
        {10061, "[10061] Connection refused"},
        {10062, "[10062] Too many levels of symbolic links"},
        {10063, "[10063] File name too long"},
        {10064, "[10064] Host is down"},
        {10065, "[10065] No Route to Host"},
        {10066, "[10066] Directory not empty"},
        {10067, "[10067] Too many processes"},
        {10068, "[10068] Too many users"},
        {10069, "[10069] Disc Quota Exceeded"},
        {10070, "[10070] Stale NFS file handle"},
        {10071, "[10071] Too many levels of remote in path"},
        {10091, "[10091] Network subsystem is unavailable"},
        {10092, "[10092] WINSOCK DLL Version out of range"},
        {10093, "[10093] Successful WSAStartup() not yet performed"},
        {10094, "[10094] Graceful shutdown in progress"},
        {11001, "[11001] Host not found"},
        {11002, "[11002] Non-Authoritative Host not found"},
        {11003, "[11003] Non-Recoverable errors: FORMERR, REFUSED, NOTIMP"},
        {11004, "[11004] Valid name, no data record of requested type"},
    };
    return table;
}

}

QString Text(quint16 code)
{
    const char* text = texts().value(code);
    return text ? QString::fromLatin1(text) : QStringLiteral("Error #%1").arg(code);
}

}
