#include "run/stop_condition.h"

#include "host/whole_number.h"

namespace {

constexpr int64_t largestNumber = 2147483647;

// The number after `prefix`, or false.
bool numberAfter(const std::string& text, const std::string& prefix, int64_t& value)
{
    return text.compare(0, prefix.size(), prefix) == 0 &&
           parseWholeNumber(text.c_str() + prefix.size(), 0, largestNumber, value);
}

}  // namespace

bool parseStopCondition(const std::string& text, StopCondition& condition, std::string& error)
{
    StopCondition read;
    if (text == "extinction")
        read.kind = StopKind::extinction;
    else if (numberAfter(text, "population>=", read.value))
        read.kind = StopKind::populationAtLeast;
    else if (numberAfter(text, "population<=", read.value))
        read.kind = StopKind::populationAtMost;
    else if (numberAfter(text, "frame=", read.value))
        read.kind = StopKind::frame;
    else {
        error = "--until wants extinction, population>=N, population<=N or frame=N (N a whole "
                "number), not \"" +
                text + "\"";
        return false;
    }
    condition = read;
    return true;
}

std::string stopConditionText(const StopCondition& condition)
{
    const std::string number = std::to_string(condition.value);
    switch (condition.kind) {
    case StopKind::never:
        return "";
    case StopKind::extinction:
        return "extinction";
    case StopKind::populationAtLeast:
        return "population>=" + number;
    case StopKind::populationAtMost:
        return "population<=" + number;
    case StopKind::frame:
        return "frame=" + number;
    }
    return "";
}

bool stopConditionMet(const StopCondition& condition, int64_t frame, const WorldFigures& figures)
{
    switch (condition.kind) {
    case StopKind::never:
        return false;
    case StopKind::extinction:
        return figures.vobs == 0;
    case StopKind::populationAtLeast:
        return figures.vobs >= condition.value;
    case StopKind::populationAtMost:
        return figures.vobs <= condition.value;
    case StopKind::frame:
        return frame >= condition.value;
    }
    return false;
}
