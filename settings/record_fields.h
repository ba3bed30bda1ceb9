#pragma once
// The fields of the settings record by the names the code gives them, with
// the values the configuration pages can store in each: one table for every
// program that reads or sets a field by name.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/options_record.h"

struct RecordField {
    const char* name;
    const char* meaning;
    int32_t OptionsRecord::*member;
    int32_t low;
    int32_t high;
    // Only the two ends are values (the display depths 16 and 32).
    bool endsOnly;
};

// The nineteen whole-number fields in the order of the record.
const std::vector<RecordField>& recordFields();

// The field called `name` (exactly as in the table), or nullptr.
const RecordField* findRecordField(const std::string& name);

// "0 to 9999999", "0 or 1", "16 or 32".
std::string fieldRangeText(const RecordField& field);

bool fieldValueAllowed(const RecordField& field, int64_t value);

// The name field: the Load/Save page takes at most this many characters.
constexpr const char* nameFieldName = "algorithmName";
constexpr std::size_t longestTypedName = 38;
