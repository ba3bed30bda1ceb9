#include "run/world_setup.h"

#include <algorithm>
#include <new>

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"

SpriteSheet* cloudSheet = nullptr;
GlyphFont* overlayFont = nullptr;

namespace {

constexpr int32_t escapeScanCode = 1;
constexpr uint8_t keyDownBit = 0x80;
constexpr int32_t mouseTravelThreshold = 5;

struct SheetSlot {
    SpriteSheet** sheet;
    int32_t bitmapId;
    const char* name;
};

// Creation order; tear-down releases them in the same order.
const SheetSlot worldSheets[] = {
    {&cloudSheet, cloudBitmap, "cloud"},        {&vobSheet, vobBitmap, "vob"},
    {&weakVobSheet, weakVobBitmap, "weak vob"}, {&megaVobSheet, megaVobBitmap, "mega vob"},
    {&remainsSheet, remainsBitmap, "remains"},  {&foodSheet, foodBitmap, "food"},
    {&whirlSheet, whirlBitmap, "whirl"},
};

struct FontSlot {
    GlyphFont** font;
    const char* face;
    int32_t height;
    int32_t weight;
};

const FontSlot worldFonts[] = {
    {&overlayFont, "Westminster", 13, 100},
    {&vitalsFont, "Arial", 11, 600},
};

// Progress goes straight to the visible surface: nothing is flipped while
// set-up runs. The black box of each text wipes what stood under it.
void showProgressText(const char* text)
{
    drawGdiText(primarySurface, text, 10, 10, overlayFontHandle(), textColour, opaqueBackground);
}

void showProgressCount(int32_t count)
{
    drawGdiNumber(primarySurface, count, 10, 25, overlayFontHandle(), textColour, opaqueBackground);
}

void createSheets()
{
    for (const SheetSlot& slot : worldSheets)
        *slot.sheet = new SpriteSheet(slot.bitmapId);
}

void createLists()
{
    vobList = new EntityList;
    whirlList = new EntityList;
    foodList = new EntityList;
    remainsList = new EntityList;
}

void createFonts()
{
    for (const FontSlot& slot : worldFonts)
        *slot.font = new GlyphFont(slot.face, slot.height, slot.weight);
}

// The founding Vobs, bounded by the entity limit.
bool spawnInitialVobs()
{
    for (int32_t i = 0; i < foundingVobCount() && vobList->population() < liveOptions.maxEntities;
         ++i) {
        showProgressCount(i);
        addFoundingVob();
        if (userInterrupted())
            return false;
    }
    return true;
}

void addWhirl()
{
    whirlList->append(new Entity(whirlSheet, cyclicAnimation));
    Entity* whirl = whirlList->last();
    whirl->setDepositPoint(whirl->x(), whirl->y());
    whirl->setFrameDelay(0);
    whirl->setSpeed(3);
    // Start each whirl at its own cell so that they do not spin in step.
    int32_t cells = whirl->columns() * whirl->rows();
    double r = nextRandom() / 32768.0;
    whirl->setFrame(truncToInt32(cells - cells * r - 1));
}

// Whirls are not bounded by the entity limit: it counts Vobs only.
bool spawnWhirls()
{
    for (int32_t i = 0; i < whirlsToBuild(); ++i) {
        showProgressCount(i);
        addWhirl();
        if (userInterrupted())
            return false;
    }
    return true;
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

template <typename T>
void deleteAndNull(T*& object)
{
    delete object;
    object = nullptr;
}

int32_t buildWorld()
{
    createSheets();
    createLists();
    createFonts();

    showProgressText("spawning vobs");
    if (!spawnInitialVobs())
        return worldInterrupted;

    showProgressText("generating whirls");
    drawGdiText(primarySurface, "                 ", 10, 25, overlayFontHandle(), textColour,
                opaqueBackground);
    if (!spawnWhirls())
        return worldInterrupted;
    return worldComplete;
}

}  // namespace

Font* overlayFontHandle() { return overlayFont != nullptr ? overlayFont->font() : nullptr; }

int32_t foundingVobCount() { return std::min(liveOptions.initialVobs, largestStoredCount); }

int32_t whirlsToBuild() { return std::min(liveOptions.whirlCount, largestStoredCount); }

int32_t setUpWorld()
{
    // A failed earlier attempt leaves its objects behind; start clean.
    tearDownWorld();
    try {
        return buildWorld();
    } catch (const std::bad_alloc&) {
        // Whatever was built goes at once: the caller needs memory to close.
        tearDownWorld();
        return worldOutOfMemory;
    }
}

void tearDownWorld()
{
    // The food index is built over foodList and is as large as it.
    releaseFoodIndex();
    deleteAndNull(vobList);
    deleteAndNull(whirlList);
    deleteAndNull(foodList);
    deleteAndNull(remainsList);
    for (const SheetSlot& slot : worldSheets)
        deleteAndNull(*slot.sheet);
    for (const FontSlot& slot : worldFonts)
        deleteAndNull(*slot.font);
}

std::vector<std::string> missingWorldParts()
{
    std::vector<std::string> missing;
    for (const SheetSlot& slot : worldSheets) {
        if (*slot.sheet == nullptr || (*slot.sheet)->surface() == nullptr)
            missing.push_back("bitmap " + std::to_string(slot.bitmapId) + " (" + slot.name +
                              " sheet) could not be loaded");
    }
    for (const FontSlot& slot : worldFonts) {
        const GlyphFont* font = *slot.font;
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

void addFoundingVob()
{
    vobList->append(new Entity(vobSheet, directionalAnimation));
    Entity* vob = vobList->last();
    vob->setStrength(wrapAdd(randomInRange(1, liveOptions.birthStrength), liveOptions.greenLevel));
    if (vob->strength() <= liveOptions.greenLevel)
        vob->adoptSheet(weakVobSheet);
    else if (vob->strength() >= liveOptions.megaLevel)
        vob->adoptSheet(megaVobSheet);
}
