// The Linux saver's start: its command line, its settings file or -record,
// and the record it runs with, with every message printed. Called first by
// the program's entry.
#pragma once

#include "host/saver_options.h"
#include "settings/options_record.h"

enum class SaverStart { run, endSuccess, endFailure };

// -help and --version print to standard output and end with success; an
// unknown option (with the usage), a -record file that cannot be read or a
// window id that is none print one message to standard error and end with
// failure. Anything else runs: every adjusted setting is one line on
// standard error and stays in options.warnings. -display becomes DISPLAY,
// which Xlib and SDL open. Never waits on a file.
SaverStart prepareSaverStart(int argc, const char* const* argv, SaverOptions& options,
                             OptionsRecord& record);
