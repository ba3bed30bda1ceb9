#pragma once
// The consistency checks of the algorithm page and the texts of its boxes.

#include <cstdint>
#include <string>
#include <vector>

struct StrengthLevels {
    uint32_t birthStrength;
    uint32_t maxStrength;
    uint32_t megaLevel;
    uint32_t greenLevel;
};

// The three rules, in the order the page checks them.
enum class StrengthRule { birthWithinMax, greenBelowMega, megaWithinMax };

extern const char algorithmErrorCaption[];  // "Errors in VobLife Algorithm"
extern const char entityNoticeCaption[];    // "Notice!"
extern const char entityNoticeText[];

// The rules the levels break, in order; empty when they break none.
std::vector<StrengthRule> brokenStrengthRules(const StrengthLevels& levels);

// "Initial Strength of Vob may not exceed Max Strength of Vob", ...
const char* strengthRuleText(StrengthRule rule);

// The text of the error box, with one line for every rule the levels break
// in the order of the rules; empty when they break none.
std::string strengthLevelErrors(const StrengthLevels& levels);

// True when a new civilization would ask for more Vobs than may live at
// once, which the page points out before storing.
bool exceedsEntityLimit(uint32_t initialVobs, int32_t maxEntities);
