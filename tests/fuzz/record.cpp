// A stored settings record of any length, read as the saver reads "Options",
// through world set-up and the frame driver on a small headless display.
//
// Speed is what lets the fuzzer try records by the hundred thousand, so every
// input gets a display of at most 64 x 48 and a few frames, and only a world
// that stays small runs on: long enough for the whirls to lay food, the Vobs
// to eat, spawn and die, and an extinct world to be born again.
//
// Every path of set-up that a record decides is reached:
// - a mode the display refuses: the run takes the desktop's mode instead;
// - counts beyond what the pages store: built up to the bound, or until
//   memory runs out;
// - memory that runs out: the machine is small (a world that grows past a
//   few hundred entities runs out), and the world never reads the last four
//   bytes of the algorithm's name: when they are not 0 they choose the
//   allocation from which on memory is exhausted, in set-up or in a frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"
#include "tools/world/runner_options.h"

namespace {

constexpr int32_t fewFrames = 3;
constexpr int32_t mostFrames = 240;
// Ticks an input may spend on frames beyond the first few: a frame costs one
// for each entity and a few of its own (the clearing, the cloud), and a
// frame of mourning, which draws its line of text, about twenty.
constexpr int64_t tickBudget = 1500;
constexpr int64_t ticksOfAFrame = 4, ticksOfMourning = 20;
// Whirls sit still for their first 150 frames. All but the first start
// warmed up, so that food, meals and spawning come within a few frames.
constexpr int32_t warmedUpLife = 151;
// The first extinction is mourned this many frames instead of 200, so that
// worlds dying early reach their rebirth within the few frames.
constexpr int32_t firstCountdown = 2;
// Founders and whirls beyond this, up to what the pages store, cost more
// than they teach: such a count is taken modulo it.
constexpr int32_t mostOfAKind = 80;
// Blocks of the world's memory (an entity takes two) that may be live at
// once; beyond, memory runs out.
constexpr int64_t mostLiveBlocks = 700;
constexpr int32_t widestDisplay = 64, tallestDisplay = 48;
// The desktop's mode, taken when the stored one is refused.
constexpr int32_t desktopWidth = 40, desktopHeight = 30, desktopDepth = 32;
constexpr size_t failureChoiceOffset = offsetof(OptionsRecord, algorithmName) + 40;

bool limiting = false;                  // the limits hold only while the world runs
int64_t allocationsBeforeFailure = -1;  // below 0: no such failure
int64_t liveBlocks = 0;

void* allocate(std::size_t size)
{
    if (limiting) {
        if (allocationsBeforeFailure == 0 || liveBlocks >= mostLiveBlocks)
            throw std::bad_alloc();
        if (allocationsBeforeFailure > 0)
            allocationsBeforeFailure -= 1;
        liveBlocks += 1;
    }
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void release(void* block)
{
    if (block != nullptr && limiting)
        liveBlocks -= 1;
    std::free(block);
}

int64_t chosenFailure(const OptionsRecord& record)
{
    uint32_t choice = 0;
    std::memcpy(&choice, reinterpret_cast<const char*>(&record) + failureChoiceOffset,
                sizeof choice);
    return choice == 0 ? -1 : static_cast<int64_t>((choice - 1) % 4096);
}

void keepCountsSmall(OptionsRecord& record)
{
    for (int32_t* count : {&record.initialVobs, &record.whirlCount}) {
        if (*count > mostOfAKind && *count <= largestStoredCount)
            *count %= mostOfAKind;
    }
}

int64_t ticksOfLastFrame(const World& world)
{
    int64_t ticks = ticksOfAFrame;
    for (const EntityList* list :
         {world.vobList, world.whirlList, world.foodList, world.remainsList})
        ticks += list != nullptr ? list->population() : 0;
    if (world.vobList != nullptr && world.vobList->population() == 0 &&
        world.liveOptions.initialVobs != 0)
        ticks += ticksOfMourning;
    return ticks;
}

// The stored mode shrunk to a small display, or the desktop's when the
// display refuses the stored one.
bool openDisplayFor(const OptionsRecord& record)
{
    std::string refusal;
    if (!checkDisplayMode(record, refusal))
        return openHeadlessDisplay(desktopWidth, desktopHeight, desktopDepth);
    return openHeadlessDisplay(1 + (record.screenWidth - 1) % widestDisplay,
                               1 + (record.screenHeight - 1) % tallestDisplay, record.screenDepth);
}

void warmUpWhirls(World& world)
{
    for (EntityNode* node = world.whirlList->head(); node != nullptr; node = node->next) {
        if (node != world.whirlList->head())
            node->entity->setLife(warmedUpLife);
    }
}

void runFrames(World& world)
{
    int64_t ticks = 0;
    for (int32_t frame = 0; frame < mostFrames && (frame < fewFrames || ticks < tickBudget);
         ++frame) {
        // A strength reset early and one later, as F12 would ask.
        world.strengthResetRequested = frame == 2 || frame == 170 ? 1 : 0;
        if (runFrame(world) != frameDone)
            return;
        ticks += ticksOfLastFrame(world);
    }
}

void runRecord(const OptionsRecord& record, int64_t failure)
{
    World world;
    world.liveOptions = record;
    if (!openDisplayFor(record))
        __builtin_trap();
    seedRandom(world.random, 1);
    allocationsBeforeFailure = failure;
    liveBlocks = 0;
    limiting = true;
    if (setUpWorld(world) == worldComplete) {
        world.rebirthCountdown = firstCountdown;
        warmUpWhirls(world);
        runFrames(world);
    }
    limiting = false;
    tearDownWorld(world);
    closeHeadlessDisplay();
}

}  // namespace

// Every form that frees with the plain delete, libFuzzer's own included.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }

// The drawing backend keeps what it decodes for the process: one world of
// each depth first, so that every input meets the same allocations.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (int32_t depth : {16, 32}) {
        OptionsRecord record = presetAlgorithms[0];
        record.screenDepth = depth;
        runRecord(record, -1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The store's rule: a shorter value fills only the first bytes over the
    // defaults; a longer one is not read at all.
    OptionsRecord record = presetAlgorithms[0];
    if (size <= sizeof record)
        std::memcpy(&record, data, size);
    const int64_t failure = chosenFailure(record);
    keepCountsSmall(record);
    runRecord(record, failure);
    return 0;
}
