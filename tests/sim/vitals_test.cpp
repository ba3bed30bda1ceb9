#include <gtest/gtest.h>

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sdl/headless_display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/sim/seed_helper.h"
#include "tests/sim/sim_world.h"

namespace {

// The numbers above a Vob, compared with what the vitals font draws for the
// expected numbers on a surface of their own.
class VitalsTest : public SimWorld {
protected:
    void SetUp() override
    {
        SimWorld::SetUp();
        vitalsFont = new GlyphFont("Arial", 11, 600);
        ASSERT_GT(vitalsFont->cellHeight(), 0);
        expected = createSurface(800, 600);
        ASSERT_NE(expected, nullptr);
    }

    void TearDown() override
    {
        releaseSurface(expected);
        delete vitalsFont;
        vitalsFont = nullptr;
        SimWorld::TearDown();
    }

    // A still Vob at (400, 300) ticked once with quiet draws.
    Entity* tickStillVob(int32_t strength)
    {
        vobList->clear();
        fillSurface(backSurface, keyColour);
        Entity* vob = addVob(400, 300, strength);
        seedQuietDraws(8);
        tickVob(vobList->head());
        return vob;
    }

    // The band of 30 rows above the Vob, as the expected numbers draw it.
    bool bandShows(const Entity& vob, int32_t upper, int32_t lower, bool withUpper, bool withLower)
    {
        fillSurface(expected, keyColour);
        if (withUpper)
            vitalsFont->drawNumber(expected, upper, vob.x(), vob.y() - 30, 1);
        if (withLower)
            vitalsFont->drawNumber(expected, lower, vob.x(), vob.y() - 15, 1);
        bool anything = false;
        for (int32_t y = vob.y() - 30; y < vob.y(); ++y) {
            for (int32_t x = vob.x() - 2; x < vob.x() + 60; ++x) {
                const uint32_t shown = pixelAt(backSurface, x, y);
                if (shown != pixelAt(expected, x, y))
                    return false;
                anything = anything || shown != 0;
            }
        }
        return anything == (withUpper || withLower);
    }

    Surface* expected = nullptr;
};

}  // namespace

TEST_F(VitalsTest, StrengthAboveLifeWhenLifeIsIncluded)
{
    liveOptions.statsMode = 1;
    liveOptions.includeLife = 1;
    Entity* vob = tickStillVob(2345);
    vob->setLife(0);
    EXPECT_TRUE(bandShows(*vob, 2345, 0, true, true));
}

TEST_F(VitalsTest, OnlyStrengthWithoutLife)
{
    liveOptions.statsMode = 1;
    liveOptions.includeLife = 0;
    Entity* vob = tickStillVob(789);
    EXPECT_TRUE(bandShows(*vob, 0, 789, false, true));
}

TEST_F(VitalsTest, NeverMeansNothingAboveTheVob)
{
    liveOptions.statsMode = 0;
    Entity* vob = tickStillVob(789);
    EXPECT_TRUE(bandShows(*vob, 0, 0, false, false));
}

TEST_F(VitalsTest, NearDeathShowsOnlyAtOrBelowTheGreenLevel)
{
    liveOptions.statsMode = 2;
    liveOptions.includeLife = 0;
    Entity* vob = tickStillVob(101);
    EXPECT_TRUE(bandShows(*vob, 0, 0, false, false));
    vob = tickStillVob(100);
    EXPECT_TRUE(bandShows(*vob, 0, 100, false, true));
}

TEST_F(VitalsTest, TheSpawningMealShowsLifeZero)
{
    liveOptions.statsMode = 1;
    liveOptions.includeLife = 1;
    liveOptions.spawnLevel = 3;
    Entity* vob = addVob(100, 100, 200);
    for (int meal = 1; meal <= 3; ++meal) {
        fillSurface(backSurface, keyColour);
        addFood(vob->centreX() - 3, vob->centreY() - 3, 10);
        seedQuietDraws(8);
        tickVob(vobList->head());
    }
    EXPECT_EQ(vob->life(), 0);
    EXPECT_TRUE(bandShows(*vob, 230, 0, true, true));
}
