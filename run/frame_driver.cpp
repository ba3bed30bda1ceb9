#include "run/frame_driver.h"

#include <new>

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"
#include "run/long_loop.h"
#include "run/world_art.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/decay.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/whirl.h"
#include "sim/world.h"

namespace {

constexpr int32_t resetStrength = 50;

using NodeRule = EntityNode* (*)(World&, EntityNode*);

// Each rule returns the node to visit next, so nodes may vanish or be
// appended while the walk goes on.
void advanceList(World& world, const EntityList* list, NodeRule rule)
{
    if (list == nullptr)
        return;
    for (EntityNode* node = list->head(); node != nullptr;)
        node = rule(world, node);
}

void advanceWorld(World& world)
{
    advanceList(world, world.foodList, tickFood);
    advanceList(world, world.vobList, tickVob);
    advanceList(world, world.remainsList, tickRemains);
    advanceList(world, world.whirlList, tickWhirl);
}

void drawCloud(const World& world, const WorldArt& art, Surface* back)
{
    if (const SpriteSheet* cloud = art.picture(cloudBitmap))
        blitSprite(cloud, back, 0, 5, 1);
    const GlyphFont* font = art.overlayFont;
    if (font == nullptr || world.vobList == nullptr)
        return;
    font->drawText(back, "History: ", 15, 15, 1);
    font->drawNumber(back, world.vobList->history(), 50, 15, 1);
    font->drawText(back, "Peak:    ", 15, 30, 1);
    font->drawNumber(back, world.vobList->peak(), 50, 30, 1);
    font->drawText(back, "Spawns:  ", 15, 45, 1);
    font->drawNumber(back, world.vobList->population(), 50, 45, 1);
}

// A Vob on megaVobSheet keeps it: its own rule switches it at exact levels.
void resetStrengths(World& world)
{
    world.strengthResetRequested = 0;
    if (world.vobList == nullptr)
        return;
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next) {
        node->entity->setStrength(resetStrength);
        if (node->entity->strength() <= world.liveOptions.greenLevel)
            node->entity->adoptSheet(world.weakVobSheet);
    }
}

void showCountdown(World& world)
{
    if (world.display == nullptr)
        return;
    int32_t x = world.size.width / 2 - 80;
    int32_t y = world.size.height / 2;
    Surface* back = world.display->backSurface;
    drawGdiText(back, "your civlization died, T-1 to birth of new civilization", x, y,
                overlayFontHandle(world), textColour, transparentBackground);
    drawGdiNumber(back, world.rebirthCountdown, x, y + 15, overlayFontHandle(world), textColour,
                  transparentBackground);
}

// Drawn straight onto the visible surface: the birth happens within one
// frame, before its flip.
bool bearNewCivilization(World& world)
{
    int32_t x = world.size.width / 2 - 80;
    int32_t y = world.size.height / 2;
    Surface* shown = world.display != nullptr ? world.display->primarySurface : nullptr;
    if (shown != nullptr)
        drawGdiText(shown, "spawning vobs", x, y, overlayFontHandle(world), textColour,
                    opaqueBackground);
    world.vobList->resetCounts();
    ProgressCounter counter(shown, x, y + 15, overlayFontHandle(world), transparentBackground);
    InterruptionPoll poll;
    bool whole = true;
    for (int32_t j = 0;
         j < foundingVobCount(world) && world.vobList->population() < world.liveOptions.maxEntities;
         ++j) {
        counter.offer(j);
        addFoundingVob(world);
        if (poll.userStopped(world)) {
            whole = false;
            break;
        }
    }
    counter.finish();
    return whole;
}

// Judged afresh every frame: an empty world counts down and, at 0, is
// repopulated. With no founding Vobs configured it stays empty and silent.
bool runCivilizationCycle(World& world)
{
    if (world.vobList == nullptr || world.vobList->population() != 0 ||
        world.liveOptions.initialVobs == 0)
        return true;
    world.rebirthCountdown -= 1;
    showCountdown(world);
    if (world.rebirthCountdown > 0)
        return true;
    // Armed again even when the user or the memory cuts the birth short:
    // left at 0, the next extinction would count below 0 and never see a rebirth.
    world.rebirthCountdown = rebirthFrames;
    return bearNewCivilization(world);
}

void present(Display* display)
{
    if (display == nullptr)
        return;
    for (int32_t attempt = 0; attempt < flipAttempts; ++attempt) {
        if (flipDisplay(*display))
            return;
    }
}

}  // namespace

int32_t runFrame(World& world)
{
    world.frames += 1;
    Display* display = world.display;
    if (display != nullptr)
        fillSurface(display->backSurface, keyColour);
    try {
        advanceWorld(world);
        const WorldArt* art = worldArt(world);
        if (world.liveOptions.showCloud != 0 && art != nullptr)
            drawCloud(world, *art, display->backSurface);
        if (world.strengthResetRequested != 0)
            resetStrengths(world);
        if (!runCivilizationCycle(world))
            return rebirthInterrupted;
    } catch (const std::bad_alloc&) {
        // Give the memory back now, so that the caller can still close.
        tearDownWorld(world);
        return frameOutOfMemory;
    }
    present(display);
    return frameDone;
}
