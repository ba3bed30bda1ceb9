// The table of the record's fields by name: every field is found, printed,
// set and refused out of range, with its name and range in the message.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "host/saver_options.h"
#include "settings/record_fields.h"
#include "tools/world/record_edit.h"

namespace {

size_t offsetOf(int32_t OptionsRecord::*member)
{
    static const OptionsRecord probe{};
    return static_cast<size_t>(reinterpret_cast<const char*>(&(probe.*member)) -
                               reinterpret_cast<const char*>(&probe));
}

TEST(RecordFields, EveryWholeNumberFieldIsNamedOnceInRecordOrder)
{
    std::set<std::string> names;
    size_t expected = 0;
    for (const RecordField& field : recordFields()) {
        EXPECT_EQ(expected, offsetOf(field.member)) << field.name;
        expected += 4;
        EXPECT_TRUE(names.insert(field.name).second) << field.name;
        EXPECT_EQ(&field, findRecordField(field.name));
        EXPECT_GT(std::strlen(field.meaning), 10u) << field.name;
    }
    EXPECT_EQ(offsetof(OptionsRecord, algorithmName), expected);
    EXPECT_EQ(nullptr, findRecordField("whirlcount"));  // names are exact
}

TEST(RecordFields, EachFieldIsReadSetAndRefusedOutsideItsRange)
{
    for (const RecordField& field : recordFields()) {
        const std::string name = field.name;
        OptionsRecord record = presetAlgorithms[2];
        EXPECT_NE(std::string::npos,
                  ("\n" + recordAsFields(record))
                      .find("\n" + name + "=" + std::to_string(record.*field.member) + "\n"))
            << name;
        for (int32_t value : {field.low, field.high}) {
            FieldSetting setting;
            std::string error;
            ASSERT_TRUE(parseFieldSetting(name + "=" + std::to_string(value), setting, error))
                << error;
            applyFieldSettings(record, {setting});
            EXPECT_EQ(value, record.*field.member) << name;
        }
        std::vector<int64_t> refused = {int64_t{field.low} - 1, int64_t{field.high} + 1};
        if (field.endsOnly)
            refused.push_back((int64_t{field.low} + field.high) / 2);
        for (int64_t value : refused) {
            FieldSetting setting;
            std::string error;
            EXPECT_FALSE(parseFieldSetting(name + "=" + std::to_string(value), setting, error))
                << name << "=" << value;
            EXPECT_EQ(0u, error.find(name + " wants " + fieldRangeText(field))) << error;
        }
    }
}

TEST(RecordFields, NameUnknownFieldsAndBrokenLevelsAreRefused)
{
    FieldSetting setting;
    std::string error;
    ASSERT_TRUE(parseFieldSetting("algorithmName=My Storm, 5", setting, error)) << error;
    OptionsRecord record = presetAlgorithms[0];
    applyFieldSettings(record, {setting});
    EXPECT_EQ("My Storm, 5", algorithmNameText(record));
    EXPECT_FALSE(parseFieldSetting("algorithmName=" + std::string(39, 'n'), setting, error));
    EXPECT_FALSE(parseFieldSetting("whirls=3", setting, error));
    EXPECT_NE(std::string::npos, error.find("no field \"whirls\"")) << error;
    for (const char* text : {"whirlCount=", "whirlCount=+3", "whirlCount=3x", "whirlCount= 3"})
        EXPECT_FALSE(parseFieldSetting(text, setting, error)) << text;

    // The page refuses a birth strength above the ceiling: so does --set.
    EXPECT_TRUE(checkStrengthRules(record, error));
    record.maxStrength = 1000;
    EXPECT_FALSE(checkStrengthRules(record, error));
    EXPECT_NE(std::string::npos, error.find("may not exceed Max Strength")) << error;
    EXPECT_NE(std::string::npos, error.find("should not exceed Vob Max Strength")) << error;
}

// Typed numbers: the Linux saver adjusts and warns, --set refuses, and
// both agree on what is exact and what the page would store.
TEST(RecordRules, FrontEndsReadTypedNumbersAlike)
{
    const struct {
        const char* text;
        int32_t stored;
        bool exact;
    } cases[] = {
        {"42", 42, true},         {"99999", 99999, true},
        {"123456", 99999, false}, {"-5", 0, false},
        {"\t7", 7, false},        {"3x", 3, false},
        {"", 0, false},           {"99999999999999999999", 99999, false},
    };
    for (const auto& c : cases) {
        const char* argv[] = {"tovrine", "-vobs", c.text};
        SaverOptions options;
        std::string error;
        ASSERT_EQ(OptionsVerdict::accepted, readSaverOptions(3, argv, options, error)) << error;
        EXPECT_EQ(c.stored, options.initialVobs.value_or(-1)) << '"' << c.text << '"';
        EXPECT_EQ(c.exact, options.warnings.empty()) << '"' << c.text << '"';
        FieldSetting setting;
        EXPECT_EQ(c.exact, parseFieldSetting(std::string("initialVobs=") + c.text, setting, error))
            << '"' << c.text << '"';
    }
}

// A stored record is judged as the algorithm page would see it: each level
// shown unsigned in its box and read back at most 9999999. The saver, the
// page's import and the workbench give the same verdict.
TEST(RecordRules, StoredLevelsAreJudgedAsThePageShowsThem)
{
    const struct {
        int32_t birthStrength, maxStrength, megaLevel, greenLevel;
        const char* broken;  // "" when the page takes them
    } cases[] = {
        {1200, 3000, 1600, 100, ""},
        {-5, 3000, 1600, 100, "Initial Strength of Vob may not exceed Max Strength of Vob"},
        {1200, 3000, 1600, -1, "Vob Green Level should lie below Vob Mega Level"},
        // Both shown as 9999999 and read back as such.
        {20000000, 15000000, 1600, 100, ""},
        {-1, -2, -3, 100, ""},
    };
    for (const auto& c : cases) {
        OptionsRecord record = presetAlgorithms[0];
        record.birthStrength = c.birthStrength;
        record.maxStrength = c.maxStrength;
        record.megaLevel = c.megaLevel;
        record.greenLevel = c.greenLevel;
        const std::string what = std::to_string(c.birthStrength) + " " +
                                 std::to_string(c.maxStrength) + " " + std::to_string(c.megaLevel) +
                                 " " + std::to_string(c.greenLevel);
        std::string error;
        EXPECT_EQ(*c.broken == '\0', checkStrengthRules(record, error)) << what;
        EXPECT_NE(std::string::npos, error.find(c.broken)) << what;

        StoredRecord file;
        file.path = "x.rec";
        file.bytes.assign(reinterpret_cast<const char*>(&record), optionsRecordSize);
        file.size = optionsRecordSize;
        OptionsRecord taken{};
        const std::string fault = judgeRecordFile(file, "x.rec", taken);
        EXPECT_EQ(*c.broken == '\0' ? "" : "x.rec: " + std::string(c.broken), fault) << what;
    }
}

std::string sourceFile(const char* path)
{
    std::ifstream file(std::string(TOVRINE_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The README's table of fields says it is what `tovrine-record fields`
// prints: a field added or reworded in one and not the other is caught.
TEST(RecordFields, TheReadmesTableIsTheDescriptions)
{
    const std::string readme = sourceFile("README.md");
    ASSERT_FALSE(readme.empty());
    for (const RecordField& field : recordFields()) {
        const std::string row = "\n| `" + std::string(field.name) + "` | " + fieldRangeText(field) +
                                " | " + field.meaning + " |\n";
        EXPECT_NE(std::string::npos, readme.find(row)) << row;
    }
}

// The help's list item for a control, "- **Label** (range): words", as
// the words after its first ": "; empty when the help has no such item.
std::string helpItemWords(const std::string& help, const std::string& label)
{
    const size_t item = help.find("\n- **" + label + "**");
    if (item == std::string::npos)
        return {};
    const size_t end = help.find('\n', item + 1);
    const size_t colon = help.find(": ", item);
    return colon < end ? help.substr(colon + 2, end - colon - 2) : std::string();
}

// The page's panel and the Windows tooltips explain a field in the help's own
// words: a help rewritten without the table (or the other way round) is caught.
TEST(RecordFields, ExplanationsAreTheHelpsOwnWords)
{
    const std::string help = sourceFile("resources/help/tovrine-help.txt");
    ASSERT_FALSE(help.empty());
    for (const RecordField& field : recordFields()) {
        if (field.control == FieldControl::radioButtons) {
            std::string joined;
            for (size_t i = 0; i < field.choiceCount; ++i) {
                const FieldChoice& choice = field.choices[i];
                EXPECT_EQ(helpItemWords(help, choice.label), choice.help) << choice.label;
                joined += std::string(i ? " " : "") + choice.label + ": " + choice.help;
            }
            EXPECT_EQ(joined, field.help) << field.name;
            continue;
        }
        // The help may go on after the explanation (a jump to another topic).
        EXPECT_EQ(0u, helpItemWords(help, field.label).find(field.help)) << field.name;
    }
}

}  // namespace
