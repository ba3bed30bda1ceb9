// The command-line loop that tovrine-world and tovrine-sweep share: each
// option once unless it may repeat (a second value would silently win),
// switches alone, every other option with the argument after it or joined
// to it by '=' (--frames=100).
#pragma once

#include <functional>
#include <string>
#include <vector>

// An option without a value: its flag is set when it is given.
struct ArgumentSwitch {
    const char* name;
    bool* flag;
};

struct ArgumentRules {
    std::function<bool(const std::string& name)> mayRepeat;
    std::vector<ArgumentSwitch> switches;
    std::function<bool(const std::string& name)> hasValue;
    // False with `error` set when the value is malformed or out of range.
    std::function<bool(const std::string& name, const char* value, std::string& error)> readValue;
};

// Reads argv[1..]. False with `error` set at the first argument that is
// unknown, given twice or without its value, or that `rules` refuse.
bool readArguments(int argc, const char* const* argv, const ArgumentRules& rules,
                   std::string& error);
