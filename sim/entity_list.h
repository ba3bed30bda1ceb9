// A doubly linked list that owns its entities and counts what passes through
// it: the Vob list's counts are the world statistics of the overlay.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/world_memory.h"

class Entity;

struct EntityNode {
    EntityNode* next = nullptr;
    EntityNode* prev = nullptr;
    Entity* entity = nullptr;  // owned: destroyed with the node
};

class EntityList {
public:
    // Nodes and entities are counted in `memory`, the account of the world
    // the list belongs to.
    explicit EntityList(WorldMemory& memory) : memory_(&memory) {}
    ~EntityList();
    EntityList(const EntityList&) = delete;
    EntityList& operator=(const EntityList&) = delete;

    // Takes ownership and links the entity at the tail; configure it through
    // last(). The entity was made in the list's account (makeInWorld).
    // Out of memory: frees the entity, leaves the list as it was, throws bad_alloc.
    void append(Entity* entity);
    // Unlinks and destroys the node and its entity; returns its successor, so
    // a walk of the list can go on while the rules remove nodes under it.
    EntityNode* remove(EntityNode* node);
    EntityNode* head() const { return head_; }
    Entity* last() const;

    int32_t population() const { return population_; }
    int32_t history() const { return history_; }
    int32_t peak() const { return peak_; }
    // A new civilization counts from zero; the nodes are not touched.
    void resetCounts();
    // Destroys every node; the counters stay as they were.
    void clear();
    // Changes with every append, remove and clear, and differs between any two
    // lists of one world: what was read from the nodes is still good while it
    // stays the same.
    uint64_t changeStamp() const { return changeStamp_; }

private:
    void destroy(EntityNode* node) noexcept;

    WorldMemory* memory_;
    int32_t population_ = 0;
    int32_t history_ = 0;
    int32_t peak_ = 0;
    EntityNode* head_ = nullptr;
    EntityNode* tail_ = nullptr;  // saves walking from the head on every append
    uint64_t changeStamp_ = nextChangeStamp();

    uint64_t nextChangeStamp() { return ++memory_->lastChangeStamp; }
};
