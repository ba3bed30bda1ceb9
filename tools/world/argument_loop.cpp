#include "tools/world/argument_loop.h"

#include <algorithm>

namespace {

bool takeSwitch(const ArgumentRules& rules, const std::string& name)
{
    for (const ArgumentSwitch& option : rules.switches) {
        if (name == option.name) {
            *option.flag = true;
            return true;
        }
    }
    return false;
}

}  // namespace

bool readArguments(int argc, const char* const* argv, const ArgumentRules& rules,
                   std::string& error)
{
    std::vector<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (!rules.mayRepeat(name)) {
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
                error = name + " is given twice";
                return false;
            }
            seen.push_back(name);
        }
        if (takeSwitch(rules, name))
            continue;
        if (!rules.hasValue(name)) {
            error = "unknown argument \"" + name + "\"";
            return false;
        }
        if (i + 1 >= argc) {
            error = name + " wants a value";
            return false;
        }
        if (!rules.readValue(name, argv[++i], error))
            return false;
    }
    return true;
}
