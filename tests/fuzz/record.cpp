// A stored settings record of any length, read as the saver reads "Options",
// built into a world in memory and run for a few dozen frames on a small
// headless display.
//
// Each input is one World value: nothing of a run outlives it but the
// sheets and fonts it borrowed, which no record changes, so an input costs
// what its world costs and the fuzzer tries records by the thousand a
// second. Mutation goes by field as well as by byte: a field of the record's
// table (settings/record_fields.h) takes its range's ends, a step beyond
// them, 0, the 32-bit extremes or a value within; libFuzzer's own byte
// mutations do the rest. A display of at most 64 x 48 keeps frames cheap,
// and whirls start warmed up and an extinction is mourned briefly, so that
// food, meals, spawning, deaths and rebirths all come within the frames.
//
// Every path of set-up that a record decides is reached:
// - a mode the display refuses: the run takes the desktop's mode instead;
// - counts beyond what the pages store: built up to the bound, or until
//   memory runs out;
// - memory that runs out: every world has the budget of a small machine (a
//   world past a few hundred entities runs out), and the world never reads
//   the last four bytes of the algorithm's name, the input's choice: when
//   its lower 28 bits are not 0 they lower the budget, so that set-up or a
//   frame runs out where the input chooses.
// The choice's top four bits choose the rest of a run: a function key
// pressed now and then (bits 28 and 29: none, F1, F2, F3), the food search
// by walking the list (bit 30), and drawing (bit 31). Drawing onto the
// display costs most of a frame and decides nothing of the world (the
// runner's --no-draw gives the same figures), so it is done only for the
// inputs that ask, so that the sanitizers still see the blits and text of
// fuzzed worlds.
// The four bytes of the name before it, 0 in the presets, are a second
// choice: the user's input that cuts a set-up or the first rebirth short
// (Escape, a mouse button, the mouse moved, or input that cannot be read),
// and a display of the stored mode's own size up to 1280 x 1024, on which
// the whirls start spread out and moving, with a larger memory budget, so
// that their food lies over more than the food index's fewest buckets, and
// the Vobs are set down on the first deposits, so that a clever Vob's search
// around its meal, as wide as the deposit gap, comes within the frames.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "settings/record_fields.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"
#include "tools/world/runner_options.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

constexpr int32_t fewFrames = 3;
constexpr int32_t mostFrames = 40;
// Ticks an input may spend on frames beyond the first few: a frame costs one
// for each entity and a few of its own (the clearing, the cloud), and a
// frame of mourning, which draws its line of text, about twenty.
constexpr int64_t tickBudget = 1200;
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
// A small machine's world: a few hundred entities with their nodes. A wide
// display's holds its food over more than the index's fewest buckets.
constexpr uint64_t smallBudget = 48 * 1024;
constexpr uint64_t wideBudget = 256 * 1024;
constexpr int32_t widestDisplay = 64, tallestDisplay = 48;
// The desktop's mode, taken when the stored one is refused.
constexpr int32_t desktopWidth = 40, desktopHeight = 30, desktopDepth = 32;
constexpr size_t budgetChoiceOffset = offsetof(OptionsRecord, algorithmName) + 40;
constexpr size_t inputChoiceOffset = budgetChoiceOffset - 4;
constexpr int32_t widestWideDisplay = 1280, tallestWideDisplay = 1024;

uint32_t choiceAt(const OptionsRecord& record, size_t offset)
{
    uint32_t choice = 0;
    std::memcpy(&choice, reinterpret_cast<const char*>(&record) + offset, sizeof choice);
    return choice;
}

uint32_t budgetChoice(const OptionsRecord& record) { return choiceAt(record, budgetChoiceOffset); }

// The input choice: its kind (bits 0 to 2, 0 for none), whether it comes at
// the first rebirth rather than at set-up (bit 3), the wide display (bit 4).
enum class UserInput {
    none,
    escape,
    leftButton,
    rightButton,
    middleButton,
    mouseRight,
    mouseDown,
    unreadable
};
constexpr uint32_t inputKindBits = 7;
constexpr uint32_t inputAtRebirthBit = 8;
constexpr uint32_t wideDisplayBit = 16;
constexpr int32_t escapeScanCode = 1;
// Beyond the 5 pixels that set-up and the rebirth let pass.
constexpr int32_t mouseTravel = 6;

void giveInput(uint32_t inputChoice)
{
    switch (static_cast<UserInput>(inputChoice & inputKindBits)) {
    case UserInput::none:
        break;
    case UserInput::escape:
        setKeyState(escapeScanCode, true);
        break;
    case UserInput::leftButton:
    case UserInput::rightButton:
    case UserInput::middleButton:
        setMouseButton(static_cast<int32_t>(inputChoice & inputKindBits) - 2, true);
        break;
    case UserInput::mouseRight:
        setMouseMotion(mouseTravel, 0, 0);
        break;
    case UserInput::mouseDown:
        setMouseMotion(0, mouseTravel, 0);
        break;
    case UserInput::unreadable:
        setInputReadable(false);
        break;
    }
}

