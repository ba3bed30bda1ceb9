#include "settings/record_fields.h"

#include "settings/page_text.h"

const char algorithmPageTitle[] = "Playing God!";
const char limitsPageTitle[] = "System/Limits";

namespace {

constexpr int32_t count = static_cast<int32_t>(largestCount);
constexpr int32_t number = static_cast<int32_t>(largestNumber);
// The largest side tovrine-world opens; the mode list offers no larger one.
constexpr int32_t largestSide = 8192;

const char* const god = algorithmPageTitle;
const char* const limits = limitsPageTitle;
const char* const stats = "Vital/World Stats";
const char* const life = "The Life of a Vob";
const char* const food = "Whirl/Food Magic";
const char* const resolution = "Screensaver Resolution / Civilization Size";
const char* const resolutionHelp = "the display mode the saver switches to, as width x height x "
                                   "bits per pixel (for example 800 x 600 x 16).";

// In the order the page checks them: any other stored value shows "Never".
const FieldChoice statsChoices[] = {
    {1, "Birth to Death", 1009, "every Vob shows its strength."},
    {2, "When Near Death", 1008, "only Vobs at or below the Green Level show it."},
    {0, "Never", 1018, "no numbers above the Vobs."},
};

using C = FieldControl;

}  // namespace

const std::vector<RecordField>& recordFields()
{
    static const std::vector<RecordField> fields = {
        {"statsMode", "when a Vob's vital numbers are drawn: 0 never, 1 always, 2 near death",
         &OptionsRecord::statsMode, 0, 2, false, god, stats, "Vital/World Stats", C::radioButtons,
         0, 4,
         "Birth to Death: every Vob shows its strength. When Near Death: only Vobs at or below "
         "the Green Level show it. Never: no numbers above the Vobs.",
         statsChoices, 3},
        {"includeLife", "draw a Vob's meals since it last spawned with its vital numbers",
         &OptionsRecord::includeLife, 0, 1, false, god, stats, "Include Life", C::checkBox, 1021, 5,
         "with the strength, also show the meals since the Vob last spawned.", nullptr, 0},
        {"wrapEdges", "1: leaving one edge re-enters at the opposite one; 0: edges hold",
         &OptionsRecord::wrapEdges, 0, 1, false, god, stats, "Wrap Edges", C::checkBox, 1072, 7,
         "on, a Vob or whirl leaving one edge of the screen comes back at the opposite one; off, "
         "they stay inside the screen.",
         nullptr, 0},
        {"maxEntities", "most living Vobs at once; none is born beyond it",
         &OptionsRecord::maxEntities, 0, number, false, limits, "Limits", "Max Entities Allowed",
         C::numberBox, 1041, 2,
         "the most Vobs that may live at once, whatever the algorithm says; no Vob is born beyond "
         "it. 0: no Vob is ever born.",
         nullptr, 0},
        {"showCloud", "draw the statistics cloud", &OptionsRecord::showCloud, 0, 1, false, god,
         stats, "Show Cloud", C::checkBox, 1047, 6,
         "show the statistics cloud (F1 while the saver runs).", nullptr, 0},
        {"initialVobs", "Vobs born with each new civilization", &OptionsRecord::initialVobs, 0,
         count, false, god, "Entities", "Vobs", C::numberBox, 1010, 1,
         "the Vobs born with each new civilization. 0 leaves the world empty.", nullptr, 0},
        {"vobIQ", "1: Vobs steer towards food", &OptionsRecord::vobIQ, 0, 1, false, god, "",
         "Vob IQ (A.I.)", C::checkBox, 1081, 3,
         "on, Vobs steer towards food within Deposit Gap + 10 pixels; off, they wander at random.",
         nullptr, 0},
        {"whirlCount", "whirls made when the world is built", &OptionsRecord::whirlCount, 0, count,
         false, god, "Entities", "Whirls", C::numberBox, 1011, 2,
         "the whirls created when the saver starts.", nullptr, 0},
        {"maxStrength", "ceiling of a Vob's strength; a Vob eats only at or below it",
         &OptionsRecord::maxStrength, 0, number, false, god, life, "Max Strength", C::numberBox,
         1013, 9,
         "a Vob eats only while its strength is at or below this, and never grows beyond it.",
         nullptr, 0},
        {"megaLevel", "strength at or above which a Vob is a mega Vob", &OptionsRecord::megaLevel,
         0, number, false, god, life, "Mega Level", C::numberBox, 1016, 12,
         "at or above this strength a Vob is a large mega Vob.", nullptr, 0},
        {"greenLevel", "strength at or below which a Vob is weak; newborns count from it",
         &OptionsRecord::greenLevel, 0, number, false, god, life, "Green Level", C::numberBox, 1017,
         13, "at or below this strength a Vob is green, near death.", nullptr, 0},
        {"spawnLevel", "meals after which a Vob spawns; 0 never", &OptionsRecord::spawnLevel, 0,
         number, false, god, life, "Spawn Level", C::numberBox, 1014, 10,
         "the meals after which a Vob spawns. 0: Vobs never spawn.", nullptr, 0},
        {"birthSpawns", "children born at each spawning", &OptionsRecord::birthSpawns, 0, number,
         false, god, life, "Birth Spawns", C::numberBox, 1015, 11,
         "the children born at each spawning.", nullptr, 0},
        {"birthStrength", "bound of a founder's random strength above greenLevel",
         &OptionsRecord::birthStrength, 0, number, false, god, life, "Birth Strength", C::numberBox,
         1012, 8,
         "each Vob of a new civilization starts with a random strength of up to this much above "
         "the Green Level.",
         nullptr, 0},
        {"foodStrength", "strength in each food deposit; 0: whirls lay no food",
         &OptionsRecord::foodStrength, 0, number, false, god, food, "Food Strength", C::numberBox,
         1019, 14, "the strength in each food deposit when it is laid. 0: no food.", nullptr, 0},
        {"depositGap",
         "pixels a whirl moves before its next deposit; 0: no food; plus 10, the "
         "food search radius with vobIQ",
         &OptionsRecord::depositGap, 0, number, false, god, food, "Deposit Gap", C::numberBox, 1020,
         15, "how far, in pixels, a whirl travels between two deposits. 0: no food.", nullptr, 0},
        {"screenWidth", "width of the world in pixels", &OptionsRecord::screenWidth, 1, largestSide,
         false, limits, resolution, "Screensaver Resolution", C::modeList, 1046, 1, resolutionHelp,
         nullptr, 0},
        {"screenHeight", "height of the world in pixels", &OptionsRecord::screenHeight, 1,
         largestSide, false, limits, resolution, "Screensaver Resolution", C::modeList, 1046, 1,
         resolutionHelp, nullptr, 0},
        {"screenDepth", "bits per pixel", &OptionsRecord::screenDepth, 16, 32, true, limits,
         resolution, "Screensaver Resolution", C::modeList, 1046, 1, resolutionHelp, nullptr, 0},
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

const RecordField* findRecordField(int32_t OptionsRecord::*member)
{
    for (const RecordField& field : recordFields())
        if (member == field.member)
            return &field;
    return nullptr;
}

std::size_t fieldOffset(const RecordField& field)
{
    static const OptionsRecord probe{};
    return static_cast<std::size_t>(reinterpret_cast<const char*>(&(probe.*field.member)) -
                                    reinterpret_cast<const char*>(&probe));
}

int32_t fieldDefault(const RecordField& field) { return presetAlgorithms[0].*field.member; }

int fieldBoxDigits(const RecordField& field)
{
    return static_cast<int>(std::to_string(field.high).size());
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
