#include "run/frame_driver.h"

#include <new>

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/decay.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/whirl.h"
#include "sim/world.h"

int32_t rebirthCountdown = rebirthFrames;
int32_t strengthResetRequested = 0;

namespace {

constexpr int32_t resetStrength = 50;

using NodeRule = EntityNode* (*)(EntityNode*);

// Each rule returns the node to visit next, so nodes may vanish or be
// appended while the walk goes on.
void advanceList(const EntityList* list, NodeRule rule)
{
    if (list == nullptr)
        return;
    for (EntityNode* node = list->head(); node != nullptr;)
        node = rule(node);
}

void advanceWorld()
{
    advanceList(foodList, tickFood);
    advanceList(vobList, tickVob);
    advanceList(remainsList, tickRemains);
    advanceList(whirlList, tickWhirl);
}

void drawCloud()
{
    if (cloudSheet != nullptr)
        blitSprite(cloudSheet, backSurface, 0, 5, 1);
    if (overlayFont == nullptr || vobList == nullptr)
        return;
    overlayFont->drawText(backSurface, "History: ", 15, 15, 1);
    overlayFont->drawNumber(backSurface, vobList->history(), 50, 15, 1);
    overlayFont->drawText(backSurface, "Peak:    ", 15, 30, 1);
    overlayFont->drawNumber(backSurface, vobList->peak(), 50, 30, 1);
    overlayFont->drawText(backSurface, "Spawns:  ", 15, 45, 1);
    overlayFont->drawNumber(backSurface, vobList->population(), 50, 45, 1);
}

// A Vob on megaVobSheet keeps it: its own rule switches it at exact levels.
void resetStrengths()
{
    strengthResetRequested = 0;
    if (vobList == nullptr)
        return;
    for (EntityNode* node = vobList->head(); node != nullptr; node = node->next) {
        node->entity->setStrength(resetStrength);
        if (node->entity->strength() <= liveOptions.greenLevel)
            node->entity->adoptSheet(weakVobSheet);
    }
}

void showCountdown()
{
    int32_t x = displayWidth / 2 - 80;
    int32_t y = displayHeight / 2;
    drawGdiText(backSurface, "your civlization died, T-1 to birth of new civilization", x, y,
                overlayFontHandle(), textColour, transparentBackground);
    drawGdiNumber(backSurface, rebirthCountdown, x, y + 15, overlayFontHandle(), textColour,
                  transparentBackground);
}

// Drawn straight onto the visible surface: the birth happens within one
// frame, before its flip.
bool bearNewCivilization()
{
    int32_t x = displayWidth / 2 - 80;
    int32_t y = displayHeight / 2;
    drawGdiText(primarySurface, "spawning vobs", x, y, overlayFontHandle(), textColour,
                opaqueBackground);
    vobList->resetCounts();
    for (int32_t j = 0; j < foundingVobCount() && vobList->population() < liveOptions.maxEntities;
         ++j) {
        drawGdiNumber(primarySurface, j, x, y + 15, overlayFontHandle(), textColour,
                      transparentBackground);
        addFoundingVob();
        if (userInterrupted())
            return false;
    }
    return true;
}

// Judged afresh every frame: an empty world counts down and, at 0, is
// repopulated. With no founding Vobs configured it stays empty and silent.
bool runCivilizationCycle()
{
    if (vobList == nullptr || vobList->population() != 0 || liveOptions.initialVobs == 0)
        return true;
    rebirthCountdown -= 1;
    showCountdown();
    if (rebirthCountdown > 0)
        return true;
    // Armed again even when the user or the memory cuts the birth short:
    // left at 0, the next extinction would count below 0 and never see a rebirth.
    rebirthCountdown = rebirthFrames;
    return bearNewCivilization();
}

void present()
{
    for (int32_t attempt = 0; attempt < flipAttempts; ++attempt) {
        if (flipDisplay())
            return;
    }
}

}  // namespace

int32_t runFrame()
{
    fillSurface(backSurface, keyColour);
    try {
        advanceWorld();
        if (liveOptions.showCloud != 0)
            drawCloud();
        if (strengthResetRequested != 0)
            resetStrengths();
        if (!runCivilizationCycle())
            return rebirthInterrupted;
    } catch (const std::bad_alloc&) {
        // Give the memory back now, so that the caller can still close.
        tearDownWorld();
        return frameOutOfMemory;
    }
    present();
    return frameDone;
}
