#pragma once
// Small toolbar pictures drawn in code, for commands the style has no icon for.
#include <QIcon>

enum class ToolIcon { SendMail, RetrieveMail, Print, Cut, Copy, Paste };

QIcon toolIcon(ToolIcon which);
