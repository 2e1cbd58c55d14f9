#pragma once
// The timing every throughput benchmark shares: the best of several runs.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>

// MB/s of `bytes` for the fastest of `rounds` runs of work.
inline double BestThroughput(qint64 bytes, int rounds, const std::function<void()>& work)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed());
    }
    return double(bytes) / (double(best) / 1e9) / 1e6;
}
