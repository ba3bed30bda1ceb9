#include "tools/world/world_figures.h"

#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"

namespace {

int32_t populationOf(const EntityList* list) { return list != nullptr ? list->population() : 0; }

}  // namespace

WorldFigures collectWorldFigures()
{
    WorldFigures figures;
    figures.food = populationOf(foodList);
    figures.remains = populationOf(remainsList);
    figures.whirls = populationOf(whirlList);
    if (vobList == nullptr)
        return figures;
    figures.vobs = vobList->population();
    figures.history = vobList->history();
    figures.peak = vobList->peak();
    for (const EntityNode* node = vobList->head(); node != nullptr; node = node->next) {
        figures.strengthSum += node->entity->strength();
        figures.xSum += node->entity->x();
        figures.ySum += node->entity->y();
    }
    return figures;
}

std::string formatWorldFigures(int64_t frame, const WorldFigures& figures)
{
    std::string line = std::to_string(frame);
    for (int64_t value : {int64_t{figures.vobs}, int64_t{figures.history}, int64_t{figures.peak},
                          int64_t{figures.food}, int64_t{figures.remains}, int64_t{figures.whirls},
                          figures.strengthSum, figures.xSum, figures.ySum})
        line += " " + std::to_string(value);
    return line;
}
