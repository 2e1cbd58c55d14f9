#include "mail/store/open_with_program.h"

#include <QProcess>

namespace {

// 1 when the desktop's opener could not be started.
int openWithXdgOpen(const QString& path)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path}) ? 0 : 1;
}

TFileOpener& fileOpener()
{
    static TFileOpener opener = openWithXdgOpen;
    return opener;
}

} // namespace

void SetFileOpener(TFileOpener opener)
{
    fileOpener() = opener ? std::move(opener) : TFileOpener(openWithXdgOpen);
}

int OpenWithAssociatedProgram(const QString& path)
{
    return fileOpener()(path);
}
