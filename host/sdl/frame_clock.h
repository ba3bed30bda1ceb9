// The Linux saver's frame clock as arithmetic on microseconds, so that it can
// be driven by a clock other than the real one. The host's loop reads the
// steady clock and waits; this decides when each frame is due.
#pragma once

#include <cstdint>

struct FrameClock {
    int64_t period = 10000;  // from the start of one frame to the next
    int64_t due = 0;         // when the next frame starts
};

// A clock whose first frame is due at once.
FrameClock startFrameClock(int64_t period, int64_t now);

// The frame that was due has ended at `now`: the next one is due one period
// after it was due, a steady tick whatever each frame takes. A late frame
// lets the next start at once, but after a stall (a stopped X server, a
// suspended machine) the missed frames are not run in a burst: at most two
// start at once, then the tick goes on from there.
void frameDone(FrameClock& clock, int64_t now);

// How long to wait at `now` before the next frame; 0 when it is due.
int64_t waitBeforeFrame(const FrameClock& clock, int64_t now);

// When the next picture may be shown: no more pictures than the screen
// shows, however often the world advances. A frame that ends when none is
// due is not shown; a later one shows the world as it is then.
struct PresentClock {
    int64_t period = 16667;  // one refresh of the screen
    int64_t due = 0;         // when the next picture may be shown
};

// A clock for a screen of `hz` refreshes a second (60 when unknown, 0 or
// less), whose first picture is due at once.
PresentClock startPresentClock(int32_t hz, int64_t now);

// Whether the frame that ended at `now` is shown. An eighth of a refresh
// early counts: frames end a little before or after their tick, and a
// picture due on a tick must not wait a whole frame for the next.
bool presentDue(const PresentClock& clock, int64_t now);

// A picture was shown at `now`: the next is due one refresh after this one
// was due, so the pictures keep the screen's rate on average; after a stall,
// half a refresh after `now`, not in a burst.
void presented(PresentClock& clock, int64_t now);
