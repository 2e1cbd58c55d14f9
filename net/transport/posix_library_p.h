#pragma once
// Shared by the POSIX adaptors behind the socket library table.
#include "net/transport/socket_library.h"

namespace RkPosix {
// The socket library's code for a system errno value ("[10061] ..." for ECONNREFUSED).
quint16 CodeFromErrno(int error);
// What WSAGetLastError reports next.
void SetLastError(int code);
int LastError();

TAsyncHandle AsyncGetHostByName(QObject* window, uint msg, const char* name, char* buf, int buflen);
TAsyncHandle AsyncGetServByName(QObject* window, uint msg, const char* name, const char* proto, char* buf,
                                int buflen);
int CancelAsyncRequest(TAsyncHandle handle);
}
