#pragma once
// What each field of the settings record is: its name, place, range, the
// control that edits it on which page, and what it does. Every front end
// reads this one table: the Windows pages, the web page's panel, the Linux
// saver's options and the workbench's --set. A new field of the record is
// one more line here (and its place in OptionsRecord and the presets).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/options_record.h"
#include "settings/save_slots.h"

// The control a page edits a field with.
enum class FieldControl {
    numberBox,     // an edit box read as an unsigned number, capped at `high`
    checkBox,      // 1 checked, 0 not
    radioButtons,  // one button per choice; none checked stores 0
    modeList,      // the display-mode list, "800 x 600 x 16", for the three screen fields
};

// One radio button of a field and the value it stores.
struct FieldChoice {
    int32_t value;
    const char* label;
    int controlId;
    const char* help;  // the help's words for this button
};

struct RecordField {
    const char* name;
    // For designers and the record tool: what the world does with the value.
    const char* meaning;
    int32_t OptionsRecord::*member;
    int32_t low;
    int32_t high;
    // Only the two ends are values (the display depths 16 and 32).
    bool endsOnly;
    const char* page;   // "Playing God!" or "System/Limits"
    const char* group;  // the group box around the control; "" for none
    const char* label;  // the control's caption as the help names it
    FieldControl control;
    int controlId;  // in the page's dialog template (resources/pages.rc)
    int tabStop;    // the control's place on its page, from 1
    // For people: the help's one-line explanation of the control
    // (resources/help/tovrine-help.txt; a test holds the two equal).
    const char* help;
    const FieldChoice* choices;  // radioButtons only
    std::size_t choiceCount;
};

extern const char algorithmPageTitle[];  // "Playing God!"
extern const char limitsPageTitle[];     // "System/Limits"

// The nineteen whole-number fields in the order of the record.
const std::vector<RecordField>& recordFields();

// The field called `name` (exactly as in the table), or nullptr.
const RecordField* findRecordField(const std::string& name);
// The field stored in `member`, or nullptr.
const RecordField* findRecordField(int32_t OptionsRecord::*member);

// Where the field lies in the 128 stored bytes.
std::size_t fieldOffset(const RecordField& field);

// Its value in a record nobody has edited: the first preset's.
int32_t fieldDefault(const RecordField& field);

// The most characters its edit box takes: 5 for the counts, 7 for the rest.
int fieldBoxDigits(const RecordField& field);

// "0 to 9999999", "0 or 1", "16 or 32".
std::string fieldRangeText(const RecordField& field);

bool fieldValueAllowed(const RecordField& field, int64_t value);

// The name field: the Load/Save page takes at most this many characters.
constexpr const char* nameFieldName = "algorithmName";
constexpr std::size_t longestTypedName = slotNameLength;
