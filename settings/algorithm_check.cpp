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

std::string strengthLevelErrors(const StrengthLevels& levels)
{
    std::string lines;
    if (levels.birthStrength > levels.maxStrength)
        lines += "* Initial Strength of Vob may not exceed Max Strength of Vob\r\n\r\n";
    if (levels.greenLevel >= levels.megaLevel)
        lines += "* Vob Green Level should lie below Vob Mega Level\r\n\r\n";
    if (levels.megaLevel > levels.maxStrength)
        lines += "* Vob Mega Level should not exceed Vob Max Strength\r\n\r\n";
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
