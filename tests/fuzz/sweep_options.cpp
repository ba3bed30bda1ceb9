// tovrine-sweep's command line (arguments separated by NUL bytes), read as
// its main reads it. A bad argument ends with its message; a good line
// names something to sweep, an output folder, a seed range in order and a
// sweep no larger than the bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/options_record.h"
#include "tests/fuzz/fuzz_arguments.h"
#include "tools/world/sweep_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzArguments arguments("tovrine-sweep", data, size);
    SweepOptions options;
    std::string error;
    if (!parseSweepArguments(arguments.argc(), arguments.argv(), options, error)) {
        if (error.empty())
            __builtin_trap();  // a bad argument ends with its message
        return 0;
    }
    if (options.help)
        return 0;
    const int64_t runs = (int64_t{options.lastSeed} - options.firstSeed + 1) *
                         static_cast<int64_t>(options.subjects.size());
    bool sound = !options.subjects.empty() && !options.outDirectory.empty() &&
                 options.firstSeed <= options.lastSeed && runs <= largestSweep &&
                 options.frames >= 1 && options.jobs >= 0 && options.jobs <= 1024;
    for (const SweepSubject& subject : options.subjects)
        sound =
            sound && (subject.preset == -1 ? !subject.recordPath.empty()
                                           : subject.preset >= 0 && subject.preset < presetCount);
    if (!sound)
        __builtin_trap();
    return 0;
}
