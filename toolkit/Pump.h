#pragma once
// The message pump: letting pending events run during long work, and waiting
// for a flag while the application stays responsive.
#include <QElapsedTimer>
#include <functional>

// Runs every pending event once and returns.
void ProcessMessages();

// Processes events, blocking on the event loop between them (no busy loop),
// until done() holds. Something must post an event or run a timer that makes
// done() true; the caller's own timers (time-outs) are what bound the wait.
void WaitUntil(const std::function<bool()>& done);

// For codecs: pumps at most every few milliseconds of work, so long loops can
// call it per block without paying for an event pass each time.
class TThrottledPump {
public:
    explicit TThrottledPump(int intervalMs = 20) : interval(intervalMs) { clock.start(); }
    void Tick()
    {
        if (clock.elapsed() >= interval) {
            ProcessMessages();
            clock.restart();
        }
    }

private:
    QElapsedTimer clock;
    int interval;
};
