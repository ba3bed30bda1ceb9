#include "host/saver_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/whole_number.h"
#include "settings/algorithm_check.h"
#include "settings/page_text.h"

namespace {

// The largest world side drawn: a record asking for more is refused like a
// mode the display does not offer.
constexpr int32_t largestWorldSide = 8192;
// Ten seconds between frames is already a still picture.
constexpr int64_t longestDelay = 10000000;

struct KnobOption {
    const char* name;
    std::optional<int32_t> SaverOptions::*field;
    int64_t low;
    int64_t high;
};

// The ranges are those the configuration pages can store.
const KnobOption knobOptions[] = {
    {"preset", &SaverOptions::preset, 0, presetCount - 1},
    {"vobs", &SaverOptions::initialVobs, 0, largestCount},
    {"whirls", &SaverOptions::whirlCount, 0, largestCount},
    {"max-entities", &SaverOptions::maxEntities, 0, largestNumber},
    {"iq", &SaverOptions::vobIQ, 0, 1},
    {"stats", &SaverOptions::statsMode, 0, 2},
};

struct SwitchOption {
    const char* on;
    const char* off;
    std::optional<int32_t> SaverOptions::*field;
};

const SwitchOption switchOptions[] = {
    {"wrap", "no-wrap", &SaverOptions::wrapEdges},
    {"cloud", "no-cloud", &SaverOptions::showCloud},
};

// "-name" and "--name" alike; empty for anything that is not an option.
std::string optionName(const char* argument)
{
    if (argument[0] != '-')
        return {};
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

bool rangeError(const std::string& name, const char* text, int64_t low, int64_t high,
                std::string& error)
{
    error = "-" + name + " wants a whole number from " + std::to_string(low) + " to " +
            std::to_string(high) + ", not \"" + text + "\"";
    return false;
}

// Options with a value; false with `error` when the value is refused.
bool takeValue(const std::string& name, const char* value, SaverOptions& options,
               std::string& error)
{
    int64_t number = 0;
    for (const KnobOption& knob : knobOptions) {
        if (name != knob.name)
            continue;
        if (!parseWholeNumber(value, knob.low, knob.high, number))
            return rangeError(name, value, knob.low, knob.high, error);
        options.*knob.field = static_cast<int32_t>(number);
        return true;
    }
    if (name == "window-id") {
        if (!parseWindowId(value, options.windowId)) {
            error = "-window-id wants a window id (0x... or decimal), not \"" + std::string(value) +
                    "\"";
            return false;
        }
        options.target = SaverTarget::givenWindow;
    } else if (name == "record") {
        if (*value == '\0') {
            error = "-record wants a file name";
            return false;
        }
        options.recordPath = value;
    } else if (name == "delay") {
        if (!parseWholeNumber(value, 0, longestDelay, number))
            return rangeError(name, value, 0, longestDelay, error);
        options.delayMicroseconds = number;
    } else if (name == "bench") {
        if (!parseWholeNumber(value, 1, INT32_MAX, number))
            return rangeError(name, value, 1, INT32_MAX, error);
        options.benchFrames = number;
    }
    return true;
}

bool takesValue(const std::string& name)
{
    for (const KnobOption& knob : knobOptions) {
        if (name == knob.name)
            return true;
    }
    return name == "window-id" || name == "record" || name == "delay" || name == "bench";
}

// Options without a value; false when the name is none of them.
bool takeFlag(const std::string& name, SaverOptions& options)
{
    for (const SwitchOption& option : switchOptions) {
        if (name == option.on || name == option.off) {
            options.*option.field = name == option.on ? 1 : 0;
            return true;
        }
    }
    if (name == "root")
        options.target = SaverTarget::root;
    else if (name == "window")
        options.target = SaverTarget::ownWindow;
    else if (name == "fullscreen")
        options.target = SaverTarget::fullScreen;
    else if (name == "native-size")
        options.nativeSize = true;
    else if (name == "fps")
        options.showFps = true;
    else if (name == "help" || name == "h")
        options.help = true;
    else
        return false;
    return true;
}

// A stored record is taken only whole, as the saver reads "Options", and
// only of this format: 128 bytes of something else are not our settings.
bool takeRecord(const std::string& bytes, const char* what, OptionsRecord& record,
                std::string& error)
{
    if (bytes.size() != optionsRecordSize) {
        error = std::string(what) + " holds " + std::to_string(bytes.size()) +
                " bytes; a settings record has " + std::to_string(optionsRecordSize);
        return false;
    }
    OptionsRecord read;
    std::memcpy(&read, bytes.data(), optionsRecordSize);
    if (!hasCurrentFormatVersion(read)) {
        error = std::string(what) + " is not a settings record of this version";
        return false;
    }
    record = read;
    return true;
}

void applyKnob(const std::optional<int32_t>& value, int32_t& field)
{
    if (value)
        field = *value;
}

bool checkRecord(const OptionsRecord& record, bool nativeSize, std::string& error)
{
    // Compared as the page reads its boxes: unsigned.
    StrengthLevels levels;
    levels.birthStrength = static_cast<uint32_t>(record.birthStrength);
    levels.maxStrength = static_cast<uint32_t>(record.maxStrength);
    levels.megaLevel = static_cast<uint32_t>(record.megaLevel);
    levels.greenLevel = static_cast<uint32_t>(record.greenLevel);
    error = strengthLevelErrors(levels);
    if (!error.empty())
        return false;
    bool sizeDrawn =
        nativeSize || (record.screenWidth >= 1 && record.screenWidth <= largestWorldSide &&
                       record.screenHeight >= 1 && record.screenHeight <= largestWorldSide);
    if (!sizeDrawn || (record.screenDepth != 16 && record.screenDepth != 32)) {
        error = "Error: Couldn't set video mode. (" +
                modeText(record.screenWidth, record.screenHeight, record.screenDepth) +
                ": 16 or 32 bits, sides 1 to " + std::to_string(largestWorldSide) + ")";
        return false;
    }
    return true;
}

}  // namespace

std::string saverUsage()
{
    return "usage: tovrine [-window | -root | -window-id ID | -fullscreen] [-native-size]\n"
           "               [-record FILE] [-preset N] [-vobs N] [-whirls N] [-max-entities N]\n"
           "               [-iq 0|1] [-wrap | -no-wrap] [-cloud | -no-cloud] [-stats 0|1|2]\n"
           "               [-delay MICROSECONDS] [-fps] [-help]\n"
           "  -window          a window of its own (the default)\n"
           "  -root            the window in $XSCREENSAVER_WINDOW, else the root window\n"
           "  -window-id ID    the window ID (0x... or decimal) of another program\n"
           "  -fullscreen      a borderless window over the whole screen\n"
           "  -native-size     the world as large as the window, not scaled\n"
           "  -record FILE     a 128-byte settings record\n"
           "  -preset N        built-in algorithm 0 to 6\n"
           "  -vobs N          Vobs of a new civilization, 0 to 99999\n"
           "  -whirls N        whirls, 0 to 99999\n"
           "  -max-entities N  most Vobs alive at once, 0 to 9999999\n"
           "  -iq 0|1          Vobs steer towards food\n"
           "  -wrap, -no-wrap  the world's edges wrap around\n"
           "  -cloud, -no-cloud  the cloud with the world's figures\n"
           "  -stats 0|1|2     numbers above the Vobs: never, always, near death\n"
           "  -delay N         microseconds between frames (default 10000)\n"
           "  -fps             frames per second in a corner\n"
           "Settings: the first preset, then $XDG_CONFIG_HOME/tovrine/options.rec\n"
           "(else ~/.config/tovrine/options.rec), -record, -preset, then the options above.\n"
           "Every option may also be written with two dashes.\n";
}

OptionsVerdict readSaverOptions(int argc, const char* const* argv, SaverOptions& options,
                                std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = optionName(argv[i]);
        if (takesValue(name)) {
            if (i + 1 >= argc) {
                error = "-" + name + " wants a value";
                return OptionsVerdict::unknownOption;
            }
            if (!takeValue(name, argv[++i], options, error))
                return OptionsVerdict::refusedValue;
        } else if (name.empty() || !takeFlag(name, options)) {
            error = "unknown option \"" + std::string(argv[i]) + "\"";
            return OptionsVerdict::unknownOption;
        }
    }
    return OptionsVerdict::accepted;
}

