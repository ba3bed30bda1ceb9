#include "host/web/page_fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "settings/page_text.h"
#include "settings/record_fields.h"
#include "settings/record_rules.h"

namespace {

// The fields in the order of the pages' tab stops, "Playing God!" first; the
// three screen fields are the one mode list, named "displayMode".
std::vector<const RecordField*> pageOrder()
{
    std::vector<const RecordField*> order;
    for (const char* page : {algorithmPageTitle, limitsPageTitle}) {
        std::vector<const RecordField*> onPage;
        for (const RecordField& field : recordFields())
            if (std::strcmp(field.page, page) == 0 && (field.control != FieldControl::modeList ||
                                                       field.member == &OptionsRecord::screenWidth))
                onPage.push_back(&field);
        std::stable_sort(
            onPage.begin(), onPage.end(),
            [](const RecordField* a, const RecordField* b) { return a->tabStop < b->tabStop; });
        order.insert(order.end(), onPage.begin(), onPage.end());
    }
    return order;
}

const std::vector<const RecordField*>& pageFields()
{
    static const std::vector<const RecordField*> fields = pageOrder();
    return fields;
}

const char* nameOf(const RecordField& field)
{
    return field.control == FieldControl::modeList ? "displayMode" : field.name;
}

// The value a radio button stores for `value`: its own where one stores it,
// else that of the button with no value of its own (0, "Never").
int32_t choiceStored(const RecordField& field, uint32_t value)
{
    for (std::size_t i = 0; i < field.choiceCount; ++i)
        if (static_cast<uint32_t>(field.choices[i].value) == value)
            return field.choices[i].value;
    return 0;
}

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
// only for a value one of them stores, else the one that stores 0.
std::string shownValue(const RecordField& field, const OptionsRecord& record)
{
    const int32_t value = record.*field.member;
    switch (field.control) {
    case FieldControl::modeList:
        return quoted(modeText(record.screenWidth, record.screenHeight, record.screenDepth));
    case FieldControl::checkBox:
        return value != 0 ? "1" : "0";
    case FieldControl::radioButtons:
        return std::to_string(choiceStored(field, static_cast<uint32_t>(value)));
    default:
        return std::to_string(static_cast<uint32_t>(value));
    }
}

const char* kindName(FieldControl control)
{
    switch (control) {
    case FieldControl::numberBox:
        return "number";
    case FieldControl::checkBox:
        return "switch";
    case FieldControl::radioButtons:
        return "choice";
    default:
        return "mode";
    }
}

std::string choicesOf(const RecordField& field)
{
    std::string out = "[";
    if (field.control == FieldControl::radioButtons) {
        for (std::size_t i = 0; i < field.choiceCount; ++i) {
            const FieldChoice& choice = field.choices[i];
            out += std::string(out.size() > 1 ? "," : "") +
                   "{\"value\":" + std::to_string(choice.value) +
                   ",\"label\":" + quoted(choice.label) + ",\"help\":" + quoted(choice.help) + "}";
        }
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
    for (const RecordField* field : pageFields()) {
        if (out.size() > 1)
            out += ",";
        out += "{\"name\":" + quoted(nameOf(*field)) + ",\"label\":" + quoted(field->label) +
               ",\"group\":" + quoted(field->group) + ",\"page\":" + quoted(field->page) +
               ",\"kind\":" + quoted(kindName(field->control)) +
               ",\"value\":" + shownValue(*field, record) + ",\"help\":" + quoted(field->help);
        if (field->control == FieldControl::numberBox)
            out += ",\"min\":" + std::to_string(field->low) +
                   ",\"max\":" + std::to_string(field->high) +
                   ",\"range\":" + quoted(fieldRangeText(*field)) +
                   ",\"maxLength\":" + std::to_string(fieldBoxDigits(*field));
        if (field->control == FieldControl::radioButtons ||
            field->control == FieldControl::modeList)
            out += ",\"choices\":" + choicesOf(*field);
        out += "}";
    }
    return out + "]";
}

bool setPageField(OptionsRecord& record, const std::string& name, const std::string& text)
{
    for (const RecordField* field : pageFields()) {
        if (name != nameOf(*field))
            continue;
        switch (field->control) {
        case FieldControl::modeList: {
            const DisplayModeFields mode = parseModeText(text);
            record.screenWidth = mode.width;
            record.screenHeight = mode.height;
            record.screenDepth = mode.depth;
            break;
        }
        case FieldControl::checkBox:
            // A browser's check box may also say "on" or "true".
            record.*field->member =
                text == "true" || text == "on" || readFieldText(*field, text).value == 1;
            break;
        default:
            record.*field->member = static_cast<int32_t>(readFieldText(*field, text).value);
        }
        return true;
    }
    return false;
}
