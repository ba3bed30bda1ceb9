// Food deposits and remains count down one unit a frame, play through their
// sheet and leave their list when the count runs out.
#pragma once

struct EntityNode;
struct World;

// For nodes of foodList; returns the successor, or what removal returns.
EntityNode* tickFood(World& world, EntityNode* node);
// For nodes of remainsList; returns the successor, or what removal returns.
EntityNode* tickRemains(World& world, EntityNode* node);
