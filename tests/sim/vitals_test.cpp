#include <gtest/gtest.h>

#include "render/display.h"
#include "render/glyph_font.h"
#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

namespace {

// The numbers above a Vob, compared with what the vitals font draws for the
// expected numbers on a surface of their own.
class VitalsTest : public SimWorld {
protected:
    void SetUp() override
    {
        SimWorld::SetUp();
        art->vitalsFont = new GlyphFont("Arial", 11, 600);
        ASSERT_GT(art->vitalsFont->cellHeight(), 0);
        expected = createSurface(800, 600);
        ASSERT_NE(expected, nullptr);
    }

    void TearDown() override
    {
        releaseSurface(expected);
        delete art->vitalsFont;
        art->vitalsFont = nullptr;
        SimWorld::TearDown();
    }

    // A still Vob at (400, 300) ticked once with quiet draws.
    Entity* tickStillVob(int32_t strength)
    {
        world.vobList->clear();
        fillSurface(testDisplay.backSurface, keyColour);
        Entity* vob = addVob(400, 300, strength);
        tickFirstVob();
        return vob;
    }

    // The band of 30 rows above the Vob, as the expected numbers draw it.
    bool bandShows(const Entity& vob, int32_t upper, int32_t lower, bool withUpper, bool withLower)
    {
        fillSurface(expected, keyColour);
        if (withUpper)
            art->vitalsFont->drawNumber(expected, upper, vob.x(), vob.y() - 30, 1);
        if (withLower)
            art->vitalsFont->drawNumber(expected, lower, vob.x(), vob.y() - 15, 1);
        const PixelRect band = {vob.x() - 2, vob.y() - 30, vob.x() + 60, vob.y()};
        return differingPixels(testDisplay.backSurface, expected, band) == 0 &&
               (litPixels(testDisplay.backSurface, band) > 0) == (withUpper || withLower);
    }

    Surface* expected = nullptr;
};

}  // namespace

TEST_F(VitalsTest, ShownNumbersFollowTheStatsModeAndLife)
{
    // Strength above life (life 0: a still Vob that has not eaten), or
    // strength alone in the lower line.
    const struct {
        const char* name;
        int32_t statsMode, includeLife, strength;
        bool withUpper, withLower;
        int32_t upper, lower;
    } cases[] = {
        {"always, strength above life", 1, 1, 2345, true, true, 2345, 0},
        {"always, strength only", 1, 0, 789, false, true, 0, 789},
        {"never", 0, 1, 789, false, false, 0, 0},
        {"near death, above the green level", 2, 0, 101, false, false, 0, 0},
        {"near death, at the green level", 2, 0, 100, false, true, 0, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        world.liveOptions.statsMode = c.statsMode;
        world.liveOptions.includeLife = c.includeLife;
        Entity* vob = tickStillVob(c.strength);
        EXPECT_TRUE(bandShows(*vob, c.upper, c.lower, c.withUpper, c.withLower));
    }
}

TEST_F(VitalsTest, TheSpawningMealShowsLifeZero)
{
    world.liveOptions.statsMode = 1;
    world.liveOptions.includeLife = 1;
    world.liveOptions.spawnLevel = 3;
    Entity* vob = addVob(100, 100, 200);
    for (int meal = 1; meal <= 3; ++meal) {
        fillSurface(testDisplay.backSurface, keyColour);
        addFoodAround(*vob, 0, 0, 10);
        tickFirstVob();
    }
    EXPECT_EQ(vob->life(), 0);
    EXPECT_TRUE(bandShows(*vob, 230, 0, true, true));
}