// The display is the platform's and outlives the input: its input goes back
// to none.
void takeInputBack()
{
    setKeyState(escapeScanCode, false);
    for (int32_t button = 0; button < 3; ++button)
        setMouseButton(button, false);
    setMouseMotion(0, 0, 0);
    setInputReadable(true);
}

constexpr uint32_t drawingBit = 0x80000000u;
constexpr uint32_t walkFoodBit = 0x40000000u;
constexpr int32_t keyShift = 28;
constexpr uint32_t budgetBits = 0x0FFFFFFFu;

uint64_t memoryBudget(const OptionsRecord& record, bool wide)
{
    const uint64_t budget = wide ? wideBudget : smallBudget;
    const uint32_t choice = budgetChoice(record) & budgetBits;
    return choice == 0 ? budget : 1 + (choice - 1) % budget;
}

void pressChosenKey(World& world, uint32_t choice)
{
    const FunctionKey keys[] = {FunctionKey::f1, FunctionKey::f2, FunctionKey::f3};
    const uint32_t key = (choice >> keyShift) & 3;
    if (key != 0)
        pressFunctionKey(world, keys[key - 1]);
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
// display refuses the stored one. The display is the platform's and stays
// open from input to input while the mode stays the same.
Display fuzzDisplay;

bool openDisplayFor(const OptionsRecord& record)
{
    std::string refusal;
    int32_t width = desktopWidth, height = desktopHeight, depth = desktopDepth;
    if (checkDisplayMode(record, refusal)) {
        const bool wide = (choiceAt(record, inputChoiceOffset) & wideDisplayBit) != 0;
        width = 1 + (record.screenWidth - 1) % (wide ? widestWideDisplay : widestDisplay);
        height = 1 + (record.screenHeight - 1) % (wide ? tallestWideDisplay : tallestDisplay);
        depth = record.screenDepth;
    }
    if (fuzzDisplay.primarySurface != nullptr && width == fuzzDisplay.width &&
        height == fuzzDisplay.height && depth == fuzzDisplay.depth)
        return true;
    return openHeadlessDisplay(fuzzDisplay, width, height, depth);
}

// The sheets and fonts are the same whatever the record, so they are loaded
// once for each depth of display and lent to every input's world: loading
// them (two glyph grids and seven sheets, fresh memory under the sanitizer)
// would cost more than the world's frames. Never freed, as the decoded
// bitmaps they come from.
const World& artForDisplay()
{
    static World& art16 = *new World;
    static World& art32 = *new World;
    World& art = fuzzDisplay.depth == 16 ? art16 : art32;
    if (art.art == nullptr)
        loadWorldArt(art);
    return art;
}

// On a wide display the warmed-up whirls start spread over it and already on
// their way, each another way, so that within the few frames they lay food
// over more than the food index's fewest buckets.
void warmUpWhirls(World& world, bool wide)
{
    int32_t place = 0;
    for (EntityNode* node = world.whirlList->head(); node != nullptr; node = node->next) {
        if (node == world.whirlList->head())
            continue;
        Entity& whirl = *node->entity;
        whirl.setLife(warmedUpLife);
        if (!wide)
            continue;
        whirl.setDirection(1 + place % 8);
        whirl.setPosition(place * 97 % world.size.width, place * 61 % world.size.height);
        place += 1;
    }
}

bool rebirthDue(const World& world)
{
    return world.vobList->population() == 0 && world.rebirthCountdown == 1;
}

// On a wide display, after the first frame's deposits, each Vob is set
// down on one of them: its meal comes at once, and with it the steering
// search around the meal, as wide as the deposit gap.
void setVobsOnFood(World& world)
{
    const EntityNode* food = world.foodList->head();
    for (EntityNode* node = world.vobList->head(); node != nullptr && food != nullptr;
         node = node->next, food = food->next) {
        Entity& vob = *node->entity;
        vob.setPosition(food->entity->centreX() - vob.cellWidth() / 2,
                        food->entity->centreY() - vob.cellHeight() / 2);
    }
}

void runFrames(World& world, uint32_t choice, uint32_t inputChoice)
{
    const bool wide = (inputChoice & wideDisplayBit) != 0;
    int64_t ticks = 0;
    bool inputGiven = false;
    for (int32_t frame = 0; frame < mostFrames && (frame < fewFrames || ticks < tickBudget);
         ++frame) {
        if (wide && frame == 1)
            setVobsOnFood(world);
        // A strength reset early and one later.
        if (frame == 2 || frame == 30)
            pressFunctionKey(world, FunctionKey::f12);
        if (frame % 8 == 1)
            pressChosenKey(world, choice);
        if ((inputChoice & inputAtRebirthBit) != 0 && !inputGiven && rebirthDue(world)) {
            giveInput(inputChoice);
            inputGiven = true;
        }
        if (runFrame(world) != frameDone)
            return;
        ticks += ticksOfLastFrame(world);
    }
}

void runRecord(const OptionsRecord& stored)
{
    OptionsRecord record = stored;
    keepCountsSmall(record);
    if (!openDisplayFor(record))
        __builtin_trap();
    const uint32_t choice = budgetChoice(record);
    setDisplayDrawing(fuzzDisplay, (choice & drawingBit) != 0);
    World world;
    world.liveOptions = record;
    world.food.search = (choice & walkFoodBit) != 0 ? FoodSearch::walk : FoodSearch::indexed;
    const uint32_t inputChoice = choiceAt(record, inputChoiceOffset);
    const bool wide = (inputChoice & wideDisplayBit) != 0;
    world.memory.budget = memoryBudget(record, wide);
    seedRandom(world.random, 1);
    if ((inputChoice & inputAtRebirthBit) == 0)
        giveInput(inputChoice);
    if (setUpWorldBorrowingArt(world, &fuzzDisplay, artForDisplay()) == worldComplete) {
        world.rebirthCountdown = firstCountdown;
        warmUpWhirls(world, wide);
        runFrames(world, choice, inputChoice);
    }
    takeInputBack();
    tearDownWorld(world);
    // Whatever the input, the world gives back all it took.
    if (world.memory.inUse != 0)
        __builtin_trap();
}

// The store's rule: a shorter value fills only the first bytes over the
// defaults; a longer one is not read at all.
OptionsRecord storedRecord(const uint8_t* data, size_t size)
{
    OptionsRecord record = presetAlgorithms[0];
    if (size <= sizeof record)
        std::memcpy(&record, data, size);
    return record;
}

// A value at or just past an edge of the field's range, or within it.
int32_t edgeValue(const RecordField& field, std::minstd_rand& draw)
{
    constexpr int32_t least = std::numeric_limits<int32_t>::min();
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    const int64_t span = int64_t{field.high} - field.low + 1;
    switch (draw() % 8) {
    case 0:
        return field.low;
    case 1:
        return field.high;
    case 2:
        return field.low == least ? least : field.low - 1;
    case 3:
        return field.high == most ? most : field.high + 1;
    case 4:
        return 0;
    case 5:
        return draw() % 2 == 0 ? least : most;
    case 6:
        return field.endsOnly ? (field.low + field.high) / 2
                              : static_cast<int32_t>(field.low + int64_t(draw()) % span);
    default:
        // Small values, where most of the rules' thresholds lie.
        return static_cast<int32_t>(draw() % 41) - 8;
    }
}

}  // namespace

