// The command line of the Linux saver, an xscreensaver hack, and the record
// it runs with. No platform calls here, so the rules are tested everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/options_record.h"

enum class SaverTarget { ownWindow, fullScreen, root, givenWindow };

struct SaverOptions {
    SaverTarget target = SaverTarget::ownWindow;
    uint64_t windowId = 0;  // -window-id
    bool nativeSize = false;
    std::string recordPath;
    std::optional<int32_t> preset;
    // The knobs people change most; unset ones keep the record's values.
    std::optional<int32_t> initialVobs;
    std::optional<int32_t> whirlCount;
    std::optional<int32_t> maxEntities;
    std::optional<int32_t> vobIQ;
    std::optional<int32_t> wrapEdges;
    std::optional<int32_t> showCloud;
    std::optional<int32_t> statsMode;
    int64_t delayMicroseconds = 10000;
    bool showFps = false;
    int64_t benchFrames = 0;  // hidden: time this many frames, print, end
    bool help = false;
};

// The usage text of -help and of every argument error.
std::string saverUsage();

enum class OptionsVerdict { accepted, unknownOption, refusedValue };

// Reads argv[1..]; each option with one dash or two. Anything but accepted
// comes with `error` set: an unknown option or one without its value (the
// caller shows the usage), or a value out of range.
OptionsVerdict readSaverOptions(int argc, const char* const* argv, SaverOptions& options,
                                std::string& error);

// A window id as xscreensaver writes it: hexadecimal after 0x, else decimal.
// False for anything else, 0 included (no window has it).
bool parseWindowId(const char* text, uint64_t& id);

// Where the settings file is: $XDG_CONFIG_HOME/tovrine/options.rec, else
// $HOME/.config/tovrine/options.rec; empty when neither is set. Either
// argument may be null.
std::string settingsFilePath(const char* xdgConfigHome, const char* home);

// The stored records a run may start from; std::nullopt where there is none.
struct RecordFiles {
    std::optional<std::string> settingsFile;  // the bytes of options.rec
    std::optional<std::string> recordFile;    // the bytes of -record FILE
};

// The record of a run, lowest precedence first: the first preset, the
// settings file, -record, -preset, the knob options. A record that is not
// a whole current one, or whose strength levels the algorithm page would
// refuse, fails with the page's message in `error`.
bool chooseSaverRecord(const SaverOptions& options, const RecordFiles& files, OptionsRecord& record,
                       std::string& error);
