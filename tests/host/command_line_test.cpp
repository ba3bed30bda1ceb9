#include <gtest/gtest.h>

#include <string>

#include "host/command_line.h"

namespace {

// Shift-JIS-like: 0x81..0x9F and 0xE0..0xFC start a two-byte character.
bool testLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct TailCase {
    const char* line;
    const char* tail;
};

TEST(CommandTail, StepsOverTheProgramNameAndTheBlanksAfterIt)
{
    const TailCase cases[] = {
        {"tovrine.scr /s", "/s"},
        {"\"C:\\Program Files\\My Savers\\tovrine.scr\" /p 1234", "/p 1234"},
        {"\"C:\\path with blanks\\t.scr\"/c:77", "/c:77"},
        {"\"unterminated quote /s", ""},
        {"t.scr\t \x01/a", "/a"},
        {"t.scr", ""},
        {"", ""},
        {"\"\" /s", "/s"},
        // A trail byte equal to '"' or ' ' belongs to its character.
        {"\"\x81\"dir\\t.scr\" /s", "/s"},
        {"\x81 t.scr /s", "/s"},
        // A lead byte at the very end must not carry the walk past the terminator.
        {"\"abc\x81", ""},
    };
    for (const TailCase& c : cases) {
        const char* tail = findCommandTail(c.line, testLeadByte);
        EXPECT_EQ(std::string(tail), c.tail) << "line: " << c.line;
        EXPECT_GE(tail, c.line);
        EXPECT_LE(tail, c.line + std::string(c.line).size());
    }
}

TEST(CommandTail, BytesAboveSevenBitsAreNameCharactersWithoutACodePage)
{
    EXPECT_STREQ(findCommandTail("t\xE9l\xE9.scr /s", nullptr), "/s");
}

TEST(WindowHandle, ReadsOnlyLeadingDecimalDigits)
{
    const struct {
        const char* text;
        uint32_t handle;
    } cases[] = {
        {"1234", 1234},    {"1234abc", 1234}, {"0x1F", 0}, {"-12", 0},
        {" 12", 0},        {"", 0},           {"007", 7},  {"4294967295", 4294967295u},
        {"4294967296", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseWindowHandle(c.text), c.handle) << c.text;
}

TEST(RunModeChoice, FollowsTheLetterAfterBlanksDashesAndSlashes)
{
    const struct {
        const char* tail;
        RunMode mode;
        uint32_t window;
    } cases[] = {
        {"", RunMode::configure, 0},           {" /-/ ", RunMode::configure, 0},
        {"/", RunMode::configure, 0},          {"/s", RunMode::fullScreen, 0},
        {"-S", RunMode::fullScreen, 0},        {"s", RunMode::fullScreen, 0},
        {"//s", RunMode::fullScreen, 0},       {"/x", RunMode::invalid, 0},
        {"\t/s", RunMode::invalid, 0},         {"/\xE9", RunMode::invalid, 0},
        {"/5", RunMode::invalid, 0},           {"/p 1234", RunMode::preview, 1234},
        {"/p1234", RunMode::preview, 1234},    {"/P    1234", RunMode::preview, 1234},
        {"/l 1234", RunMode::preview, 1234},   {"/p 0x4D2", RunMode::preview, 0},
        {"/p", RunMode::preview, 0},           {"/p\t1234", RunMode::preview, 0},
        {"/c:1234", RunMode::configure, 1234}, {"/c 1234", RunMode::configure, 0},
        {"/C", RunMode::configure, 0},         {"/a 1234", RunMode::changePassword, 1234},
        {"-A", RunMode::changePassword, 0},
    };
    for (const auto& c : cases) {
        RunRequest request = chooseRunMode(c.tail);
        EXPECT_EQ(request.mode, c.mode) << c.tail;
        EXPECT_EQ(request.window, c.window) << c.tail;
    }
}

}  // namespace
