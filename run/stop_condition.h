// When a run has answered its question: at the first extinction, when the
// population reaches or falls to a number, or at a frame. Judged from a
// frame's figures alone, so that the runner, the sweep's reading of a run's
// CSV and any other host of the world stop at the same frame.
#pragma once

#include <cstdint>
#include <string>

#include "run/world_figures.h"

enum class StopKind { never, extinction, populationAtLeast, populationAtMost, frame };

struct StopCondition {
    StopKind kind = StopKind::never;
    int64_t value = 0;  // the population or the frame
};

// "extinction", "population>=N", "population<=N" or "frame=N". False with
// `error` set for anything else.
bool parseStopCondition(const std::string& text, StopCondition& condition, std::string& error);

// The condition as parseStopCondition reads it; "" for never.
std::string stopConditionText(const StopCondition& condition);

// True once the figures of `frame` (0 for the world just built) meet the
// condition. The first frame where it holds is where a run stops: for
// extinction, the first frame without a Vob.
bool stopConditionMet(const StopCondition& condition, int64_t frame, const WorldFigures& figures);
