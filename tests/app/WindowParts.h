#pragma once
// Reaching a window's actions and controls by object name, as a user's
// click reaches them: through the menu wiring and the error box.
#include <QAction>
#include <QObject>

// The child of window called name. Without it every later check would fail
// for the same reason, so the run stops here and says which part is missing.
template <class T>
T* partOf(const QObject& window, const char* name)
{
    T* part = window.findChild<T*>(QString::fromLatin1(name));
    if (!part)
        qFatal("%s has no part called %s", qPrintable(window.objectName()), name);
    return part;
}

inline void trigger(const QObject& window, const char* action)
{
    partOf<QAction>(window, action)->trigger();
}
