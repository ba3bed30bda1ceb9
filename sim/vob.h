// The rule of life of a Vob, run once per frame for every node of vobList.
#pragma once

struct EntityNode;
struct World;

// Eats, grows, spawns, wanders, pays for moving, dies and leaves remains.
// Returns the node to visit next: the successor, or the one that followed a
// Vob that died. Children are appended to vobList and visited in the same walk.
EntityNode* tickVob(World& world, EntityNode* node);
