#include "run/function_keys.h"

#include "settings/options_record.h"
#include "sim/arith.h"
#include "sim/world.h"

namespace {

struct NamedKey {
    const char* name;
    FunctionKey key;
};
constexpr NamedKey namedKeys[] = {
    {"F1", FunctionKey::f1},
    {"F2", FunctionKey::f2},
    {"F3", FunctionKey::f3},
    {"F12", FunctionKey::f12},
};

void stepStatsDisplay(OptionsRecord& o)
{
    if (o.statsMode == 0 && o.includeLife == 0)
        o.statsMode = 1;
    else if (o.statsMode != 0 && o.includeLife == 0)
        o.includeLife = 1;
    else {
        o.statsMode = 0;
        o.includeLife = 0;
    }
}

}  // namespace

bool functionKeyNamed(const std::string& name, FunctionKey& key)
{
    for (const NamedKey& named : namedKeys) {
        if (name == named.name) {
            key = named.key;
            return true;
        }
    }
    return false;
}

void pressFunctionKey(World& world, FunctionKey key)
{
    OptionsRecord& o = world.liveOptions;
    switch (key) {
    case FunctionKey::f1:
        // A stored record may hold any 32-bit value: the step wraps as a
        // register does instead of overflowing.
        o.showCloud = wrapAdd(o.showCloud, 1) % 2;
        break;
    case FunctionKey::f2:
        stepStatsDisplay(o);
        break;
    case FunctionKey::f3:
        o.statsMode = o.statsMode == 2 ? 0 : 2;
        break;
    case FunctionKey::f12:
        world.strengthResetRequested = 1;
        break;
    }
}
