#include "toolkit/gui/Shell.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>

namespace {

Shell::Opener& opener()
{
    static Shell::Opener instance;
    return instance;
}

// xdg-open exits non-zero when it finds no program for the file, and may run
// the program in the foreground, so its end is awaited without blocking. Its
// complaints become the caller's error box rather than text on stderr.
void openWithDesktop(const QString& fileName, QObject* context, std::function<void()> failed)
{
    auto* process = new QProcess(QCoreApplication::instance());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const auto ended = [process, caller = QPointer<QObject>(context), failed](bool opened) {
        process->deleteLater();
        if (!opened && caller)
            failed();
    };
    QObject::connect(process, &QProcess::finished, process, [ended](int code, QProcess::ExitStatus status) {
        ended(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(false);
    });
    process->start(QStringLiteral("xdg-open"), {fileName});
}

} // namespace

void Shell::OpenFile(const QString& fileName, QObject* context, std::function<void()> failed)
{
    if (!opener())
        openWithDesktop(fileName, context, std::move(failed));
    else if (!opener()(fileName))
        failed();
}

void Shell::SetOpener(Opener o)
{
    opener() = std::move(o);
}
