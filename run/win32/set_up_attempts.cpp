// The set-up policy of a full-screen run, in one place.

#include "run/win32/set_up_attempts.h"

SetUpAttempts setUpAttempts;

namespace {

// A user who cannot get past failing set-ups would be trapped behind their
// boxes; after this many the saver gives up and ends.
constexpr int32_t maxSetUpAttempts = 3;

}  // namespace

bool SetUpAttempts::begin()
{
    if (phase_ != SetUpPhase::ready)
        return false;
    phase_ = SetUpPhase::attempting;
    return true;
}

void SetUpAttempts::succeeded() { phase_ = SetUpPhase::ready; }

SetUpPhase SetUpAttempts::failed(SetUpFailure failure)
{
    if (failure == SetUpFailure::interrupted) {
        // They want the saver gone: no box, no other attempt.
        phase_ = SetUpPhase::closing;
        return phase_;
    }
    // The same record would run out of memory again, and the desktop's own
    // mode is the last one there is to try.
    if (failure == SetUpFailure::outOfMemory || desktopMode_ || ++failures_ >= maxSetUpAttempts)
        phase_ = SetUpPhase::givenUp;
    if (failure == SetUpFailure::mode)
        desktopMode_ = true;
    return phase_;
}

void SetUpAttempts::reported()
{
    if (phase_ == SetUpPhase::attempting)
        phase_ = SetUpPhase::ready;
}
