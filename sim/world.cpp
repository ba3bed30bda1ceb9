#include "sim/world.h"

#include "sim/entity_list.h"

namespace {

template <typename T>
void deleteAndNull(T*& object)
{
    delete object;
    object = nullptr;
}

}  // namespace

World::~World() { releaseWorld(*this); }

Entity* addEntity(World& world, EntityList& list, const Sheet* sheet, int32_t animMode)
{
    list.append(makeInWorld<Entity>(world.memory, sheet, animMode, world.size));
    return list.last();
}

void releaseWorld(World& world)
{
    // The food index is built over foodList and is as large as it.
    releaseFoodIndex(world);
    deleteAndNull(world.vobList);
    deleteAndNull(world.whirlList);
    deleteAndNull(world.foodList);
    deleteAndNull(world.remainsList);
    world.art.reset();
}
