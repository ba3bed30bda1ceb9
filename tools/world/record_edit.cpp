#include "tools/world/record_edit.h"

#include "settings/record_fields.h"
#include "settings/record_rules.h"

bool parseFieldSetting(const std::string& text, FieldSetting& setting, std::string& error)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = "\"" + text + "\" is not FIELD=VALUE (tovrine-record fields lists the fields)";
        return false;
    }
    setting = FieldSetting{text.substr(0, equals), 0, ""};
    const std::string value = text.substr(equals + 1);
    if (setting.name == nameFieldName) {
        bool printable = true;
        for (char c : value)
            printable = printable && static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
        if (value.size() > longestTypedName || !printable) {
            error = std::string(nameFieldName) + " wants a name of at most " +
                    std::to_string(longestTypedName) + " characters without control codes";
            return false;
        }
        setting.text = value;
        return true;
    }
    const RecordField* field = findRecordField(setting.name);
    if (field == nullptr) {
        error = "the record has no field \"" + setting.name +
                "\" (tovrine-record fields lists the fields)";
        return false;
    }
    // Only a value the pages could store, typed exactly: --set adjusts nothing.
    const FieldReading reading = readFieldText(*field, value);
    if (!reading.exact) {
        error = setting.name + " wants " + fieldRangeText(*field) + ", not \"" + value + "\"";
        return false;
    }
    setting.number = reading.value;
    return true;
}

bool addFieldSetting(std::vector<FieldSetting>& settings, const FieldSetting& setting,
                     std::string& error)
{
    for (const FieldSetting& known : settings)
        if (known.name == setting.name) {
            error = setting.name + " is set twice";
            return false;
        }
    settings.push_back(setting);
    return true;
}

void applyFieldSettings(OptionsRecord& record, const std::vector<FieldSetting>& settings)
{
    for (const FieldSetting& setting : settings) {
        if (setting.name == nameFieldName)
            setAlgorithmName(record, setting.text);
        else if (const RecordField* field = findRecordField(setting.name))
            record.*(field->member) = static_cast<int32_t>(setting.number);
    }
}

bool checkStrengthRules(const OptionsRecord& record, std::string& error)
{
    const std::vector<StrengthRule> broken = brokenStrengthRules(strengthLevelsOf(record));
    if (broken.empty())
        return true;
    error = "birthStrength " + std::to_string(record.birthStrength) + ", maxStrength " +
            std::to_string(record.maxStrength) + ", megaLevel " + std::to_string(record.megaLevel) +
            ", greenLevel " + std::to_string(record.greenLevel) +
            " would be refused by the algorithm page: " + brokenRulesLine(broken);
    return false;
}

std::string settingText(const FieldSetting& setting)
{
    return setting.name + "=" +
           (setting.name == nameFieldName ? setting.text : std::to_string(setting.number));
}

std::string recordAsFields(const OptionsRecord& record)
{
    std::string text;
    for (const RecordField& field : recordFields())
        text += std::string(field.name) + "=" + std::to_string(record.*(field.member)) + "\n";
    return text + nameFieldName + "=" + algorithmNameText(record) + "\n";
}
