#pragma once
// Opening a file with the desktop's program for it. Tests install their own
// opener so that nothing is launched.
#include <QString>
#include <functional>

namespace Shell {
using Opener = std::function<bool(const QString& fileName)>;
bool OpenFile(const QString& fileName);   // false when no program could take it
void SetOpener(Opener opener);            // empty restores the desktop's
}
