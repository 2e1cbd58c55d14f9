#include "net/session/events.h"

#include <QTimer>

TTimeCounter::TTimeCounter(QObject* owner) : QObject(owner), timer(new QTimer(this))
{
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, &TTimeCounter::Tick);
}

void TTimeCounter::Start()
{
    remaining = timeOut;
    if (!timer->isActive())
        timer->start();
}

void TTimeCounter::Stop()
{
    timer->stop();
}

void TTimeCounter::Tick()
{
    if (--remaining <= 0)
        expired = true;
}
