#include "run/world_figures.h"

#include <cstdio>

#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"

namespace {

int32_t populationOf(const EntityList* list) { return list != nullptr ? list->population() : 0; }

// The counters are 32 bits and a very long run may wrap them: the
// difference of two readings is still right modulo 2^32.
int64_t countedSince(int32_t before, int32_t now)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(before));
}

}  // namespace

WorldFigures collectWorldFigures(const World& world)
{
    const EntityList* vobList = world.vobList;
    const EntityList* remainsList = world.remainsList;
    WorldFigures figures;
    figures.food = populationOf(world.foodList);
    figures.remains = populationOf(remainsList);
    figures.whirls = populationOf(world.whirlList);
    figures.remainsHistory = remainsList != nullptr ? remainsList->history() : 0;
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

CivilizationWatch::CivilizationWatch(const WorldFigures& start)
    : last_(start), civilizations_(start.vobs > 0 ? 1 : 0)
{
}

FrameChanges CivilizationWatch::observe(const WorldFigures& now)
{
    FrameChanges changes;
    changes.deaths = countedSince(last_.remainsHistory, now.remainsHistory);
    changes.births = int64_t{now.vobs} - last_.vobs + changes.deaths;
    changes.newCivilization = last_.vobs == 0 && now.vobs > 0;
    changes.extinction = last_.vobs > 0 && now.vobs == 0;
    if (changes.newCivilization)
        civilizations_ += 1;
    last_ = now;
    return changes;
}

std::string csvHeader()
{
    return "frame,vobs,history,peak,food,remains,whirls,strength_sum,x_sum,y_sum,"
           "civilizations,births,deaths,mean_strength";
}

std::string formatCsvRow(int64_t frame, const WorldFigures& figures, const FrameChanges& changes,
                         int64_t civilizations)
{
    std::string row = formatWorldFigures(frame, figures);
    for (char& c : row)
        c = c == ' ' ? ',' : c;
    row += "," + std::to_string(civilizations) + "," + std::to_string(changes.births) + "," +
           std::to_string(changes.deaths) + ",";
    if (figures.vobs > 0) {
        char mean[32];
        std::snprintf(mean, sizeof mean, "%.2f",
                      static_cast<double>(figures.strengthSum) / figures.vobs);
        row += mean;
    }
    return row;
}
