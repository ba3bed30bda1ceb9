#include "run/world_setup.h"

#include <algorithm>
#include <new>

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"
#include "run/long_loop.h"
#include "run/world_art.h"
#include "settings/options_record.h"
#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

constexpr int32_t escapeScanCode = 1;
constexpr uint8_t keyDownBit = 0x80;
constexpr int32_t mouseTravelThreshold = 5;

struct SheetSlot {
    const Sheet* World::*sheet;  // null for the cloud, which is no entity's
    const char* name;
};

// Creation order; tear-down releases them in the same order.
const SheetSlot worldSheets[] = {
    {nullptr, "cloud"},
    {&World::vobSheet, "vob"},
    {&World::weakVobSheet, "weak vob"},
    {&World::megaVobSheet, "mega vob"},
    {&World::remainsSheet, "remains"},
    {&World::foodSheet, "food"},
    {&World::whirlSheet, "whirl"},
};

int32_t bitmapOf(const World& world, const SheetSlot& slot)
{
    return slot.sheet != nullptr ? (world.*slot.sheet)->bitmapId : cloudBitmap;
}

struct FontSlot {
    GlyphFont* WorldArt::*font;
    const char* face;
    int32_t height;
    int32_t weight;
};

const FontSlot worldFonts[] = {
    {&WorldArt::overlayFont, "Westminster", 13, 100},
    {&WorldArt::vitalsFont, "Arial", 11, 600},
};

// Progress goes straight to the visible surface: nothing is flipped while
// set-up runs. The black box of each text wipes what stood under it.
void showProgressText(const World& world, const char* text)
{
    if (world.display != nullptr)
        drawGdiText(world.display->primarySurface, text, 10, 10, overlayFontHandle(world),
                    textColour, opaqueBackground);
}

ProgressCounter progressCounter(const World& world)
{
    Surface* shown = world.display != nullptr ? world.display->primarySurface : nullptr;
    return ProgressCounter(shown, 10, 25, overlayFontHandle(world), opaqueBackground);
}

// Each sheet's picture loaded in the display's format.
void createSheets(const World& world, WorldArt& art)
{
    art.pictures.reserve(sizeof worldSheets / sizeof worldSheets[0]);
    for (const SheetSlot& slot : worldSheets) {
        const int32_t bitmapId = bitmapOf(world, slot);
        art.pictures.push_back(WorldArt::Picture{bitmapId, nullptr});
        art.pictures.back().sheet = new SpriteSheet(bitmapId);
    }
}

void createLists(World& world)
{
    world.vobList = new EntityList(world.memory);
    world.whirlList = new EntityList(world.memory);
    world.foodList = new EntityList(world.memory);
    world.remainsList = new EntityList(world.memory);
}

void createFonts(WorldArt& art)
{
    for (const FontSlot& slot : worldFonts)
        art.*slot.font = new GlyphFont(slot.face, slot.height, slot.weight);
}

// The founding Vobs, bounded by the entity limit.
bool spawnInitialVobs(World& world)
{
    ProgressCounter counter = progressCounter(world);
    InterruptionPoll poll;
    bool whole = true;
    for (int32_t i = 0;
         i < foundingVobCount(world) && world.vobList->population() < world.liveOptions.maxEntities;
         ++i) {
        counter.offer(i);
        addFoundingVob(world);
        if (poll.userStopped(world)) {
            whole = false;
            break;
        }
    }
    counter.finish();
    return whole;
}

void addWhirl(World& world)
{
    Entity* whirl = addEntity(world, *world.whirlList, world.whirlSheet, cyclicAnimation);
    whirl->setDepositPoint(whirl->x(), whirl->y());
    whirl->setFrameDelay(0);
    whirl->setSpeed(3);
    // Start each whirl at its own cell so that they do not spin in step.
    int32_t cells = whirl->columns() * whirl->rows();
    double r = nextRandom(world.random) / 32768.0;
    whirl->setFrame(truncToInt32(cells - cells * r - 1));
}

// Whirls are not bounded by the entity limit: it counts Vobs only.
bool spawnWhirls(World& world)
{
    ProgressCounter counter = progressCounter(world);
    InterruptionPoll poll;
    bool whole = true;
    for (int32_t i = 0; i < whirlsToBuild(world); ++i) {
        counter.offer(i);
        addWhirl(world);
        if (poll.userStopped(world)) {
            whole = false;
            break;
        }
    }
    counter.finish();
    return whole;
}

bool escapeHeld()
{
    uint8_t keys[256];
    return readKeyboardState(keys) && (keys[escapeScanCode] & keyDownBit) != 0;
}

// Motion to the left or upwards never counts: only x or y beyond +5.
bool mouseDisturbed()
{
    MouseState mouse;
    if (!readMouseState(mouse))
        return false;
    bool button = mouse.buttons[0] != 0 || mouse.buttons[1] != 0 || mouse.buttons[2] != 0;
    return button || mouse.x > mouseTravelThreshold || mouse.y > mouseTravelThreshold;
}

