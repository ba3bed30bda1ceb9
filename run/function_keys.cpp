#include "run/function_keys.h"

#include "run/frame_driver.h"
#include "settings/options_record.h"

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

void stepStatsDisplay()
{
    if (liveOptions.statsMode == 0 && liveOptions.includeLife == 0)
        liveOptions.statsMode = 1;
    else if (liveOptions.statsMode != 0 && liveOptions.includeLife == 0)
        liveOptions.includeLife = 1;
    else {
        liveOptions.statsMode = 0;
        liveOptions.includeLife = 0;
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

void pressFunctionKey(FunctionKey key)
{
    switch (key) {
    case FunctionKey::f1:
        liveOptions.showCloud = (liveOptions.showCloud + 1) % 2;
        break;
    case FunctionKey::f2:
        stepStatsDisplay();
        break;
    case FunctionKey::f3:
        liveOptions.statsMode = liveOptions.statsMode == 2 ? 0 : 2;
        break;
    case FunctionKey::f12:
        strengthResetRequested = 1;
        break;
    }
}
