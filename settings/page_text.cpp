#include "settings/page_text.h"

#include <limits>

uint32_t readUnsignedText(const std::string& text, uint32_t largest)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<uint64_t>(text[at] - '0');
        if (value > largest)
            return largest;  // also keeps value far from overflowing
    }
    return static_cast<uint32_t>(value);
}

std::string modeText(int32_t width, int32_t height, int32_t depth)
{
    return std::to_string(width) + " x " + std::to_string(height) + " x " + std::to_string(depth);
}

DisplayModeFields parseModeText(const std::string& text)
{
    std::string parts[3];
    int part = 0;
    for (char c : text) {
        if (c == 'x')
            ++part;
        else if (part < 3)
            parts[part] += c;
    }
    constexpr uint32_t largest = std::numeric_limits<int32_t>::max();
    return {static_cast<int32_t>(readUnsignedText(parts[0], largest)),
            static_cast<int32_t>(readUnsignedText(parts[1], largest)),
            static_cast<int32_t>(readUnsignedText(parts[2], largest))};
}
