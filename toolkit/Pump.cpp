#include "toolkit/Pump.h"

#include <QCoreApplication>
#include <QEventLoop>

void ProcessMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitUntil(const std::function<bool()>& done)
{
    if (!QCoreApplication::instance())
        return; // no event loop: nothing could ever set the flag
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
