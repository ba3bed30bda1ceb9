// The page's world clock: a tick every 10 ms of time measured by the page's
// clock, however often the browser draws (60, 120, 144 Hz or an uneven
// rate), with a bounded catch-up after a gap such as a hidden tab.
#pragma once

#include <cstdint>

class TickClock {
public:
    static constexpr double periodMs = 10.0;
    // Ticks run at most at one reading; the rest of a longer gap is dropped.
    static constexpr int32_t largestCatchUp = 10;

    // The next reading starts the count again and runs no tick.
    void restart() { started_ = false; }
    // The ticks due at `nowMs`: those whose time has come since the last
    // reading. A clock that goes back starts the count again.
    int32_t ticksDue(double nowMs);

private:
    bool started_ = false;
    double nextTickMs_ = 0;
};
