// The rule of a whirl, the world's only source of food, run once per frame
// for every node of whirlList (last, so whirls are drawn over everything).
#pragma once

struct EntityNode;
struct World;

// Drifts, spins and drops a food deposit after travelling depositGap pixels.
// Never removes a node; returns the successor.
EntityNode* tickWhirl(World& world, EntityNode* node);
