#include "run/web/tick_clock.h"

#include <cmath>

int32_t TickClock::ticksDue(double nowMs)
{
    if (!std::isfinite(nowMs))
        return 0;
    if (!started_ || nowMs < nextTickMs_ - periodMs) {
        started_ = true;
        nextTickMs_ = nowMs + periodMs;
        return 0;
    }
    if (nowMs < nextTickMs_)
        return 0;
    const double due = std::floor((nowMs - nextTickMs_) / periodMs) + 1;
    if (due > largestCatchUp) {
        // Too far behind to catch up without a burst: carry on from now.
        nextTickMs_ = nowMs + periodMs;
        return largestCatchUp;
    }
    nextTickMs_ += due * periodMs;
    return static_cast<int32_t>(due);
}
