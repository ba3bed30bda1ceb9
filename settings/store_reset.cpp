#include "settings/settings_store.h"

// The results of the store are ignored here: a reset that cannot write still
// leaves liveOptions at the defaults, which is all the callers rely on.
void resetStoreToPresets()
{
    writeSettingsValue(presetAlgorithms[0], "Options");
    for (int slot = 0; slot < presetCount; ++slot)
        writeSettingsValue(presetAlgorithms[slot], slotValueName(slot).c_str());
    liveOptions = presetAlgorithms[0];
    takeDesktopDisplayMode();
    writeSettingsValue(liveOptions, "Options");
    readSettingsValue(liveOptions, "Options");
}