bool parseWindowId(const char* text, uint64_t& id)
{
    if (text == nullptr)
        return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    // Digits only: strtoull would also take a second "0x" or a sign.
    for (const char* c = text; *c != '\0'; ++c)
        if (!std::isxdigit(static_cast<unsigned char>(*c)))
            return false;
    if (*text == '\0')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, base);
    if (errno != 0 || *end != '\0' || parsed == 0 || parsed > UINT32_MAX)
        return false;
    id = parsed;
    return true;
}

std::string settingsFilePath(const char* xdgConfigHome, const char* home)
{
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/tovrine/options.rec";
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/tovrine/options.rec";
    return {};
}

bool chooseSaverRecord(const SaverOptions& options, const RecordFiles& files, OptionsRecord& record,
                       std::string& error)
{
    record = presetAlgorithms[0];
    if (files.settingsFile && !takeRecord(*files.settingsFile, "the settings file", record, error))
        return false;
    if (files.recordFile && !takeRecord(*files.recordFile, "the record file", record, error))
        return false;
    if (options.preset)
        record = presetAlgorithms[*options.preset];
    applyKnob(options.initialVobs, record.initialVobs);
    applyKnob(options.whirlCount, record.whirlCount);
    applyKnob(options.maxEntities, record.maxEntities);
    applyKnob(options.vobIQ, record.vobIQ);
    applyKnob(options.wrapEdges, record.wrapEdges);
    applyKnob(options.showCloud, record.showCloud);
    applyKnob(options.statsMode, record.statsMode);
    return checkRecord(record, options.nativeSize, error);
}
