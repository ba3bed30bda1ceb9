// A run of the sweep in the sweep's own process: the arguments it would give
// tovrine-world, read as tovrine-world reads them, and the CSV file that
// tovrine-world would write, byte for byte.
#pragma once

#include <atomic>
#include <string>
#include <vector>

// `arguments` is a tovrine-world command line without the program (a preset
// or record, --set, --seed, --frames, --until, --csv, --no-draw). False with `error`
// set when the run failed, or when `stop` became true before it ended (then
// it leaves no CSV).
bool runInProcess(const std::vector<std::string>& arguments, const std::atomic<bool>& stop,
                  std::string& error);
