#pragma once
// Opening a file with the desktop's program for it. Tests install their own
// opener so that nothing is launched.
#include <QString>
#include <functional>

class QObject;

namespace Shell {
using Opener = std::function<bool(const QString& fileName)>; // false when no program could take it
// failed runs when no program takes the file: at once, or when the desktop's
// opener gives up, which it says only after the call has returned; by then
// only while context still exists.
void OpenFile(const QString& fileName, QObject* context, std::function<void()> failed);
void SetOpener(Opener opener); // empty restores the desktop's
}
