// The world as one value: what a running world is, from its live record to
// the display it draws on. Set-up builds one (run/world_setup.h), the frame
// driver advances one (run/frame_driver.h), tear-down ends one. Two worlds
// share nothing, so they can be advanced side by side in one process, in
// one thread or two, each on its own display; only their art, which a world
// never changes, may be lent to many.
#pragma once

#include <cstdint>
#include <memory>

#include "resources/sheet_cells.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/sheet.h"
#include "sim/world_memory.h"

class EntityList;
struct Display;
struct World;
struct WorldArt;

// Frames to wait after the last Vob has died before a new civilization.
constexpr int32_t rebirthFrames = 200;

// How the rules draw while they tick, in the order they draw: the calls of
// the display the world was set up with (run/world_art.cpp makes them).
// The rules never look at the display themselves.
struct WorldPainter {
    // Cell `source` of `sheet` onto `target` of the back surface, keyed.
    void (*drawCell)(const World& world, const Sheet& sheet, const CellRect& source,
                     const CellRect& target);
    // A Vob's figure in the vitals font at (x, y) of the back surface.
    void (*drawVitals)(const World& world, int32_t value, int32_t x, int32_t y);
};

struct World {
    World() = default;
    // Ends whatever is left of it (releaseWorld).
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The record the rules read every frame, nothing cached: a function key
    // changes it and the next frame follows.
    OptionsRecord liveOptions = presetAlgorithms[0];
    WorldSize size;

    // The four lists, in the order a frame visits them after food; they own
    // their entities. Null until set-up has made them.
    EntityList* foodList = nullptr;
    EntityList* vobList = nullptr;
    EntityList* remainsList = nullptr;
    EntityList* whirlList = nullptr;

    // The sheets the entities are drawn from and sized by.
    const Sheet* vobSheet = &vobSheetCells;
    const Sheet* weakVobSheet = &weakVobSheetCells;
    const Sheet* megaVobSheet = &megaVobSheetCells;
    const Sheet* remainsSheet = &remainsSheetCells;
    const Sheet* foodSheet = &foodSheetCells;
    const Sheet* whirlSheet = &whirlSheetCells;

    // What the world draws on, given at set-up: the host's display, the
    // pictures and fonts loaded for it (shared by the worlds that borrow
    // them) and the calls that draw. All null for a world without a
    // display, which draws nothing and needs no bitmap.
    Display* display = nullptr;
    std::shared_ptr<const WorldArt> art;
    const WorldPainter* painter = nullptr;

    // Counts down while the world is extinct; armed again after every
    // rebirth, finished or interrupted.
    int32_t rebirthCountdown = rebirthFrames;
    // Set by F12; the next frame gives every Vob strength 50 and clears it.
    int32_t strengthResetRequested = 0;
    // Frames run since set-up.
    int64_t frames = 0;

    Random random;
    FoodIndex food;
    WorldMemory memory;
};

// A new entity of the world on `sheet`, appended to `list` (one of the
// world's) and configured through what comes back. Throws std::bad_alloc
// past the world's memory budget, leaving the list as it was.
Entity* addEntity(World& world, EntityList& list, const Sheet* sheet, int32_t animMode);

// The entity's current cell at its place, through the world's painter;
// nothing without one. drawAdvance takes its animation step first.
inline void drawEntity(const World& world, const Entity& entity)
{
    if (world.painter != nullptr && entity.sheet() != nullptr)
        world.painter->drawCell(world, *entity.sheet(), entity.cellSource(),
                                entity.cellTarget(fullCellSize, fullCellSize));
}

inline void drawAdvance(const World& world, Entity& entity)
{
    entity.advanceFrame();
    drawEntity(world, entity);
}

// Frees the food index and the lists and lets go of the art (freed with the
// last world that holds it); the display stays the host's, and the counters
// stay. Safe to call again or on a world never built.
void releaseWorld(World& world);
