// The world's one source of chance: a 15-bit linear congruential generator
// and the rule that turns its output into a range. Every draw of the world
// goes through here in a fixed order, so a seed reproduces a whole run.
#pragma once

#include <cstdint>

// Device set-up seeds it once per run with the time in seconds.
void seedRandom(uint32_t value);

// 0..32767. The state starts at 1 until seeded.
int32_t nextRandom();

// The generator's state, for replays and for checking how many draws a step made.
uint32_t randomState();

// trunc(hi + (lo - hi) * r) with r = nextRandom() / 32768.0: hi only when the
// generator gives 0, otherwise lo..hi-1 (or hi..lo-1 when lo > hi). One draw.
int32_t randomInRange(int32_t lo, int32_t hi);

// Truncation towards zero, saturating at the int32 limits instead of
// wrapping into nonsense when a setting pushes a draw out of range.
int32_t truncToInt32(double value);

// The named draws of the world's rules; each makes exactly one draw.
int32_t chance100();        // 1..100
int32_t chance1000();       // 1..1000
int32_t chance9000();       // 1..9000
int32_t chance15000();      // 1..15000
int32_t randomDirection();  // 1..7, 8 only when the generator gives 0
int32_t randomGlance();     // 2..7, 8 only when the generator gives 0
