// Steering the world's generator from tests: seeds that make the next draws
// what a test needs. Free of render code (used by the Windows tests too).
#pragma once

#include <cstdint>

#include "sim/random.h"

// Seeds so that the next nextRandom(random) returns `value` (0..32767), by running
// the step state * 214013 + 2531011 backwards from a state whose bits 16..30
// hold the value.
inline void seedSoNextIs(Random& random, int32_t value)
{
    uint32_t inverse = 1;  // of 214013 modulo 2^32, by Newton's iteration
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - 214013u * inverse;
    const uint32_t next = static_cast<uint32_t>(value) << 16;
    seedRandom(random, (next - 2531011u) * inverse);
}

// Seeds with the first seed from 1 on whose next `count` values all pass
// accept(index, value).
template <typename Accept>
void seedWhere(Random& random, int count, Accept accept)
{
    for (uint32_t seed = 1;; ++seed) {
        seedRandom(random, seed);
        int passed = 0;
        while (passed < count && accept(passed, nextRandom(random)))
            ++passed;
        if (passed == count) {
            seedRandom(random, seed);
            return;
        }
    }
}

// Seeds so that the next `count` values are all at most 30000: every chance
// of the world's rules then comes out "nothing happens" (no turn, no glance,
// no rest gain, no whirl start or speed-up).
inline void seedQuietDraws(Random& random, int count)
{
    seedWhere(random, count, [](int, int32_t value) { return value <= 30000; });
}

// How many values the generator has given since it was in `state`; -1 when
// more than `limit`.
inline int drawsSince(const Random& random, uint32_t state, int limit = 1000)
{
    const uint32_t now = randomState(random);
    for (int n = 0; n <= limit; ++n) {
        if (state == now)
            return n;
        state = state * 214013u + 2531011u;
    }
    return -1;
}
