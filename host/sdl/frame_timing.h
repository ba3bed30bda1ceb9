// The clocks and the spread of the native benches: the Linux saver's -bench
// and the runner's --bench time their frames with these.
#pragma once

#include <cstdint>

// The steady clock, in milliseconds from an arbitrary start.
double steadyMs();
// This thread's processor time: unlike the wall clock it leaves out the time
// other programs held the processor, which on a busy machine is most of a
// slow frame.
double processorMs();

// One figure of a frame over many frames.
struct TimeSpread {
    int64_t count = 0;
    double totalMs = 0;
    double minMs = 0;
    double maxMs = 0;
    int64_t over5Ms = 0;  // frames over 5 ms, half the budget of a 10 ms tick

    void add(double ms);
    double meanMs() const;
};
