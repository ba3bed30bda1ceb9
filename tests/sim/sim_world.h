// A small world for the simulation tests: an 800 x 600 headless display,
// the default settings, the four lists, and sheets drawn by the test itself
// with the cell geometry of the real artwork, every cell in its own colour.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include <memory>

#include "render/surface.h"
#include "run/world_art.h"
#include "tests/render/test_display.h"
#include "sim/world.h"
#include "tests/sim/surface_probe.h"

class Entity;
struct EntityNode;
class EntityList;

// Sheets of the suite's own bitmaps that no world uses, for the rules'
// divisions: a deposit's step over one cell and remains' over three.
constexpr Sheet oneCellSheet{120, 7, 7, 1, 1};
constexpr Sheet threeCellSheet{121, 7, 7, 3, 1};

class SimWorld : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // New entity of the given kind, appended to its list; returns it.
    Entity* addVob(int32_t x, int32_t y, int32_t strength);
    Entity* addFood(int32_t x, int32_t y, int32_t units);
    Entity* addWhirl();
    // Food of `units` whose centre is (dx, dy) from the centre of `vob`.
    Entity* addFoodAround(const Entity& vob, int32_t dx, int32_t dy, int32_t units = 320);
    // A Vob at (400, 300) moving right, with a hold that keeps it from
    // wandering. A new entity's last step counts as one (from (0, 0)), so
    // its first tick already pays for moving.
    Entity* addMovingVob(int32_t strength);

    // Ticks the Vob at the head of vobList with draws that change nothing
    // (no turn, no glance, no rest gain); returns what tickVob returns.
    EntityNode* tickFirstVob();

    // One pass of the rule over the whole list, as the frame driver walks it.
    void tickAll(EntityList* list, EntityNode* (*rule)(World&, EntityNode*));
    int32_t nodeCount(const EntityList* list) const;
    // Empties the four lists and starts their counts again.
    void clearLists();

    World world;
    // The world's art, which a test may add a font to.
    std::shared_ptr<WorldArt> art;
};
