#pragma once
// The record's rules that every front end applies alike: how a control reads
// typed text, how a stored record's strength levels and display mode are
// judged, and whether a file holds a record at all. Results are facts; each
// front end words them as it must (a warning line, a refusal, a message box).

#include <cstdint>
#include <string>
#include <vector>

#include "settings/algorithm_check.h"
#include "settings/options_record.h"
#include "settings/record_fields.h"

// What a control stores for typed text, and whether the text was exactly
// that value already (digits only, in range): "3x" in a box is 3, not exact.
struct FieldReading {
    int64_t value;
    bool exact;
};

// As the pages read their controls back: a box takes the leading digits
// after blanks (nothing, a sign or a letter is 0) capped at `high`; a check
// box is 1 for any number but 0; radio buttons store a value in range, else 0.
FieldReading readControlText(FieldControl control, int64_t low, int64_t high,
                             const std::string& text);

// The same for a field of the record; endsOnly fields are exact only at their ends.
FieldReading readFieldText(const RecordField& field, const std::string& text);

// A stored value as the page's box shows it (unsigned: a hand-edited -5 is
// 4294967291) and reads it back, capped at what the box holds. One handling
// of negative and overlong values for every judge of a stored record.
uint32_t boxValue(const RecordField& field, int32_t stored);

// The four strength levels of a stored record as the algorithm page judges them.
StrengthLevels strengthLevelsOf(const OptionsRecord& record);

// The broken rules' own lines without the box's marks, joined by "; ".
std::string brokenRulesLine(const std::vector<StrengthRule>& rules);

// True when the world can be drawn in the record's mode: depth 16 or 32 and,
// unless the window sets the size, sides in the screen fields' range.
bool displayModeDrawn(const OptionsRecord& record, bool anySize);

enum class RecordBytesFault { none, wrongSize, otherVersion };

// The first bytes of a stored record (up to one more than a record) and its
// real size: a record is taken only whole and only of this format version,
// as the Windows saver reads "Options". `record` is set when it is taken.
RecordBytesFault readRecordBytes(const std::string& bytes, uint64_t size, OptionsRecord& record);

// Everything the front ends say about one record file.
struct RecordJudgement {
    RecordBytesFault bytesFault = RecordBytesFault::none;
    std::vector<StrengthRule> brokenRules;  // what the algorithm page would refuse
    bool modeDrawn = true;
};

RecordJudgement judgeRecordBytes(const std::string& bytes, uint64_t size, OptionsRecord& record);
