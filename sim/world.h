// The world as one value: what a running world is, from its live record to
// the sheets it draws with. Set-up builds one (run/world_setup.h), the frame
// driver advances one (run/frame_driver.h), tear-down ends one. Two worlds
// share nothing, so they can be advanced side by side in one process; only
// their sheets and fonts, which a world never changes, may be lent to many
// (artBorrowed).
#pragma once

#include <cstdint>

#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world_memory.h"

class EntityList;
class GlyphFont;
class SpriteSheet;
struct Display;

// Frames to wait after the last Vob has died before a new civilization.
constexpr int32_t rebirthFrames = 200;

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
    // The host's display the world draws on while it ticks, given at set-up;
    // null for a world that draws nothing.
    Display* display = nullptr;

    // The four lists, in the order a frame visits them after food; they own
    // their entities. Null until set-up has made them.
    EntityList* foodList = nullptr;
    EntityList* vobList = nullptr;
    EntityList* remainsList = nullptr;
    EntityList* whirlList = nullptr;

    // Borrowed by the entities, owned here unless artBorrowed.
    SpriteSheet* cloudSheet = nullptr;
    SpriteSheet* vobSheet = nullptr;
    SpriteSheet* weakVobSheet = nullptr;
    SpriteSheet* megaVobSheet = nullptr;
    SpriteSheet* remainsSheet = nullptr;
    SpriteSheet* foodSheet = nullptr;
    SpriteSheet* whirlSheet = nullptr;
    GlyphFont* overlayFont = nullptr;  // the cloud's figures and the messages
    GlyphFont* vitalsFont = nullptr;   // the numbers above the Vobs
    // The sheets and fonts above are another's, lent for this world's life
    // (a host building thousands of worlds loads them once): releaseWorld
    // only forgets them.
    bool artBorrowed = false;

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
Entity* addEntity(World& world, EntityList& list, SpriteSheet* sheet, int32_t animMode);

// The back surface of the world's display; null without one.
Surface* worldBackSurface(const World& world);

// Frees the food index and the lists, then the sheets in creation order,
// then the fonts (or, when borrowed, lets them be), and nulls every pointer;
// the counters stay. Safe to call again or on a world never built.
void releaseWorld(World& world);
