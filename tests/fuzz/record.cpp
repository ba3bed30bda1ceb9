// A stored settings record of any length, read as the saver reads "Options",
// through world set-up and some frames on a small headless display.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

// Enough frames for the whirls to warm up and lay food (150 frames), while
// a crowded world gets fewer: the budget counts entity ticks.
constexpr int32_t mostFrames = 220;
constexpr int64_t tickBudget = 60000;
// Most mutations of a count make it huge, and building 99999 of a kind
// takes seconds under the sanitizers: the counts are kept small so that
// the fuzzer explores the rules, not the loops. The stored limit itself is
// covered by the tests of set-up.
constexpr int32_t mostEntities = 600;

void keepCostSmall(OptionsRecord& record)
{
    for (int32_t* count : {&record.initialVobs, &record.whirlCount, &record.maxEntities}) {
        if (*count > mostEntities)
            *count = mostEntities + *count % mostEntities;
    }
}

int64_t entitiesNow()
{
    int64_t count = 0;
    for (const EntityList* list : {vobList, whirlList, foodList, remainsList})
        count += list != nullptr ? list->population() : 0;
    return count;
}

// The display stays small whatever mode the record names; its depth follows
// the record where it can be drawn.
int32_t smallSide(int32_t stored, uint32_t largest)
{
    return static_cast<int32_t>(1 + static_cast<uint32_t>(stored) % largest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The store's rule: a shorter value fills only the first bytes over the
    // defaults; a longer one is not read at all.
    OptionsRecord record = presetAlgorithms[0];
    if (size <= sizeof record)
        std::memcpy(&record, data, size);
    keepCostSmall(record);
    liveOptions = record;
    rebirthCountdown = rebirthFrames;
    strengthResetRequested = 0;

    int32_t depth = record.screenDepth == 32 ? 32 : 16;
    if (!openHeadlessDisplay(smallSide(record.screenWidth, 320),
                             smallSide(record.screenHeight, 240), depth))
        __builtin_trap();
    seedRandom(1);
    if (setUpWorld() == worldComplete) {
        int64_t ticks = 0;
        for (int32_t frame = 0; frame < mostFrames && ticks < tickBudget; ++frame) {
            // One strength reset along the way, as F12 would ask.
            strengthResetRequested = frame == 170 ? 1 : 0;
            if (runFrame() != frameDone)
                break;
            ticks += entitiesNow() + 1;
        }
    }
    tearDownWorld();
    closeHeadlessDisplay();
    return 0;
}
