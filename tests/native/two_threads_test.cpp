// Two worlds at once, in two threads, each on a display of its own, go frame
// for frame and pixel for pixel as each goes alone: a world and its display
// share nothing with another. The sanitizer stage runs this under
// ThreadSanitizer too (tovrine_thread_tests), which reports any memory both
// threads touch without an order between them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "render/memory/memory_surface.h"
#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_figures.h"
#include "run/world_setup.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

constexpr int32_t framesToRun = 150;
constexpr int32_t strengthResetFrame = 40;

struct WorldCase {
    int32_t preset;
    uint32_t seed;
    int32_t width;
    int32_t height;
    bool pressesF12;
};

// Different records, seeds and sizes: the heavy whirls beside a calm world.
const WorldCase cases[2] = {{0, 11, 320, 240, true}, {2, 5, 400, 300, false}};

struct WorldRun {
    int32_t setUp = -1;
    std::vector<std::string> figures;  // the runner's --stats line of each frame
    std::vector<uint64_t> pictures;    // what each frame showed
};

uint64_t pictureHash(const Surface* surface)
{
    const PixelImage& image = surface->image;
    uint64_t hash = 1469598103934665603u;
    for (int32_t y = 0; y < image.h; ++y) {
        const uint8_t* row = image.pixels + static_cast<ptrdiff_t>(y) * image.pitch;
        for (int32_t x = 0; x < image.w * image.bytesPerPixel; ++x)
            hash = (hash ^ row[x]) * 1099511628211u;
    }
    return hash;
}

void runWorld(Display& display, const WorldCase& c, WorldRun& run)
{
    World world;
    world.liveOptions = presetAlgorithms[c.preset];
    seedRandom(world.random, c.seed);
    run.setUp = setUpWorld(world, &display);
    if (run.setUp != worldComplete)
        return;
    for (int32_t frame = 1; frame <= framesToRun; ++frame) {
        if (c.pressesF12 && frame == strengthResetFrame)
            pressFunctionKey(world, FunctionKey::f12);
        if (runFrame(world) != frameDone)
            return;
        run.figures.push_back(formatWorldFigures(frame, collectWorldFigures(world)));
        run.pictures.push_back(pictureHash(display.primarySurface));
    }
}

TEST(TwoThreads, TwoWorldsAtOnceGoFrameForFrameAndPixelForPixelAsEachAlone)
{
    Display displays[2];
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(openHeadlessDisplay(displays[i], cases[i].width, cases[i].height, 16));
    WorldRun alone[2];
    for (int i = 0; i < 2; ++i)
        runWorld(displays[i], cases[i], alone[i]);

    WorldRun together[2];
    std::thread first(runWorld, std::ref(displays[0]), std::cref(cases[0]), std::ref(together[0]));
    std::thread second(runWorld, std::ref(displays[1]), std::cref(cases[1]), std::ref(together[1]));
    first.join();
    second.join();

    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(worldComplete, alone[i].setUp);
        ASSERT_EQ(static_cast<size_t>(framesToRun), alone[i].figures.size()) << "world " << i;
        EXPECT_EQ(alone[i].setUp, together[i].setUp);
        EXPECT_EQ(alone[i].figures, together[i].figures) << "world " << i;
        EXPECT_EQ(alone[i].pictures, together[i].pictures) << "world " << i;
        closeHeadlessDisplay(displays[i]);
    }
    EXPECT_NE(alone[0].figures.back(), alone[1].figures.back()) << "two different worlds";
}

}  // namespace
