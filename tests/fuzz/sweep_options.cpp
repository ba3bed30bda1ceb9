// tovrine-sweep's command line (arguments separated by NUL bytes), read as
// its main reads it. A bad argument ends with its message; a good line
// names something to sweep (or shards to merge, by folder or by the folder
// that holds them), an output folder, a seed
// range in order, a grid of values each field takes, a sweep no larger than
// the bound, and arguments that give the same grid back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/options_record.h"
#include "settings/record_fields.h"
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
    const bool merging = !options.mergeFrom.empty() || !options.mergeAll.empty();
    if (options.help || merging) {
        if (!options.help && (options.outDirectory.empty() || !options.subjects.empty() ||
                              (!options.mergeFrom.empty() && !options.mergeAll.empty())))
            __builtin_trap();
        return 0;
    }
    const int64_t runs = sweepRunCount(options);
    bool sound = !options.subjects.empty() && !options.outDirectory.empty() &&
                 options.firstSeed <= options.lastSeed && runs >= 1 && runs <= largestSweep &&
                 options.frames >= 1 && options.jobs >= 0 && options.jobs <= 1024 &&
                 options.fromFrame >= 0 && options.fromFrame <= options.frames &&
                 options.shard >= 1 && options.shard <= options.shards &&
                 !(options.resume && options.force);
    for (const VariedField& varied : options.varied) {
        const RecordField* field = findRecordField(varied.name);
        sound = sound && field != nullptr && !varied.values.empty();
        for (int64_t value : varied.values)
            sound = sound && field != nullptr && fieldValueAllowed(*field, value);
    }
    if (!sound)
        __builtin_trap();
    // The manifest's arguments give the same sweep back.
    std::vector<std::string> words = designArguments(options);
    words.insert(words.begin(), "tovrine-sweep");
    words.insert(words.end(), {"--out", options.outDirectory});
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    SweepOptions again;
    if (!parseSweepArguments(static_cast<int>(argv.size()), argv.data(), again, error) ||
        designArguments(again) != designArguments(options))
        __builtin_trap();
    for (const SweepSubject& subject : options.subjects)
        sound =
            sound && (subject.preset == -1 ? !subject.recordPath.empty()
                                           : subject.preset >= 0 && subject.preset < presetCount);
    if (!sound)
        __builtin_trap();
    return 0;
}
