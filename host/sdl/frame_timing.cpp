#include "host/sdl/frame_timing.h"

#include <chrono>
#include <ctime>

double steadyMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

void TimeSpread::add(double ms)
{
    minMs = (count == 0 || ms < minMs) ? ms : minMs;
    maxMs = (count == 0 || ms > maxMs) ? ms : maxMs;
    totalMs += ms;
    over5Ms += ms > 5.0;
    count += 1;
}

double TimeSpread::meanMs() const { return count > 0 ? totalMs / count : 0.0; }