// The drawing backend keeps what it decodes for the process, and the art is
// loaded once: one world of each depth first, drawn, so that every input
// meets the same allocations.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (int32_t depth : {16, 32}) {
        OptionsRecord record = presetAlgorithms[0];
        record.screenDepth = depth;
        std::memcpy(reinterpret_cast<char*>(&record) + budgetChoiceOffset, &drawingBit,
                    sizeof drawingBit);
        runRecord(record);
    }
    return 0;
}

// Two mutations in three change one to three fields of the whole record to
// the edges of their ranges (or the memory budget's or the input's choice); the third is
// libFuzzer's own, byte by byte.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed)
{
    std::minstd_rand draw(seed);
    if (draw() % 3 == 0 || maxSize < sizeof(OptionsRecord))
        return LLVMFuzzerMutate(data, size, maxSize);
    OptionsRecord record = storedRecord(data, size);
    const std::vector<RecordField>& fields = recordFields();
    for (uint32_t changes = 1 + draw() % 3; changes > 0; --changes) {
        const size_t pick = draw() % (fields.size() + 2);
        if (pick == fields.size() + 1) {
            // Input at set-up or at the rebirth, the wide display one time in four.
            uint32_t choice = draw() % 16;
            if (draw() % 4 == 0)
                choice |= wideDisplayBit;
            std::memcpy(reinterpret_cast<char*>(&record) + inputChoiceOffset, &choice,
                        sizeof choice);
        } else if (pick == fields.size()) {
            uint32_t choice = draw() % 3 == 0 ? 0 : 1 + draw() % smallBudget;
            // A key and the walk now and then, drawing one time in four.
            choice |= static_cast<uint32_t>(draw() % 8) << keyShift;
            if (draw() % 4 == 0)
                choice |= drawingBit;
            std::memcpy(reinterpret_cast<char*>(&record) + budgetChoiceOffset, &choice,
                        sizeof choice);
        } else {
            record.*fields[pick].member = edgeValue(fields[pick], draw);
        }
    }
    std::memcpy(data, &record, sizeof record);
    return sizeof record;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    runRecord(storedRecord(data, size));
    return 0;
}
