#include "host/saver_start.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/record_file.h"

namespace {

void printLine(const std::string& line) { std::fprintf(stderr, "tovrine: %s\n", line.c_str()); }

}  // namespace

SaverStart prepareSaverStart(int argc, const char* const* argv, SaverOptions& options,
                             OptionsRecord& record)
{
    std::string error;
    OptionsVerdict verdict = readSaverOptions(argc, argv, options, error);
    if (verdict != OptionsVerdict::accepted) {
        printLine(error);
        if (verdict == OptionsVerdict::unknownOption)
            std::fputs(saverUsage().c_str(), stderr);
        return SaverStart::endFailure;
    }
    if (options.help || options.version) {
        std::puts(options.help ? saverUsage().c_str() : saverVersionLine().c_str());
        return SaverStart::endSuccess;
    }
    RecordFiles files;
    StoredRecord stored;
    if (!options.recordPath.empty()) {
        // Asked for by name, so a file that is not there ends the run.
        stored.path = options.recordPath;
        if (readRecordFile(stored.path, "record file", stored.bytes, stored.size, error) !=
            RecordFileState::read) {
            printLine(error);
            return SaverStart::endFailure;
        }
        files.recordFile = stored;
    } else {
        stored.path = settingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
        RecordFileState state =
            stored.path.empty()
                ? RecordFileState::missing
                : readRecordFile(stored.path, "settings file", stored.bytes, stored.size, error);
        // No settings file is the usual case: the first preset then.
        if (state == RecordFileState::read)
            files.settingsFile = stored;
        else if (state == RecordFileState::refused)
            options.warnings.push_back(error + ": " + settingsFallback(options));
    }
    record = chooseSaverRecord(options, files, options.warnings);
    for (const std::string& warning : options.warnings)
        printLine(warning);
    return SaverStart::run;
}
