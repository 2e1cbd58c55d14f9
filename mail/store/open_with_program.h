#pragma once
// Opening a file with the desktop's program for its type. The mail layer
// stays free of the GUI libraries, so this goes through a replaceable opener.
#include <QString>
#include <functional>

// Returns 0 when the program was started, else a non-zero error code.
using TFileOpener = std::function<int(const QString& path)>;

// Installs an opener; an empty one restores the default (xdg-open).
void SetFileOpener(TFileOpener opener);
int OpenWithAssociatedProgram(const QString& path);
