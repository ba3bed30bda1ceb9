#include "sim/world.h"

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"
#include "sim/entity_list.h"

namespace {

template <typename T>
void deleteAndNull(T*& object)
{
    delete object;
    object = nullptr;
}

// Lent art goes back to its owner untouched.
template <typename T>
void releaseArt(T*& object, bool borrowed)
{
    if (borrowed)
        object = nullptr;
    else
        deleteAndNull(object);
}

}  // namespace

World::~World() { releaseWorld(*this); }

Entity* addEntity(World& world, EntityList& list, SpriteSheet* sheet, int32_t animMode)
{
    list.append(makeInWorld<Entity>(world.memory, sheet, animMode, world.size));
    return list.last();
}

Surface* worldBackSurface(const World& world)
{
    return world.display != nullptr ? world.display->backSurface : nullptr;
}

void releaseWorld(World& world)
{
    // The food index is built over foodList and is as large as it.
    releaseFoodIndex(world);
    deleteAndNull(world.vobList);
    deleteAndNull(world.whirlList);
    deleteAndNull(world.foodList);
    deleteAndNull(world.remainsList);
    for (SpriteSheet** sheet :
         {&world.cloudSheet, &world.vobSheet, &world.weakVobSheet, &world.megaVobSheet,
          &world.remainsSheet, &world.foodSheet, &world.whirlSheet})
        releaseArt(*sheet, world.artBorrowed);
    releaseArt(world.overlayFont, world.artBorrowed);
    releaseArt(world.vitalsFont, world.artBorrowed);
    world.artBorrowed = false;
}
