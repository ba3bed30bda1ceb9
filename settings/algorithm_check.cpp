#include "settings/algorithm_check.h"

const char algorithmErrorCaption[] = "Errors in VobLife Algorithm";
const char entityNoticeCaption[] = "Notice!";
const char entityNoticeText[] =
    "Initial Number of Vobs > Max Entities Allowed\n\n"
    "Please note you entered a value for initial number of Vobs\n"
    "that is higher than the \"Max Allowed Entities\" value found under\n"
    "the System\\Limits tab, because of this only as many Vobs as allowed\n"
    "by the \"Max Allowed Entities\" setting will be born when the\n"
    "screensaver starts.";

std::vector<StrengthRule> brokenStrengthRules(const StrengthLevels& levels)
{
    std::vector<StrengthRule> broken;
    if (levels.birthStrength > levels.maxStrength)
        broken.push_back(StrengthRule::birthWithinMax);
    if (levels.greenLevel >= levels.megaLevel)
        broken.push_back(StrengthRule::greenBelowMega);
    if (levels.megaLevel > levels.maxStrength)
        broken.push_back(StrengthRule::megaWithinMax);
    return broken;
}

const char* strengthRuleText(StrengthRule rule)
{
    switch (rule) {
    case StrengthRule::birthWithinMax:
        return "Initial Strength of Vob may not exceed Max Strength of Vob";
    case StrengthRule::greenBelowMega:
        return "Vob Green Level should lie below Vob Mega Level";
    default:
        return "Vob Mega Level should not exceed Vob Max Strength";
    }
}

std::string strengthLevelErrors(const StrengthLevels& levels)
{
    std::string lines;
    for (StrengthRule rule : brokenStrengthRules(levels))
        lines += "* " + std::string(strengthRuleText(rule)) + "\r\n\r\n";
    if (lines.empty())
        return lines;
    return "Errors in VobLife Algorithm!!!\r\n" + std::string(47, '-') + "\r\n\r\n" + lines;
}

bool exceedsEntityLimit(uint32_t initialVobs, int32_t maxEntities)
{
    // Compared in a wider type: a hand-edited negative limit must not turn
    // into a huge unsigned one.
    return static_cast<int64_t>(initialVobs) > static_cast<int64_t>(maxEntities);
}
