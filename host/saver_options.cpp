#include "host/saver_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/whole_number.h"
#include "settings/page_text.h"
#include "settings/record_fields.h"
#include "settings/record_rules.h"
#include "tovrine_version.h"

namespace {

// Ten seconds between frames is already a still picture.
constexpr int64_t longestDelay = 10000000;

// The record's fields that have options: their ranges and how a value is
// read are the field's own (settings/record_fields).
struct KnobOption {
    const char* name;
    std::optional<int32_t> SaverOptions::*option;
    int32_t OptionsRecord::*field;
};

const KnobOption knobOptions[] = {
    {"vobs", &SaverOptions::initialVobs, &OptionsRecord::initialVobs},
    {"whirls", &SaverOptions::whirlCount, &OptionsRecord::whirlCount},
    {"max-entities", &SaverOptions::maxEntities, &OptionsRecord::maxEntities},
    {"iq", &SaverOptions::vobIQ, &OptionsRecord::vobIQ},
    {"stats", &SaverOptions::statsMode, &OptionsRecord::statsMode},
};

struct SwitchOption {
    const char* on;
    const char* off;
    std::optional<int32_t> SaverOptions::*option;
    int32_t OptionsRecord::*field;
};

const SwitchOption switchOptions[] = {
    {"wrap", "no-wrap", &SaverOptions::wrapEdges, &OptionsRecord::wrapEdges},
    {"cloud", "no-cloud", &SaverOptions::showCloud, &OptionsRecord::showCloud},
};

// Every hack takes these; the ones that mean nothing here are read and left.
const char* const ignoredFlags[] = {"install", "noinstall", "mono", "pair", "sync"};
const char* const ignoredValueOptions[] = {"visual", "foreground", "background", "xrm"};

// "-name" and "--name" alike; empty for anything that is not an option.
std::string optionName(const char* argument)
{
    if (argument[0] != '-')
        return {};
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

// A number as the page reads its control, with a warning when the text was
// not already a whole number in range: "3x" is 3, "100000" Vobs are 99999.
int64_t readNumber(const std::string& name, const char* text, int64_t low, int64_t high,
                   FieldControl control, std::vector<std::string>& warnings)
{
    const FieldReading reading = readControlText(control, low, high, text);
    if (!reading.exact)
        warnings.push_back("-" + name + " \"" + text + "\" read as " +
                           std::to_string(reading.value) + " (a whole number from " +
                           std::to_string(low) + " to " + std::to_string(high) + ")");
    return reading.value;
}

// Past this, a side or an offset is no window of any screen: X itself
// counts them in 16 bits.
constexpr int64_t largestGeometry = 32768;

enum class GeometryText { read, tooLarge, unreadable };

// [=][W{xX}H][{+-}X{+-}Y], as XParseGeometry reads it.
GeometryText parseGeometry(const char* text, WindowGeometry& geometry)
{
    bool tooLarge = false;
    auto digits = [&tooLarge](const char*& at, int32_t& value) {
        if (*at < '0' || *at > '9')
            return false;
        int64_t number = 0;
        while (*at >= '0' && *at <= '9') {
            number = number * 10 + (*at++ - '0');
            if (number > largestGeometry) {
                tooLarge = true;
                number = largestGeometry;
            }
        }
        value = static_cast<int32_t>(number);
        return true;
    };
    const char* at = text + (*text == '=' ? 1 : 0);
    WindowGeometry read;
    if (*at >= '0' && *at <= '9') {
        if (!digits(at, read.width) || (*at != 'x' && *at != 'X') || !digits(++at, read.height) ||
            read.width == 0 || read.height == 0)
            return GeometryText::unreadable;
    }
    if (*at == '+' || *at == '-') {
        read.fromRight = *at++ == '-';
        if (!digits(at, read.x) || (*at != '+' && *at != '-'))
            return GeometryText::unreadable;
        read.fromBottom = *at++ == '-';
        if (!digits(at, read.y))
            return GeometryText::unreadable;
        read.placed = true;
    }
    if (*at != '\0' || (read.width == 0 && !read.placed))
        return GeometryText::unreadable;
    if (tooLarge)
        return GeometryText::tooLarge;
    geometry = read;
    return GeometryText::read;
}

// A seed as tovrine-world takes it: a run is asked for by its seed, so one
// that is not exactly a seed is refused rather than read as another.
bool parseSeed(const char* text, uint32_t& seed)
{
    int64_t number = 0;
    if (!parseWholeNumber(text, 0, UINT32_MAX, number))
        return false;
    seed = static_cast<uint32_t>(number);
    return true;
}

void takeGeometry(const char* value, SaverOptions& options)
{
    WindowGeometry geometry;
    const std::string quoted = "-geometry \"" + std::string(value) + "\"";
    switch (parseGeometry(value, geometry)) {
    case GeometryText::read:
        options.geometry = geometry;
        break;
    case GeometryText::tooLarge:
        options.warnings.push_back(quoted + " is too large (sides and offsets of at most " +
                                   std::to_string(largestGeometry) + " pixels): left out");
        break;
    case GeometryText::unreadable:
        options.warnings.push_back(quoted + " is not WIDTHxHEIGHT+X+Y: left out");
        break;
    }
}

// Options with a value; false with `error` when the value cannot be used.
bool takeValue(const std::string& name, const char* value, SaverOptions& options,
               std::string& error)
{
    for (const KnobOption& knob : knobOptions) {
        if (name == knob.name) {
            const RecordField& field = *findRecordField(knob.field);
            options.*knob.option = static_cast<int32_t>(
                readNumber(name, value, field.low, field.high, field.control, options.warnings));
            return true;
        }
    }
    if (name == "preset") {
        options.preset = static_cast<int32_t>(
            readNumber(name, value, 0, presetCount - 1, FieldControl::numberBox, options.warnings));
    } else if (name == "window-id") {
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
        options.delayMicroseconds =
            readNumber(name, value, 0, longestDelay, FieldControl::numberBox, options.warnings);
    } else if (name == "bench") {
        options.benchFrames =
            readNumber(name, value, 1, INT32_MAX, FieldControl::numberBox, options.warnings);
    } else if (name == "display") {
        options.display = value;
    } else if (name == "geometry") {
        takeGeometry(value, options);
    } else if (name == "seed") {
        uint32_t seed = 0;
        if (!parseSeed(value, seed)) {
            error = "-seed wants a whole number from 0 to 4294967295, not \"" + std::string(value) +
                    "\"";
            return false;
        }
        options.seed = seed;
    }
    return true;
}

bool takesValue(const std::string& name)
{
    for (const KnobOption& knob : knobOptions) {
        if (name == knob.name)
            return true;
    }
    // -visual, -foreground, -background and -xrm are taken and left: the
    // world is drawn in true colour, in its own colours, from no resources.
    for (const char* ignored : ignoredValueOptions) {
        if (name == ignored)
            return true;
    }
    return name == "preset" || name == "window-id" || name == "record" || name == "delay" ||
           name == "bench" || name == "display" || name == "geometry" || name == "seed";
}

// Options without a value; false when the name is none of them.
bool takeFlag(const std::string& name, SaverOptions& options)
{
    for (const SwitchOption& option : switchOptions) {
        if (name == option.on || name == option.off) {
            options.*option.option = name == option.on ? 1 : 0;
            return true;
        }
    }
    for (const char* ignored : ignoredFlags) {
        if (name == ignored)
            return true;
    }
    if (name == "root")
        options.target = SaverTarget::root;
    else if (name == "window")
        options.target = SaverTarget::ownWindow;
    else if (name == "fullscreen")
        options.target = SaverTarget::fullScreen;
    else if (name == "native-size")
        options.nativeSize = true;
    else if (name == "fps" || name == "no-fps")
        options.showFps = name == "fps";
    else if (name == "help" || name == "h")
        options.help = true;
    else if (name == "version")
        options.version = true;
    else
        return false;
    return true;
}

// Why a stored record is not taken, or "" when it is.
std::string recordBytesFault(RecordBytesFault fault, const StoredRecord& file,
                             const std::string& name)
{
    switch (fault) {
    case RecordBytesFault::wrongSize:
        return name + " holds " + std::to_string(file.size) + " bytes, not a settings record of " +
               std::to_string(optionsRecordSize);
    case RecordBytesFault::otherVersion:
        return name + " is not a settings record of this version";
    default:
        return {};
    }
}

const OptionsRecord& builtInRecord() { return presetAlgorithms[0]; }

// "Couldn't set video mode 9000 x 600 x 16 (16 or 32 bits, sides 1 to
// 8192): 800 x 600 x 16 instead".
std::string undrawnModeLine(const OptionsRecord& record)
{
    const RecordField& side = *findRecordField(&OptionsRecord::screenWidth);
    const OptionsRecord& builtIn = builtInRecord();
    return "Couldn't set video mode " +
           modeText(record.screenWidth, record.screenHeight, record.screenDepth) +
           " (16 or 32 bits, sides " + fieldRangeText(side) +
           "): " + modeText(builtIn.screenWidth, builtIn.screenHeight, builtIn.screenDepth) +
           " instead";
}

// A record the pages would refuse still runs, as it does there.
void takeRecord(const StoredRecord& file, const char* what, const SaverOptions& options,
                OptionsRecord& record, std::vector<std::string>& warnings)
{
    const std::string name = std::string(what) + " \"" + file.path + "\"";
    OptionsRecord read;
    const RecordJudgement judgement = judgeRecordBytes(file.bytes, file.size, read);
    if (judgement.bytesFault != RecordBytesFault::none) {
        warnings.push_back(recordBytesFault(judgement.bytesFault, file, name) + ": " +
                           settingsFallback(options));
        return;
    }
    if (!judgement.brokenRules.empty())
        warnings.push_back(name + ": " + brokenRulesLine(judgement.brokenRules) +
                           " (run as stored)");
    record = read;
}

void applyKnob(const std::optional<int32_t>& value, int32_t& field)
{
    if (value)
        field = *value;
}

// The Windows saver falls back to the desktop's mode; here the world is
// scaled to its window anyway, so the built-in mode serves.
void checkDisplayMode(OptionsRecord& record, bool nativeSize, std::vector<std::string>& warnings)
{
    if (displayModeDrawn(record, nativeSize))
        return;
    warnings.push_back(undrawnModeLine(record));
    const OptionsRecord& builtIn = builtInRecord();
    record.screenWidth = builtIn.screenWidth;
    record.screenHeight = builtIn.screenHeight;
    record.screenDepth = builtIn.screenDepth;
}

}  // namespace

std::string judgeRecordFile(const StoredRecord& file, const std::string& name,
                            OptionsRecord& record)
{
    OptionsRecord read;
    const RecordJudgement judgement = judgeRecordBytes(file.bytes, file.size, read);
    if (judgement.bytesFault != RecordBytesFault::none)
        return recordBytesFault(judgement.bytesFault, file, name);
    if (!judgement.brokenRules.empty())
        return name + ": " + brokenRulesLine(judgement.brokenRules);
    if (!judgement.modeDrawn)
        return undrawnModeLine(read);
    record = read;
    return {};
}

std::string saverUsage()
{
    return "usage: tovrine [-window | -root | -window-id ID | -fullscreen] [-native-size]\n"
           "               [-record FILE] [-preset N] [-vobs N] [-whirls N] [-max-entities N]\n"
           "               [-iq 0|1] [-wrap | -no-wrap] [-cloud | -no-cloud] [-stats 0|1|2]\n"
           "               [-seed S] [-delay MICROSECONDS] [-fps | -no-fps] [-display NAME]\n"
           "               [-geometry WxH+X+Y] [-help] [--version]\n"
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
           "  -seed S          the run tovrine-world --seed S gives, 0 to 4294967295\n"
           "  -delay N         microseconds between frames (default 10000)\n"
           "  -fps             frames per second in a corner\n"
           "  -display NAME    the X display (default $DISPLAY)\n"
           "  -geometry WxH+X+Y  the size and place of a window of its own\n"
           "  -install, -visual V, -mono, -pair, -foreground C, -background C, -xrm R:\n"
           "                   taken and ignored, as by every hack\n"
           "Settings: the first preset, then $XDG_CONFIG_HOME/tovrine/options.rec\n"
           "(else ~/.config/tovrine/options.rec), -record, -preset, then the options above.\n"
           "Every option may also be written with two dashes.\n";
}

std::string saverVersionLine() { return std::string("tovrine ") + TOVRINE_VERSION_TEXT; }

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

std::string settingsFallback(const SaverOptions& options)
{
    return options.preset ? "-preset " + std::to_string(*options.preset) + " instead"
                          : "the built-in settings instead";
}

OptionsRecord chooseSaverRecord(const SaverOptions& options, const RecordFiles& files,
                                std::vector<std::string>& warnings)
{
    OptionsRecord record = presetAlgorithms[0];
    // -record replaces the settings file.
    const bool recordGiven = !options.recordPath.empty();
    const std::optional<StoredRecord>& file = recordGiven ? files.recordFile : files.settingsFile;
    if (file)
        takeRecord(*file, recordGiven ? "record file" : "settings file", options, record, warnings);
    if (options.preset)
        record = presetAlgorithms[*options.preset];
    for (const KnobOption& knob : knobOptions)
        applyKnob(options.*knob.option, record.*knob.field);
    for (const SwitchOption& option : switchOptions)
        applyKnob(options.*option.option, record.*option.field);
    checkDisplayMode(record, options.nativeSize, warnings);
    return record;
}
