#pragma once
// Points the socket binding at the system's table with some entries replaced
// or missing, for as long as the object lives.
#include "net/transport/posix_library_p.h"

#include <initializer_list>

class TFakeLibrary {
public:
    TFakeLibrary(std::initializer_list<std::pair<QByteArray, TSocketProc>> replaced,
                 std::initializer_list<QByteArray> missing = {})
        : table(TrkWinsock::SystemLibrary())
    {
        for (const auto& [name, proc] : replaced)
            table.insert(name, proc);
        for (const QByteArray& name : missing)
            table.remove(name);
        TrkWinsock::Instance().UseLibrary(&table);
        TrkWinsock::Instance().Unload();
    }
    ~TFakeLibrary()
    {
        TrkWinsock::Instance().UseLibrary(&TrkWinsock::SystemLibrary());
        TrkWinsock::Instance().Unload();
        TrkWinsock::Instance().Load();
    }

    // Look-ups that never complete and a connect that never finishes.
    static TAsyncHandle NeverHost(QObject*, uint, const char*, char*, int) { return 7; }
    static TAsyncHandle NeverService(QObject*, uint, const char*, const char*, char*, int) { return 8; }
    static int CancelAny(TAsyncHandle) { return 0; }
    static int NeverConnect(TSocket, const sockaddr*, int)
    {
        RkPosix::SetLastError(WSAEWOULDBLOCK);
        return -1;
    }

private:
    TSocketLibrary table;
};
