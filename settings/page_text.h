#pragma once
// Text the configuration pages read from their controls and write into them:
// numbers typed into edit boxes and the display-mode entries of the list.

#include <cstdint>
#include <string>

// The largest numbers the edit boxes can hold: five digits for the counts of
// Vobs and whirls, seven for every other number.
constexpr uint32_t largestCount = 99999;
constexpr uint32_t largestNumber = 9999999;

// Reads an unsigned decimal number: leading blanks are skipped and reading
// stops at the first other character, so text that is not a number reads as
// 0. No sign is accepted. A value above largest reads as largest, so a page
// never stores more than its box can show, nor a negative field.
uint32_t readUnsignedText(const std::string& text, uint32_t largest);

struct DisplayModeFields {
    int32_t width;
    int32_t height;
    int32_t depth;
};

// "800 x 600 x 16": the text of one display mode in the mode list.
std::string modeText(int32_t width, int32_t height, int32_t depth);

// Splits a mode entry at each lower-case 'x' and reads the first three parts
// as numbers; further parts are dropped and a missing part reads as 0.
DisplayModeFields parseModeText(const std::string& text);
