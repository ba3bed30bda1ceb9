// The world's one source of chance: a 15-bit linear congruential generator
// and the rule that turns its output into a range. Every draw of the world
// goes through here in a fixed order, so a seed reproduces a whole run.
#pragma once

#include <cstdint>

// Each world has its own generator, so that worlds side by side draw what
// each would draw alone. The state starts at 1 until seeded.
struct Random {
    uint32_t state = 1;
};

// Device set-up seeds it once per run with the time in seconds.
void seedRandom(Random& random, uint32_t value);

// 0..32767.
int32_t nextRandom(Random& random);

// The generator's state, for replays and for checking how many draws a step made.
uint32_t randomState(const Random& random);

// trunc(hi + (lo - hi) * r) with r = nextRandom() / 32768.0: hi only when the
// generator gives 0, otherwise lo..hi-1 (or hi..lo-1 when lo > hi). One draw.
int32_t randomInRange(Random& random, int32_t lo, int32_t hi);

// Truncation towards zero, saturating at the int32 limits instead of
// wrapping into nonsense when a setting pushes a draw out of range.
int32_t truncToInt32(double value);

// The named draws of the world's rules; each makes exactly one draw.
int32_t chance100(Random& random);        // 1..100
int32_t chance1000(Random& random);       // 1..1000
int32_t chance9000(Random& random);       // 1..9000
int32_t chance15000(Random& random);      // 1..15000
int32_t randomDirection(Random& random);  // 1..7, 8 only when the generator gives 0
int32_t randomGlance(Random& random);     // 2..7, 8 only when the generator gives 0
