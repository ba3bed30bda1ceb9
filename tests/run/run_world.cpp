#include "tests/run/run_world.h"

#include "tests/render/test_display.h"
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

void RunWorldTest::expectEveryVob(int32_t strength, const SpriteSheet* sheet)
{
    ASSERT_NE(nullptr, vobList->head());
    int32_t index = 0;
    for (EntityNode* node = vobList->head(); node != nullptr; node = node->next, ++index) {
        EXPECT_EQ(strength, node->entity->strength()) << "Vob " << index;
        EXPECT_EQ(sheet, node->entity->sheet()) << "Vob " << index;
    }
}

namespace runtest {

Surface* blankScreen()
{
    Surface* surface = createSurface(displayWidth, displayHeight);
    fillSurface(surface, keyColour);
    return surface;
}

const PixelRect& wholeScreen()
{
    static const PixelRect screen = {0, 0, 800, 600};
    return screen;
}

}  // namespace runtest
