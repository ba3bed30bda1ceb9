#include "tests/run/run_world.h"

#include "tests/render/test_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"

void RunWorldTest::SetUp() { ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16)); }

void RunWorldTest::TearDown()
{
    tearDownWorld(world);
    closeHeadlessDisplay(testDisplay);
}

int32_t RunWorldTest::buildWorld(const std::function<void(OptionsRecord&)>& tweak)
{
    if (tweak)
        tweak(world.liveOptions);
    seedRandom(world.random, 1);
    return setUpWorld(world, &testDisplay);
}

void RunWorldTest::buildEmptyWorld(int32_t founders)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.initialVobs = 0;
                  o.whirlCount = 0;
                  o.showCloud = 0;
              }));
    world.liveOptions.initialVobs = founders;
}

void RunWorldTest::doomAllVobs()
{
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next)
        node->entity->setStrength(-1000);
}

void RunWorldTest::runFrames(int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(frameDone, runFrame(world)) << "frame " << i;
}

void RunWorldTest::expectEveryVob(int32_t strength, const Sheet* sheet)
{
    ASSERT_NE(nullptr, world.vobList->head());
    int32_t index = 0;
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next, ++index) {
        EXPECT_EQ(strength, node->entity->strength()) << "Vob " << index;
        EXPECT_EQ(sheet, node->entity->sheet()) << "Vob " << index;
    }
}

namespace runtest {

Surface* blankScreen()
{
    Surface* surface = createSurface(testDisplay.width, testDisplay.height);
    fillSurface(surface, keyColour);
    return surface;
}

const PixelRect& wholeScreen()
{
    static const PixelRect screen = {0, 0, 800, 600};
    return screen;
}

}  // namespace runtest
