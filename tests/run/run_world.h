// The real world on an 800 x 600 x 16 headless display, for the tests of
// world set-up and the frame driver: the program's own bitmaps and fonts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "render/surface.h"
#include "settings/options_record.h"
#include "sim/world.h"
#include "tests/sim/surface_probe.h"

class EntityList;
class SpriteSheet;

class RunWorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Default settings, then `tweak`, then the seed and setUpWorld; its result.
    int32_t buildWorld(const std::function<void(OptionsRecord&)>& tweak = {});
    // A world without Vobs, whirls or cloud whose rebirths make `founders`.
    void buildEmptyWorld(int32_t founders);
    // Every Vob dies on its next tick.
    void doomAllVobs();
    // `count` frames, each expected to end normally.
    void runFrames(int32_t count);
    // Every Vob has `strength` and shows `sheet`; there is at least one.
    void expectEveryVob(int32_t strength, const Sheet* sheet);

    World world;
};

namespace runtest {

// A black surface of the display's size and format.
Surface* blankScreen();
const PixelRect& wholeScreen();

}  // namespace runtest
