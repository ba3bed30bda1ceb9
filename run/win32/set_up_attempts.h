// How a full-screen run goes on after each attempt to set up its devices:
// whether a tick may start one, which display mode it asks for, and when the
// run stops trying. One state for the run; its transitions are all in
// set_up_attempts.cpp.
#pragma once

#include <cstdint>

// Why an attempt failed.
enum class SetUpFailure { none, mode, other, interrupted, outOfMemory };

enum class SetUpPhase {
    ready,       // the next tick may start an attempt
    attempting,  // an attempt runs or its box is open; the box's own loop keeps
                 // delivering ticks, and they must not start a second one
    closing,     // the user stopped the loading screen; the run asked to close
    givenUp,     // failed for good; after its box the run asked to close
};

class SetUpAttempts {
public:
    // ready -> attempting. False in any other phase: one attempt at a time,
    // and none once the run is closing or has given up (on the Windows 95
    // family the close may wait behind the password dialog for a while).
    bool begin();
    // attempting -> ready; the caller goes on to its frames.
    void succeeded();
    // attempting -> closing, given up, or still attempting while its box is
    // shown; returns the new phase.
    SetUpPhase failed(SetUpFailure failure);
    // The box was closed: attempting -> ready. Closing and given up stay.
    void reported();

    // Set once the configured mode has been refused: later attempts take the
    // desktop's own mode, which the display certainly offers.
    bool desktopMode() const { return desktopMode_; }

private:
    SetUpPhase phase_ = SetUpPhase::ready;
    int32_t failures_ = 0;
    bool desktopMode_ = false;
};

// The attempts of this process's run; a new window starts them afresh
// (resetSaverRun).
extern SetUpAttempts setUpAttempts;
