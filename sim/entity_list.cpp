#include "sim/entity_list.h"

#include "sim/arith.h"
#include "sim/entity.h"

EntityList::~EntityList() { clear(); }

void EntityList::append(Entity* entity)
{
    // The node first: when memory has run out the entity is freed and the
    // counts stay as they were.
    EntityNode* node = nullptr;
    try {
        node = makeInWorld<EntityNode>(*memory_);
    } catch (...) {
        endInWorld(*memory_, entity);
        throw;
    }
    changeStamp_ = nextChangeStamp();
    population_ += 1;
    // A civilization that runs for months can pass 2^31 births: the count
    // wraps as a 32-bit register does, and the cloud shows what it holds.
    history_ = wrapAdd(history_, 1);
    if (population_ > peak_)
        peak_ = population_;

    node->entity = entity;
    node->prev = tail_;
    if (tail_ != nullptr)
        tail_->next = node;
    else
        head_ = node;
    tail_ = node;
}

EntityNode* EntityList::remove(EntityNode* node)
{
    if (node == nullptr)
        return nullptr;
    changeStamp_ = nextChangeStamp();
    population_ -= 1;

    EntityNode* next = node->next;
    if (node->prev != nullptr)
        node->prev->next = next;
    else
        head_ = next;
    if (next != nullptr)
        next->prev = node->prev;
    else
        tail_ = node->prev;

    destroy(node);
    return next;
}

void EntityList::destroy(EntityNode* node) noexcept
{
    endInWorld(*memory_, node->entity);
    endInWorld(*memory_, node);
}

Entity* EntityList::last() const { return tail_ != nullptr ? tail_->entity : nullptr; }

void EntityList::resetCounts() { population_ = history_ = peak_ = 0; }

void EntityList::clear()
{
    changeStamp_ = nextChangeStamp();
    while (head_ != nullptr) {
        EntityNode* next = head_->next;
        destroy(head_);
        head_ = next;
    }
    tail_ = nullptr;
}
