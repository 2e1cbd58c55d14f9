#pragma once
// Pictures drawn in code: the program's own, and toolbar pictures for when
// the desktop's icon theme has none.
#include <QIcon>
#include <QPixmap>

enum class ToolIcon { SendMail, RetrieveMail, Print, Cut, Copy, Paste, Exit };

QIcon toolIcon(ToolIcon which);

// The desktop icon theme's picture called themeName, else fallback.
QIcon themedIcon(const char* themeName, const QIcon& fallback);

// A sheet of paper with a pen nib: the window icon and the About box's picture.
QPixmap programPicture(int side);
