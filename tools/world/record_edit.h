// Fields of a settings record set by name on the workbench's command lines
// (--set FIELD=VALUE), checked against what the configuration pages store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/options_record.h"

struct FieldSetting {
    std::string name;
    int64_t number = 0;
    std::string text;  // algorithmName only
};

// "whirlCount=20": a known field and a value the pages could store in it.
// False with `error` naming the field and its range.
bool parseFieldSetting(const std::string& text, FieldSetting& setting, std::string& error);

// A second setting of the same field is refused rather than one silently winning.
bool addFieldSetting(std::vector<FieldSetting>& settings, const FieldSetting& setting,
                     std::string& error);

void applyFieldSettings(OptionsRecord& record, const std::vector<FieldSetting>& settings);

// False with `error` when the strength levels break a rule of the algorithm
// page, which would refuse to store them.
bool checkStrengthRules(const OptionsRecord& record, std::string& error);

// "whirlCount=20", the text parseFieldSetting reads back.
std::string settingText(const FieldSetting& setting);

// Every field as NAME=VALUE lines, in the order of the record.
std::string recordAsFields(const OptionsRecord& record);
