#include "toolkit/gui/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
Shell::Opener& opener()
{
    static Shell::Opener instance;
    return instance;
}
} // namespace

bool Shell::OpenFile(const QString& fileName)
{
    if (opener())
        return opener()(fileName);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

void Shell::SetOpener(Opener o)
{
    opener() = std::move(o);
}
