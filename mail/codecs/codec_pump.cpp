#include "mail/codecs/codec_pump_p.h"

#include "toolkit/Pump.h"

namespace {

// Reading the clock costs about as much as coding a short line, so it is
// consulted only after this much work.
constexpr qsizetype bytesBetweenChecks = 64 * 1024;

} // namespace

void CodecWorkDone(qsizetype bytes)
{
    static TThrottledPump pump;
    static qsizetype pending = 0;
    pending += bytes + 1; // empty lines are work too
    if (pending >= bytesBetweenChecks) {
        pending = 0;
        pump.Tick();
    }
}
