#include "tests/run/run_world.h"

#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"

void RunWorldTest::SetUp()
{
    ASSERT_TRUE(openHeadlessDisplay(800, 600, 16));
    liveOptions = presetAlgorithms[0];
    rebirthCountdown = rebirthFrames;
    strengthResetRequested = 0;
}

void RunWorldTest::TearDown()
{
    tearDownWorld();
    closeHeadlessDisplay();
    liveOptions = presetAlgorithms[0];
    rebirthCountdown = rebirthFrames;
    strengthResetRequested = 0;
}

int32_t RunWorldTest::buildWorld(const std::function<void(OptionsRecord&)>& tweak)
{
    if (tweak)
        tweak(liveOptions);
    seedRandom(1);
    return setUpWorld();
}

void RunWorldTest::buildEmptyWorld(int32_t founders)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.initialVobs = 0;
                  o.whirlCount = 0;
                  o.showCloud = 0;
              }));
    liveOptions.initialVobs = founders;
}

void RunWorldTest::doomAllVobs()
{
    for (EntityNode* node = vobList->head(); node != nullptr; node = node->next)
        node->entity->setStrength(-1000);
}

void RunWorldTest::runFrames(int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(frameDone, runFrame()) << "frame " << i;
}

namespace runtest {

Surface* blankScreen()
{
    Surface* surface = createSurface(displayWidth, displayHeight);
    fillSurface(surface, keyColour);
    return surface;
}

int32_t differingPixels(Surface* a, Surface* b, const PixelRect& area)
{
    int32_t differing = 0;
    beginPixelAccess(a);
    beginPixelAccess(b);
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            differing += readPixel(a, x, y) != readPixel(b, x, y) ? 1 : 0;
    endPixelAccess(b);
    endPixelAccess(a);
    return differing;
}

int32_t litPixels(Surface* surface, const PixelRect& area)
{
    int32_t lit = 0;
    beginPixelAccess(surface);
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            lit += readPixel(surface, x, y) != keyColour ? 1 : 0;
    endPixelAccess(surface);
    return lit;
}

const PixelRect& wholeScreen()
{
    static const PixelRect screen = {0, 0, 800, 600};
    return screen;
}

}  // namespace runtest
