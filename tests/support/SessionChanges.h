#pragma once
// Changing some of a session's options or listeners in place, as a test
// often wants one field different from what is already set.
#include "net/session/session.h"

#include <functional>

inline void ChangeOptions(TrkSocket& client, const std::function<void(TrkSessionOptions&)>& change)
{
    TrkSessionOptions options = client.Options();
    change(options);
    client.SetOptions(options);
}

inline void ChangeListeners(TrkSocket& client, const std::function<void(TrkSessionListeners&)>& change)
{
    TrkSessionListeners listeners = client.Listeners();
    change(listeners);
    client.SetListeners(std::move(listeners));
}
