// Signed 32-bit arithmetic as the world's rules count: divisions truncate
// towards zero. Sums stop at the int32 limits, so that absurd settings from a
// stored record cannot turn a huge meal into a death; a division by zero (a
// sheet that failed to measure) gives 0 instead of stopping the program.
#pragma once

#include <cstdint>
#include <limits>

// The machine's register sum, for the few places that count as it did.
inline int32_t wrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline int32_t wrapSub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The distance of two coordinates by the register difference: beyond 2^31
// apart it wraps negative, and then counts as near.
inline int32_t wrapDistance(int32_t a, int32_t b) { return a > b ? wrapSub(a, b) : wrapSub(b, a); }

inline int32_t saturatingAdd(int32_t a, int32_t b)
{
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (sum < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(sum);
}

inline int32_t quotient(int32_t a, int32_t b)
{
    if (b == 0)
        return 0;
    if (b == -1)
        return static_cast<int32_t>(0u - static_cast<uint32_t>(a));  // INT_MIN / -1 wraps
    return a / b;
}

inline int32_t remainderOf(int32_t a, int32_t b)
{
    if (b == 0 || b == -1)
        return b == 0 ? a : 0;
    return a % b;
}
