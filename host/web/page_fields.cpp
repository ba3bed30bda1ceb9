#include "host/web/page_fields.h"

#include <cstdint>

#include "settings/page_text.h"

namespace {

enum class Kind { number, toggle, choice, mode };

struct Field {
    const char* name;
    const char* label;
    const char* group;
    const char* page;
    Kind kind;
    int32_t OptionsRecord::*member;
    uint32_t largest;
};

const char* const algorithmPage = "Playing God!";
const char* const limitsPage = "System/Limits";

// In the order of the pages' tab stops.
const Field fields[] = {
    {"initialVobs", "Vobs", "Entities", algorithmPage, Kind::number, &OptionsRecord::initialVobs,
     largestCount},
    {"whirlCount", "Whirls", "Entities", algorithmPage, Kind::number, &OptionsRecord::whirlCount,
     largestCount},
    {"vobIQ", "Vob IQ (A.I.)", "", algorithmPage, Kind::toggle, &OptionsRecord::vobIQ, 1},
    {"statsMode", "Vital/World Stats", "Vital/World Stats", algorithmPage, Kind::choice,
     &OptionsRecord::statsMode, 2},
    {"includeLife", "Include Life", "Vital/World Stats", algorithmPage, Kind::toggle,
     &OptionsRecord::includeLife, 1},
    {"showCloud", "Show Cloud", "Vital/World Stats", algorithmPage, Kind::toggle,
     &OptionsRecord::showCloud, 1},
    {"wrapEdges", "Wrap Edges", "Vital/World Stats", algorithmPage, Kind::toggle,
     &OptionsRecord::wrapEdges, 1},
    {"birthStrength", "Birth Strength", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::birthStrength, largestNumber},
    {"maxStrength", "Max Strength", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::maxStrength, largestNumber},
    {"spawnLevel", "Spawn Level", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::spawnLevel, largestNumber},
    {"birthSpawns", "Birth Spawns", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::birthSpawns, largestNumber},
    {"megaLevel", "Mega Level", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::megaLevel, largestNumber},
    {"greenLevel", "Green Level", "The Life of a Vob", algorithmPage, Kind::number,
     &OptionsRecord::greenLevel, largestNumber},
    {"foodStrength", "Food Strength", "Whirl/Food Magic", algorithmPage, Kind::number,
     &OptionsRecord::foodStrength, largestNumber},
    {"depositGap", "Deposit Gap", "Whirl/Food Magic", algorithmPage, Kind::number,
     &OptionsRecord::depositGap, largestNumber},
    {"displayMode", "Screensaver Resolution / Civilization Size",
     "Screensaver Resolution / Civilization Size", limitsPage, Kind::mode, nullptr, 0},
    {"maxEntities", "Max Entities Allowed", "Limits", limitsPage, Kind::number,
     &OptionsRecord::maxEntities, largestNumber},
};

// The radio buttons in the page's order, with the value each stores.
const struct {
    int32_t value;
    const char* label;
} statsChoices[] = {{1, "Birth to Death"}, {2, "When Near Death"}, {0, "Never"}};

// Sizes a browser window shows well; the world takes any from 1 to 8192 a side.
const char* const offeredModes[] = {"640 x 480",   "800 x 600",  "1024 x 768", "1280 x 720",
                                    "1280 x 1024", "1600 x 900", "1920 x 1080"};

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        out += c;
    }
    return out + "\"";
}

// The page shows what it stores: a hand-edited negative value appears as
// the unsigned number SetDlgItemInt makes of it; a radio button checked
// only for 1 and 2.
std::string shownValue(const Field& field, const OptionsRecord& record)
{
    switch (field.kind) {
    case Kind::mode:
        return quoted(modeText(record.screenWidth, record.screenHeight, record.screenDepth));
    case Kind::toggle:
        return record.*field.member != 0 ? "1" : "0";
    case Kind::choice: {
        const int32_t stats = record.*field.member;
        return std::to_string(stats == 1 || stats == 2 ? stats : 0);
    }
    default:
        return std::to_string(static_cast<uint32_t>(record.*field.member));
    }
}

const char* kindName(Kind kind)
{
    switch (kind) {
    case Kind::number:
        return "number";
    case Kind::toggle:
        return "switch";
    case Kind::choice:
        return "choice";
    default:
        return "mode";
    }
}

std::string choicesOf(const Field& field)
{
    std::string out = "[";
    if (field.kind == Kind::choice) {
        for (const auto& choice : statsChoices)
            out += std::string(out.size() > 1 ? "," : "") +
                   "{\"value\":" + std::to_string(choice.value) +
                   ",\"label\":" + quoted(choice.label) + "}";
    } else {
        for (const char* size : offeredModes)
            for (const char* depth : {" x 16", " x 32"})
                out += std::string(out.size() > 1 ? "," : "") + quoted(std::string(size) + depth);
    }
    return out + "]";
}

}  // namespace

std::string pageFieldsJson(const OptionsRecord& record)
{
    std::string out = "[";
    for (const Field& field : fields) {
        if (out.size() > 1)
            out += ",";
        out += "{\"name\":" + quoted(field.name) + ",\"label\":" + quoted(field.label) +
               ",\"group\":" + quoted(field.group) + ",\"page\":" + quoted(field.page) +
               ",\"kind\":" + quoted(kindName(field.kind)) +
               ",\"value\":" + shownValue(field, record);
        if (field.kind == Kind::number)
            out += ",\"min\":0,\"max\":" + std::to_string(field.largest) +
                   ",\"maxLength\":" + (field.largest == largestCount ? "5" : "7");
        if (field.kind == Kind::choice || field.kind == Kind::mode)
            out += ",\"choices\":" + choicesOf(field);
        out += "}";
    }
    return out + "]";
}

bool setPageField(OptionsRecord& record, const std::string& name, const std::string& text)
{
    for (const Field& field : fields) {
        if (name != field.name)
            continue;
        switch (field.kind) {
        case Kind::mode: {
            const DisplayModeFields mode = parseModeText(text);
            record.screenWidth = mode.width;
            record.screenHeight = mode.height;
            record.screenDepth = mode.depth;
            break;
        }
        case Kind::toggle:
            record.*field.member = text == "true" || text == "on" || readUnsignedText(text, 1) == 1;
            break;
        case Kind::choice: {
            const uint32_t stats = readUnsignedText(text, UINT32_MAX);
            record.*field.member = stats == 1 || stats == 2 ? static_cast<int32_t>(stats) : 0;
            break;
        }
        default:
            record.*field.member = static_cast<int32_t>(readUnsignedText(text, field.largest));
        }
        return true;
    }
    return false;
}
