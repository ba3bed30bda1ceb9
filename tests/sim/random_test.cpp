#include <gtest/gtest.h>

#include <limits>

#include "sim/random.h"
#include "tests/sim/seed_helper.h"

TEST(RandomGenerator, FirstValuesOfSeedOne)
{
    Random random;
    seedRandom(random, 1);
    EXPECT_EQ(nextRandom(random), 41);
    EXPECT_EQ(nextRandom(random), 18467);
    EXPECT_EQ(nextRandom(random), 6334);
}

TEST(RandomGenerator, SameSeedGivesSameSequenceAndValuesStayIn15Bits)
{
    Random random;
    seedRandom(random, 987654321u);
    int32_t first[200];
    for (int32_t& v : first) {
        v = nextRandom(random);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
    seedRandom(random, 987654321u);
    for (int32_t v : first)
        EXPECT_EQ(nextRandom(random), v);
}

TEST(RandomGenerator, TestSeedsLandOnTheRequestedValues)
{
    Random random;
    // The helpers the other tests rely on.
    for (int32_t value : {0, 1, 12345, 32767}) {
        seedSoNextIs(random, value);
        EXPECT_EQ(nextRandom(random), value);
    }
    seedQuietDraws(random, 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_LE(nextRandom(random), 30000);
}

TEST(RandomRange, EveryDrawConsumesExactlyOneValue)
{
    Random random;
    seedRandom(random, 77);
    nextRandom(random);
    const uint32_t afterOne = randomState(random);

    seedRandom(random, 77);
    EXPECT_EQ(randomInRange(random, 1, 1), 1);
    EXPECT_EQ(randomState(random), afterOne);

    using Draw = int32_t (*)(Random&);
    for (Draw draw :
         {chance100, chance1000, chance9000, chance15000, randomDirection, randomGlance}) {
        seedRandom(random, 77);
        draw(random);
        EXPECT_EQ(randomState(random), afterOne);
    }
}

TEST(RandomRange, ResultsForChosenGeneratorValues)
{
    Random random;
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    const struct {
        const char* name;
        int32_t lo, hi, value, expected;
    } cases[] = {
        {"a single-value range is always that value", 1, 1, 0, 1},
        {"a single-value range is always that value", 1, 1, 1, 1},
        {"a single-value range is always that value", 1, 1, 32767, 1},
        // randomInRange(random, 1, 0) is how a birth strength of 0 is drawn: always 0.
        {"a reversed range 1..0 is always 0", 1, 0, 0, 0},
        {"a reversed range 1..0 is always 0", 1, 0, 1, 0},
        {"a reversed range 1..0 is always 0", 1, 0, 16384, 0},
        {"a reversed range 1..0 is always 0", 1, 0, 32767, 0},
        {"a reversed range runs from hi", 10, 2, 0, 2},
        {"a reversed range runs up to below lo", 10, 2, 32767, 9},
        // 0 + (-3 - 0) * 0.5 = -1.5 must become -1, not -2.
        {"negative results truncate towards zero", -3, 0, 16384, -1},
        // min + (max - min) * 32767/32768, a fraction above 2^31 - 2^17 - 1.
        {"extreme bounds do not overflow", max, min, 32767, 2147352575},
        {"extreme bounds do not overflow", max, min, 0, min},
    };
    for (const auto& c : cases) {
        seedSoNextIs(random, c.value);
        EXPECT_EQ(randomInRange(random, c.lo, c.hi), c.expected)
            << c.name << ": " << c.lo << ".." << c.hi << " at " << c.value;
    }
}

TEST(RandomRange, NamedDrawsCoverTheirRanges)
{
    Random random;
    struct Case {
        int32_t (*draw)(Random&);
        int32_t lowest;       // for generator value 32767
        int32_t highest;      // for generator value 0
        int32_t nextHighest;  // for generator value 1
    };
    const Case cases[] = {
        {chance100, 1, 100, 99},        {chance1000, 1, 1000, 999}, {chance9000, 1, 9000, 8999},
        {chance15000, 1, 15000, 14999}, {randomDirection, 1, 8, 7}, {randomGlance, 2, 8, 7},
    };
    for (const Case& c : cases) {
        seedSoNextIs(random, 32767);
        EXPECT_EQ(c.draw(random), c.lowest);
        seedSoNextIs(random, 0);
        EXPECT_EQ(c.draw(random), c.highest);
        seedSoNextIs(random, 1);
        EXPECT_EQ(c.draw(random), c.nextHighest);
    }
}

TEST(RandomRange, TruncationSaturatesOutsideInt32)
{
    EXPECT_EQ(truncToInt32(2.9), 2);
    EXPECT_EQ(truncToInt32(-2.9), -2);
    EXPECT_EQ(truncToInt32(3e9), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(truncToInt32(-3e9), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(truncToInt32(-2147483648.5), std::numeric_limits<int32_t>::min());
}
