#include "settings/settings_store.h"

namespace {

// A slot worth keeping: exactly what this program writes.
bool holdsSavedAlgorithm(int slot)
{
    const std::string name = slotValueName(slot);
    if (inspectSettingsValue(name.c_str()) != StoredValueShape::wholeRecord)
        return false;
    OptionsRecord record{};
    return readSettingsValue(record, name.c_str()) == settingsOk && hasCurrentFormatVersion(record);
}

// The results of the store are ignored here: a reset that cannot write still
// leaves liveOptions at the defaults, which is all the callers rely on.
void resetStore(bool keepSavedSlots)
{
    writeSettingsValue(presetAlgorithms[0], "Options");
    for (int slot = 0; slot < presetCount; ++slot)
        if (!keepSavedSlots || !holdsSavedAlgorithm(slot))
            writeSettingsValue(presetAlgorithms[slot], slotValueName(slot).c_str());
    liveOptions = presetAlgorithms[0];
    takeDesktopDisplayMode();
    writeSettingsValue(liveOptions, "Options");
    readSettingsValue(liveOptions, "Options");
}

}  // namespace

void resetStoreToPresets() { resetStore(false); }

void resetStoreKeepingSavedSlots() { resetStore(true); }
