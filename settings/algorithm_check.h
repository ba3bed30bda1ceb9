#pragma once
// The consistency checks of the algorithm page and the texts of its boxes.

#include <cstdint>
#include <string>

struct StrengthLevels {
    uint32_t birthStrength;
    uint32_t maxStrength;
    uint32_t megaLevel;
    uint32_t greenLevel;
};

extern const char algorithmErrorCaption[];  // "Errors in VobLife Algorithm"
extern const char entityNoticeCaption[];    // "Notice!"
extern const char entityNoticeText[];

// The text of the error box, with one line for every rule the levels break
// in the order of the rules; empty when they break none.
std::string strengthLevelErrors(const StrengthLevels& levels);

// True when a new civilization would ask for more Vobs than may live at
// once, which the page points out before storing.
bool exceedsEntityLimit(uint32_t initialVobs, int32_t maxEntities);
