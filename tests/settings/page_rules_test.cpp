// The pages' rules on their own: numbers typed into boxes, mode texts, the
// error text of the checks, and which save slot a name means.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/algorithm_check.h"
#include "settings/page_text.h"
#include "settings/save_slots.h"

TEST(PageText, ReadsTheLeadingDigitsOfABoxAndCapsThemAtWhatTheBoxHolds)
{
    const struct {
        const char* text;
        uint32_t largest, expected;
    } cases[] = {
        {"1200", largestNumber, 1200},
        {"  42", largestNumber, 42},
        {"\t\t7", largestNumber, 7},  // tabs are blanks too
        {" \t 8 ", largestNumber, 8},
        {"12abc", largestNumber, 12},
        {"", largestNumber, 0},
        {"abc", largestNumber, 0},
        {"-5", largestNumber, 0},
        {"+5", largestNumber, 0},
        {"9999999", largestNumber, 9999999},
        {"10000000", largestNumber, 9999999},
        {"99999999999999999999999", largestNumber, 9999999},  // no overflow into a small number
        {"4294967291", largestNumber, 9999999},               // a stored -5 shown unsigned
        {"123456", largestCount, 99999},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readUnsignedText(c.text, c.largest), c.expected) << '"' << c.text << '"';
}

TEST(PageText, ModeTextsAreBuiltAndReadBack)
{
    EXPECT_EQ(modeText(800, 600, 16), "800 x 600 x 16");
    const struct {
        const char* text;
        int32_t width, height, depth;
    } cases[] = {
        {"1280 x 1024 x 32", 1280, 1024, 32},
        {"640x480x8", 640, 480, 8},
        {"1024 x 768", 1024, 768, 0},
        {"800 x 600 x 16 x 99", 800, 600, 16},
        {"800 X 600 x 16", 800, 16, 0},  // only a lower-case x divides
        {"", 0, 0, 0},
    };
    for (const auto& c : cases) {
        DisplayModeFields mode = parseModeText(c.text);
        EXPECT_EQ(mode.width, c.width) << c.text;
        EXPECT_EQ(mode.height, c.height) << c.text;
        EXPECT_EQ(mode.depth, c.depth) << c.text;
    }
}

TEST(AlgorithmCheck, ListsEveryBrokenRuleInOrderUnderOneHeading)
{
    const std::string heading =
        "Errors in VobLife Algorithm!!!\r\n-----------------------------------------------\r\n\r\n";
    const std::string birth =
        "* Initial Strength of Vob may not exceed Max Strength of Vob\r\n\r\n";
    const std::string green = "* Vob Green Level should lie below Vob Mega Level\r\n\r\n";
    const std::string mega = "* Vob Mega Level should not exceed Vob Max Strength\r\n\r\n";
    const struct {
        StrengthLevels levels;  // birth, max, mega, green
        std::string lines;
    } cases[] = {
        {{1200, 3000, 1600, 100}, ""},
        {{3000, 3000, 3000, 2999}, ""},  // equal birth and max, mega and max: allowed
        {{3001, 3000, 1600, 100}, birth},
        {{1200, 3000, 1600, 1600}, green},
        {{0, 0, 0, 0}, green},
        {{1200, 3000, 3001, 100}, mega},
        {{1400, 1000, 1500, 1500}, birth + green + mega},
    };
    for (const auto& c : cases)
        EXPECT_EQ(strengthLevelErrors(c.levels), c.lines.empty() ? "" : heading + c.lines)
            << c.levels.birthStrength << " " << c.levels.maxStrength << " " << c.levels.megaLevel
            << " " << c.levels.greenLevel;
}

TEST(AlgorithmCheck, TheNoticeComesWithMoreInitialVobsThanTheLimit)
{
    EXPECT_FALSE(exceedsEntityLimit(5000, 5000));
    EXPECT_TRUE(exceedsEntityLimit(5001, 5000));
    EXPECT_TRUE(exceedsEntityLimit(1, 0));
    EXPECT_TRUE(exceedsEntityLimit(0, -1)) << "a hand-edited negative limit is not a huge one";
}

namespace {

const std::vector<std::string> presetNames = {"The Original VobLife Algorithm",
                                              "The Tovrine",
                                              "The Storm",
                                              "Vob of the Sea of Whirls",
                                              "A Green Sign (Doreroder)",
                                              "Tiny Brain Storm (Doreroder)",
                                              "Brain Storm (Doreroder)"};

}  // namespace

TEST(SaveSlots, ANameMeansTheFirstSlotOfThatWholeNameInAnyCase)
{
    const struct {
        const char* name;
        int slot;
    } cases[] = {
        {"The Storm", 2},   {"the storm", 2},
        {"THE TOVRINE", 1}, {"The", -1},  // only the start of a name
        {"The Storm ", -1}, {"Storm", -1},
        {"", -1},           {"brain storm (doreroder)", 6},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findSlotByName(presetNames, c.name), c.slot) << '"' << c.name << '"';
    EXPECT_EQ(findSlotByName({"Twin", "twin"}, "TWIN"), 0);
    EXPECT_EQ(findSlotByName({"", "Named"}, ""), -1) << "a blank name never picks a slot";
}

TEST(SaveSlots, SaveOverwritesOnlyASlotThatTheTypedNameNames)
{
    const std::string long38(38, 'L');
    const std::vector<std::string> names = {"The Storm", "Twin", "twin", long38};
    const struct {
        int selection;
        std::string typed;
        int slot;
    } cases[] = {
        {-1, "the storm", 0},
        {1, "The", -1},  // a prefix the list selected by itself
        {0, "Something new", -1},
        {2, "TWIN", 2},  // the picked one of two equal names
        {-1, "TWIN", 1},
        {-1, long38 + "xx", 3},  // as it would be stored
        {0, "", -1},
        {7, "Twin", 1},  // a selection out of range counts for nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(saveTargetSlot(names, c.selection, c.typed), c.slot)
            << c.selection << " \"" << c.typed << '"';
}

TEST(SaveSlots, NamesKeep38CharactersAndNewSlotsFollowTheListedRun)
{
    EXPECT_EQ(slotNameFromText(std::string(40, 'n')), std::string(38, 'n'));
    EXPECT_EQ(slotNameFromText("Short"), "Short");
    EXPECT_EQ(nextFreeSlot(0), 0);
    EXPECT_EQ(nextFreeSlot(7), 7);
    EXPECT_EQ(nextFreeSlot(24), 24);
    EXPECT_EQ(nextFreeSlot(25), -1);
}

TEST(SaveSlots, TheListStopsAtTheFirstSlotThatCannotBeRead)
{
    std::vector<int> asked;
    auto withGapAt3 = [&](int slot, OptionsRecord& record) {
        asked.push_back(slot);
        if (slot == 3)
            return false;
        setAlgorithmName(record, "Slot " + std::to_string(slot));
        return true;
    };
    EXPECT_EQ(listSlotNames(withGapAt3), (std::vector<std::string>{"Slot 0", "Slot 1", "Slot 2"}));
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3})) << "nothing beyond the gap is read";

    int reads = 0;
    auto full = [&](int, OptionsRecord& record) {
        ++reads;
        // A stored name with no terminator is read up to the field's end.
        std::fill(record.algorithmName, record.algorithmName + algorithmNameSize, 'z');
        return true;
    };
    const std::vector<std::string> names = listSlotNames(full);
    EXPECT_EQ(names.size(), 25u);
    EXPECT_EQ(reads, 25);
    EXPECT_EQ(names[0], std::string(44, 'z'));
}
