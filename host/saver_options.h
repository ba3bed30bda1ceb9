// The command line of the Linux saver, an xscreensaver hack, and the record
// it runs with. No platform calls here, so the rules are tested everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/options_record.h"

enum class SaverTarget { ownWindow, fullScreen, root, givenWindow };

// -geometry as X11 writes it, "WxH+X+Y", each half optional; a negative
// offset counts from the right or bottom edge of the screen.
struct WindowGeometry {
    int32_t width = 0;  // 0: not given
    int32_t height = 0;
    bool placed = false;
    int32_t x = 0;
    int32_t y = 0;
    bool fromRight = false;
    bool fromBottom = false;
};

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
    // -seed: the run tovrine-world gives for that seed; else the clock's.
    std::optional<uint32_t> seed;
    bool help = false;
    bool version = false;
    std::string display;                     // -display; empty: $DISPLAY
    std::optional<WindowGeometry> geometry;  // -geometry, for a window of its own
    // Settings that were adjusted or left out, one line each, for standard
    // error and, started by hand, the picture.
    std::vector<std::string> warnings;
};

// The usage text of -help and of every argument error.
std::string saverUsage();

enum class OptionsVerdict { accepted, unknownOption, refusedValue };

// "tovrine 1.1.0", what --version prints.
std::string saverVersionLine();

// Reads argv[1..]; each option with one dash or two. An unknown option or
// one without its value is unknownOption (the caller shows the usage); a
// window id, -record name or -seed that cannot be one is refusedValue. Both come
// with `error` set. Numbers are read as the configuration pages read their
// boxes; one that had to be adjusted adds a line to options.warnings, as
// does a -geometry that cannot be read.
OptionsVerdict readSaverOptions(int argc, const char* const* argv, SaverOptions& options,
                                std::string& error);

// A window id as xscreensaver writes it: hexadecimal after 0x, else decimal.
// False for anything else, 0 included (no window has it).
bool parseWindowId(const char* text, uint64_t& id);

// Where the settings file is: $XDG_CONFIG_HOME/tovrine/options.rec, else
// $HOME/.config/tovrine/options.rec; empty when neither is set. Either
// argument may be null.
std::string settingsFilePath(const char* xdgConfigHome, const char* home);

// What runs in place of a settings file that cannot be used: "the built-in
// settings instead" or "-preset N instead".
std::string settingsFallback(const SaverOptions& options);

// A stored record as read from its file.
struct StoredRecord {
    std::string path;   // for messages
    std::string bytes;  // its first bytes, at most one more than a record
    uint64_t size = 0;  // the file's real size
};

// The stored records a run may start from; std::nullopt where there is none.
struct RecordFiles {
    std::optional<StoredRecord> settingsFile;  // options.rec
    std::optional<StoredRecord> recordFile;    // -record FILE
};

// The record of a run, lowest precedence first: the first preset, the
// settings file or, given -record, that file instead, -preset, the knob
// options. Never fails, as the Windows saver never does: a file that is not
// a whole record of this format is left out, a display mode that cannot be
// drawn becomes the built-in one, and strength levels the algorithm page
// would refuse run as stored; each adds a line to `warnings`.
OptionsRecord chooseSaverRecord(const SaverOptions& options, const RecordFiles& files,
                                std::vector<std::string>& warnings);

// One record file judged on its own, for a caller that keeps what runs when
// the file is refused (the web page's import): "" and the record when the
// saver would run it as it stands, else why not (its size, its format, the
// algorithm page's strength levels, a display mode it cannot draw).
std::string judgeRecordFile(const StoredRecord& file, const std::string& name,
                            OptionsRecord& record);
