#include "settings/record_fields.h"

#include "settings/page_text.h"

namespace {

constexpr int32_t count = static_cast<int32_t>(largestCount);
constexpr int32_t number = static_cast<int32_t>(largestNumber);
// The largest side tovrine-world opens; the mode list offers no larger one.
constexpr int32_t largestSide = 8192;

}  // namespace

const std::vector<RecordField>& recordFields()
{
    static const std::vector<RecordField> fields = {
        {"statsMode", "when a Vob's vital numbers are drawn: 0 never, 1 always, 2 near death",
         &OptionsRecord::statsMode, 0, 2, false},
        {"includeLife", "draw a Vob's meals since it last spawned with its vital numbers",
         &OptionsRecord::includeLife, 0, 1, false},
        {"wrapEdges", "1: leaving one edge re-enters at the opposite one; 0: edges hold",
         &OptionsRecord::wrapEdges, 0, 1, false},
        {"maxEntities", "most living Vobs at once; none is born beyond it",
         &OptionsRecord::maxEntities, 0, number, false},
        {"showCloud", "draw the statistics cloud", &OptionsRecord::showCloud, 0, 1, false},
        {"initialVobs", "Vobs born with each new civilization", &OptionsRecord::initialVobs, 0,
         count, false},
        {"vobIQ", "1: Vobs steer towards food", &OptionsRecord::vobIQ, 0, 1, false},
        {"whirlCount", "whirls made when the world is built", &OptionsRecord::whirlCount, 0, count,
         false},
        {"maxStrength", "ceiling of a Vob's strength; a Vob eats only at or below it",
         &OptionsRecord::maxStrength, 0, number, false},
        {"megaLevel", "strength at or above which a Vob is a mega Vob", &OptionsRecord::megaLevel,
         0, number, false},
        {"greenLevel", "strength at or below which a Vob is weak; newborns count from it",
         &OptionsRecord::greenLevel, 0, number, false},
        {"spawnLevel", "meals after which a Vob spawns; 0 never", &OptionsRecord::spawnLevel, 0,
         number, false},
        {"birthSpawns", "children born at each spawning", &OptionsRecord::birthSpawns, 0, number,
         false},
        {"birthStrength", "bound of a founder's random strength above greenLevel",
         &OptionsRecord::birthStrength, 0, number, false},
        {"foodStrength", "strength in each food deposit; 0 whirls lay no food",
         &OptionsRecord::foodStrength, 0, number, false},
        {"depositGap",
         "pixels a whirl moves before its next deposit; 0 no food; +10 is the "
         "food search radius with vobIQ",
         &OptionsRecord::depositGap, 0, number, false},
        {"screenWidth", "width of the world in pixels", &OptionsRecord::screenWidth, 1, largestSide,
         false},
        {"screenHeight", "height of the world in pixels", &OptionsRecord::screenHeight, 1,
         largestSide, false},
        {"screenDepth", "bits per pixel", &OptionsRecord::screenDepth, 16, 32, true},
    };
    return fields;
}

const RecordField* findRecordField(const std::string& name)
{
    for (const RecordField& field : recordFields())
        if (name == field.name)
            return &field;
    return nullptr;
}

std::string fieldRangeText(const RecordField& field)
{
    const std::string low = std::to_string(field.low);
    const std::string high = std::to_string(field.high);
    return field.endsOnly || field.high == field.low + 1 ? low + " or " + high
                                                         : low + " to " + high;
}

bool fieldValueAllowed(const RecordField& field, int64_t value)
{
    if (field.endsOnly)
        return value == field.low || value == field.high;
    return value >= field.low && value <= field.high;
}