// A new world's run state: no frames yet, no rebirth under way, no reset
// pending. What hosts set beforehand (the record, the seed) stays. Its size
// is its display's, or the record's screen size without one.
void startRunState(World& world, Display* display)
{
    world.display = display;
    world.painter = display != nullptr ? &displayPainter : nullptr;
    world.size = display != nullptr
                     ? WorldSize{display->width, display->height}
                     : WorldSize{world.liveOptions.screenWidth, world.liveOptions.screenHeight};
    world.rebirthCountdown = rebirthFrames;
    world.strengthResetRequested = 0;
    world.frames = 0;
}

// With a display: its art, loaded (the sheets before the lists, the fonts
// after them) or taken from `lender` when the world borrows it.
int32_t buildWorld(World& world, Display* display, const World* lender)
{
    startRunState(world, display);
    std::shared_ptr<WorldArt> art;
    if (display != nullptr && lender == nullptr) {
        art = std::make_shared<WorldArt>();
        world.art = art;
        createSheets(world, *art);
    } else if (display != nullptr) {
        world.art = lender->art;
    }
    createLists(world);
    if (art != nullptr)
        createFonts(*art);

    showProgressText(world, "spawning vobs");
    if (!spawnInitialVobs(world))
        return worldInterrupted;

    showProgressText(world, "generating whirls");
    if (display != nullptr)
        drawGdiText(display->primarySurface, "                 ", 10, 25, overlayFontHandle(world),
                    textColour, opaqueBackground);
    if (!spawnWhirls(world))
        return worldInterrupted;
    return worldComplete;
}

}  // namespace

Font* overlayFontHandle(const World& world)
{
    const WorldArt* art = worldArt(world);
    return art != nullptr && art->overlayFont != nullptr ? art->overlayFont->font() : nullptr;
}

int32_t foundingVobCount(const World& world)
{
    return std::min(world.liveOptions.initialVobs, largestStoredCount);
}

int32_t whirlsToBuild(const World& world)
{
    return std::min(world.liveOptions.whirlCount, largestStoredCount);
}

namespace {

int32_t setUpWorldFrom(World& world, Display* display, const World* lender)
{
    // A failed earlier attempt leaves its objects behind; start clean.
    tearDownWorld(world);
    try {
        return buildWorld(world, display, lender);
    } catch (const std::bad_alloc&) {
        // Whatever was built goes at once: the caller needs memory to close.
        tearDownWorld(world);
        return worldOutOfMemory;
    }
}

}  // namespace

int32_t setUpWorld(World& world, Display* display)
{
    return setUpWorldFrom(world, display, nullptr);
}

int32_t setUpWorldBorrowingArt(World& world, Display* display, const World& art)
{
    return setUpWorldFrom(world, display, &art);
}

void loadWorldArt(World& art)
{
    releaseWorld(art);
    auto loaded = std::make_shared<WorldArt>();
    createSheets(art, *loaded);
    createFonts(*loaded);
    art.art = std::move(loaded);
}

void tearDownWorld(World& world) { releaseWorld(world); }

std::vector<std::string> missingWorldParts(const World& world)
{
    std::vector<std::string> missing;
    if (world.display == nullptr && world.art == nullptr)
        return missing;  // it draws nothing, so it needs nothing
    const WorldArt* art = world.art.get();
    for (const SheetSlot& slot : worldSheets) {
        const int32_t bitmapId = bitmapOf(world, slot);
        const SpriteSheet* sheet = art != nullptr ? art->picture(bitmapId) : nullptr;
        if (sheet == nullptr || sheet->surface() == nullptr)
            missing.push_back("bitmap " + std::to_string(bitmapId) + " (" + slot.name +
                              " sheet) could not be loaded");
    }
    for (const FontSlot& slot : worldFonts) {
        const GlyphFont* font = art != nullptr ? art->*slot.font : nullptr;
        if (font == nullptr || font->font() == nullptr || font->cellHeight() <= 0)
            missing.push_back("font \"" + std::string(slot.face) + "\" " +
                              std::to_string(slot.height) + "/" + std::to_string(slot.weight) +
                              " could not be built");
    }
    return missing;
}

bool userInterrupted()
{
    // Escape alone decides without reading the mouse, so its motion is
    // left for the next read.
    return escapeHeld() || mouseDisturbed();
}

bool userStopped(const World& world) { return world.display != nullptr && userInterrupted(); }

void addFoundingVob(World& world)
{
    const OptionsRecord& o = world.liveOptions;
    Entity* vob = addEntity(world, *world.vobList, world.vobSheet, directionalAnimation);
    vob->setStrength(wrapAdd(randomInRange(world.random, 1, o.birthStrength), o.greenLevel));
    if (vob->strength() <= o.greenLevel)
        vob->adoptSheet(world.weakVobSheet);
    else if (vob->strength() >= o.megaLevel)
        vob->adoptSheet(world.megaVobSheet);
}
