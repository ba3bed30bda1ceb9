// A small world for the simulation tests: an 800 x 600 headless display,
// the default settings, the four lists, and sheets drawn by the test itself
// with the cell geometry of the real artwork, every cell in its own colour.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "render/surface.h"

class Entity;
struct EntityNode;
class EntityList;

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

    // One pass of the rule over the whole list, as the frame driver walks it.
    void tickAll(EntityList* list, EntityNode* (*rule)(EntityNode*));
    int32_t nodeCount(const EntityList* list) const;
};

// The GDI colour at (x, y) of a surface, read through a pixel-access section.
uint32_t pixelAt(Surface* surface, int32_t x, int32_t y);
