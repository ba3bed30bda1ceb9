// Switching the display's drawing off, or setting the world up without a
// display, must leave the world exactly as it is drawn: animation steps,
// sheets and every counter included.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/render/test_display.h"
#include "render/surface.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

// Which of the world's sheets: the addresses differ from run to run.
int64_t sheetNumber(const World& world, const Sheet* sheet)
{
    const Sheet* sheets[] = {world.vobSheet,     world.weakVobSheet, world.megaVobSheet,
                             world.remainsSheet, world.foodSheet,    world.whirlSheet};
    for (int64_t i = 0; i < 6; ++i)
        if (sheet == sheets[i])
            return i;
    return -1;
}

// Every field of every entity in list order, the lists' counters, the
// countdown and the generator: anything a rule could ever read.
std::string worldState(const World& world)
{
    std::string state =
        std::to_string(randomState(world.random)) + " " + std::to_string(world.rebirthCountdown);
    for (const EntityList* list :
         {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
        state += " |" + std::to_string(list->population()) + "," + std::to_string(list->history()) +
                 "," + std::to_string(list->peak());
        for (const EntityNode* node = list->head(); node != nullptr; node = node->next) {
            const Entity& e = *node->entity;
            for (int64_t value : {sheetNumber(world, e.sheet()),
                                  int64_t(e.animMode()),
                                  int64_t(e.columns()),
                                  int64_t(e.rows()),
                                  int64_t(e.column()),
                                  int64_t(e.row()),
                                  int64_t(e.prevX()),
                                  int64_t(e.prevY()),
                                  int64_t(e.frameTick()),
                                  int64_t(e.frameDelay()),
                                  int64_t(e.alive()),
                                  int64_t(e.x()),
                                  int64_t(e.y()),
                                  int64_t(e.cellWidth()),
                                  int64_t(e.cellHeight()),
                                  int64_t(e.direction()),
                                  int64_t(e.speed()),
                                  int64_t(e.strength()),
                                  int64_t(e.strengthCap()),
                                  int64_t(e.life()),
                                  int64_t(e.steerHold()),
                                  int64_t(e.depositX()),
                                  int64_t(e.depositY())})
                state += " " + std::to_string(value);
        }
    }
    return state;
}

bool backSurfaceHasInk()
{
    if (!beginPixelAccess(testDisplay.primarySurface))
        return false;
    bool ink = false;
    for (int32_t y = 0; y < testDisplay.height && !ink; y += 3)
        for (int32_t x = 0; x < testDisplay.width && !ink; x += 3)
            ink = readPixel(testDisplay.primarySurface, x, y) != 0;
    endPixelAccess(testDisplay.primarySurface);
    return ink;
}

struct Outcome {
    std::vector<std::string> states;
    bool drewSomething = false;
    bool reborn = false;  // an empty world was populated again
};

// Drawn, on a display with its drawing off, or without a display at all
// (the runner's --no-draw), which loads no bitmap.
enum class Drawing { on, off, noDisplay };

Outcome runWorld(const OptionsRecord& record, uint32_t seed, int32_t frames, Drawing drawing)
{
    Outcome outcome;
    EXPECT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    setDisplayDrawing(testDisplay, drawing == Drawing::on);
    World world;
    world.liveOptions = record;
    seedRandom(world.random, seed);
    Display* display = drawing == Drawing::noDisplay ? nullptr : &testDisplay;
    EXPECT_EQ(worldComplete, setUpWorld(world, display));
    EXPECT_EQ(display == nullptr, world.art == nullptr);
    for (int32_t frame = 0; frame < frames; ++frame) {
        const int32_t population = world.vobList->population();
        EXPECT_EQ(frameDone, runFrame(world));
        outcome.reborn = outcome.reborn || (population == 0 && world.vobList->population() > 0);
        outcome.states.push_back(worldState(world));
        outcome.drewSomething = outcome.drewSomething || backSurfaceHasInk();
    }
    tearDownWorld(world);
    closeHeadlessDisplay(testDisplay);
    return outcome;
}

// Numbers over the Vobs, the cloud, and a world short-lived enough to show
// the countdown's text and a rebirth within the run.
TEST(NoDraw, EveryFrameLeavesTheSameWorldWithAndWithoutDrawingOrADisplay)
{
    OptionsRecord dying = presetAlgorithms[0];
    dying.whirlCount = 0;
    dying.initialVobs = 3;
    dying.birthStrength = 60;
    dying.statsMode = 1;
    struct Case {
        const char* what;
        OptionsRecord record;
        uint32_t seed;
        int32_t frames;
    };
    for (const Case& c :
         {Case{"original", presetAlgorithms[0], 1, 400}, Case{"storm", presetAlgorithms[2], 7, 300},
          Case{"green sign", presetAlgorithms[4], 3, 400},
          Case{"dies and is reborn", dying, 5, 700}}) {
        SCOPED_TRACE(c.what);
        Outcome drawn = runWorld(c.record, c.seed, c.frames, Drawing::on);
        EXPECT_TRUE(drawn.drewSomething);
        for (Drawing other : {Drawing::off, Drawing::noDisplay}) {
            Outcome skipped = runWorld(c.record, c.seed, c.frames, other);
            EXPECT_FALSE(skipped.drewSomething);
            EXPECT_EQ(c.record.initialVobs == 3, skipped.reborn);
            ASSERT_EQ(drawn.states.size(), skipped.states.size());
            for (size_t frame = 0; frame < drawn.states.size(); ++frame)
                ASSERT_EQ(drawn.states[frame], skipped.states[frame])
                    << "frame " << frame + 1
                    << (other == Drawing::off ? ", drawing off" : ", no display");
        }
    }
}

}  // namespace
