#include "sim/random.h"

#include <cmath>
#include <limits>

void seedRandom(Random& random, uint32_t value) { random.state = value; }

int32_t nextRandom(Random& random)
{
    random.state = random.state * 214013u + 2531011u;
    return static_cast<int32_t>((random.state >> 16) & 0x7FFF);
}

uint32_t randomState(const Random& random) { return random.state; }

int32_t truncToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);  // the cast truncates towards zero
}

int32_t randomInRange(Random& random, int32_t lo, int32_t hi)
{
    const double r = nextRandom(random) / 32768.0;
    // The difference in double: lo - hi can overflow int32 for extreme settings.
    return truncToInt32(hi + (static_cast<double>(lo) - hi) * r);
}

int32_t chance100(Random& random) { return randomInRange(random, 1, 100); }
int32_t chance1000(Random& random) { return randomInRange(random, 1, 1000); }
int32_t chance9000(Random& random) { return randomInRange(random, 1, 9000); }
int32_t chance15000(Random& random) { return randomInRange(random, 1, 15000); }
int32_t randomDirection(Random& random) { return randomInRange(random, 1, 8); }
int32_t randomGlance(Random& random) { return randomInRange(random, 2, 8); }
