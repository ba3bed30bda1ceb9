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
        std::string name = argv[i];
        // --name=value, as GNU programs take it, for an option with a value.
        const size_t equals = name.find('=');
        std::string joinedValue;
        const bool joined = name.rfind("--", 0) == 0 && equals != std::string::npos &&
                            rules.hasValue(name.substr(0, equals));
        if (joined) {
            joinedValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!rules.mayRepeat(name)) {
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
                error = name + " is given twice";
                return false;
            }
            seen.push_back(name);
        }
        if (joined) {
            if (!rules.readValue(name, joinedValue.c_str(), error))
                return false;
            continue;
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
