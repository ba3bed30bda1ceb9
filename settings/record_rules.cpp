#include "settings/record_rules.h"

#include <algorithm>
#include <cstring>

#include "settings/page_text.h"

namespace {

// Digits only, at least one; `number` saturates far above any range.
bool wholeNumberText(const std::string& text, uint64_t& number)
{
    if (text.empty())
        return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number =
            std::min<uint64_t>(number * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX + 1ull);
    }
    return true;
}

const RecordField& fieldOf(int32_t OptionsRecord::*member) { return *findRecordField(member); }

}  // namespace

FieldReading readControlText(FieldControl control, int64_t low, int64_t high,
                             const std::string& text)
{
    uint64_t typed = 0;
    const bool inRange = wholeNumberText(text, typed) && static_cast<int64_t>(typed) >= low &&
                         static_cast<int64_t>(typed) <= high;
    int64_t value = 0;
    switch (control) {
    case FieldControl::checkBox:
        value = readUnsignedText(text, largestNumber) != 0 ? 1 : 0;
        break;
    case FieldControl::radioButtons: {
        const int64_t chosen = readUnsignedText(text, largestNumber);
        value = chosen >= low && chosen <= high ? chosen : 0;
        break;
    }
    default:
        value = std::max<int64_t>(readUnsignedText(text, static_cast<uint32_t>(high)), low);
    }
    return {value, inRange};
}

FieldReading readFieldText(const RecordField& field, const std::string& text)
{
    FieldReading reading = readControlText(field.control, field.low, field.high, text);
    reading.exact = reading.exact && fieldValueAllowed(field, reading.value);
    return reading;
}

uint32_t boxValue(const RecordField& field, int32_t stored)
{
    return std::min(static_cast<uint32_t>(stored), static_cast<uint32_t>(field.high));
}

StrengthLevels strengthLevelsOf(const OptionsRecord& record)
{
    auto level = [&record](int32_t OptionsRecord::*member) {
        return boxValue(fieldOf(member), record.*member);
    };
    return {level(&OptionsRecord::birthStrength), level(&OptionsRecord::maxStrength),
            level(&OptionsRecord::megaLevel), level(&OptionsRecord::greenLevel)};
}

std::string brokenRulesLine(const std::vector<StrengthRule>& rules)
{
    std::string line;
    for (StrengthRule rule : rules)
        line += (line.empty() ? "" : "; ") + std::string(strengthRuleText(rule));
    return line;
}

bool displayModeDrawn(const OptionsRecord& record, bool anySize)
{
    auto allowed = [&record](int32_t OptionsRecord::*member) {
        return fieldValueAllowed(fieldOf(member), record.*member);
    };
    const bool sizeDrawn =
        anySize || (allowed(&OptionsRecord::screenWidth) && allowed(&OptionsRecord::screenHeight));
    return sizeDrawn && allowed(&OptionsRecord::screenDepth);
}

RecordBytesFault readRecordBytes(const std::string& bytes, uint64_t size, OptionsRecord& record)
{
    if (size != optionsRecordSize || bytes.size() != optionsRecordSize)
        return RecordBytesFault::wrongSize;
    OptionsRecord read;
    std::memcpy(&read, bytes.data(), optionsRecordSize);
    if (!hasCurrentFormatVersion(read))
        return RecordBytesFault::otherVersion;
    record = read;
    return RecordBytesFault::none;
}

RecordJudgement judgeRecordBytes(const std::string& bytes, uint64_t size, OptionsRecord& record)
{
    RecordJudgement judgement;
    OptionsRecord read;
    judgement.bytesFault = readRecordBytes(bytes, size, read);
    if (judgement.bytesFault != RecordBytesFault::none)
        return judgement;
    judgement.brokenRules = brokenStrengthRules(strengthLevelsOf(read));
    judgement.modeDrawn = displayModeDrawn(read, false);
    record = read;
    return judgement;
}
