#pragma once
// The socket error numbers the session's messages show, for system errno values.
#include <QtGlobal>

namespace PosixErrors {
// "[10061] ..." for ECONNREFUSED; a failure the table does not know is 10107.
quint16 SocketErrorCode(int error);
// The name look-up failures: no such host, and a name without an address.
constexpr quint16 HostNotFound = 11001;
constexpr quint16 LookupFailed = 11003;
constexpr quint16 NoAddress = 11004;
}
