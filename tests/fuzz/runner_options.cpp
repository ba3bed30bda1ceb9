// tovrine-world's command line (arguments separated by NUL bytes), read as
// main reads it. A bad argument ends with its message; a good line gives
// options within their ranges. A record file named on the line is read
// from a file of the fuzzer's own that holds the name's bytes, so that
// every length and content of a record (too short, exact, too long) is
// tried as the runner and as the saver take it, without reading anything
// else on the machine.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/options_record.h"
#include "tests/fuzz/fuzz_arguments.h"
#include "tools/world/runner_options.h"

namespace {

const std::string& recordFile()
{
    static const std::string path = "/tmp/tovrine-fuzz-runner-" + std::to_string(getpid()) + ".rec";
    return path;
}

bool writeRecordFile(const std::string& bytes)
{
    std::FILE* file = std::fopen(recordFile().c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void checkOptions(const RunnerOptions& options)
{
    const bool inRange = options.preset >= 0 && options.preset < presetCount &&
                         options.frames >= 0 && options.every >= 1 &&
                         (!options.everyGiven || !options.pngDirectory.empty());
    if (!inRange)
        __builtin_trap();
}

void loadRecord(RunnerOptions options)
{
    if (!options.recordPath.empty()) {
        if (!writeRecordFile(options.recordPath))
            return;
        options.recordPath = recordFile();
    }
    OptionsRecord record;
    std::string error;
    const bool loaded = loadRunnerRecord(options, record, error);
    if (!loaded || !checkDisplayMode(record, error)) {
        if (error.empty())
            __builtin_trap();  // a refusal without its message
    }
    if (!options.recordPath.empty()) {
        // The same file as the saver would take it from the registry.
        error.clear();
        if (!loadStoredRecord(options.recordPath, record, error) && error.empty())
            __builtin_trap();
        std::remove(options.recordPath.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzArguments arguments("tovrine-world", data, size);
    RunnerOptions options;
    std::string error;
    if (!parseRunnerArguments(arguments.argc(), arguments.argv(), options, error)) {
        if (error.empty())
            __builtin_trap();  // a bad argument ends with its message
        return 0;
    }
    checkOptions(options);
    if (!options.help)
        loadRecord(options);
    return 0;
}
