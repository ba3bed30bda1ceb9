#pragma once
// The settings store: 128-byte records under one registry key of the current
// user ("Options" and the save slots "alg0".."alg24"). Each call opens the
// key, does one thing, flushes and closes it again; nothing is cached.

#include <cstdint>
#include <string>

#include "settings/options_record.h"

// The COM status codes that the store returns (S_OK and E_FAIL).
constexpr int32_t settingsOk = 0;
constexpr int32_t settingsFailed = static_cast<int32_t>(0x80004005u);

constexpr int settingsSlotCount = 25;

// "alg" followed by the slot number in decimal: the value name of a save slot.
inline std::string slotValueName(int slot) { return "alg" + std::to_string(slot); }

// Reads a value over destination. A shorter value fills only the first bytes;
// a missing key or value, or one longer than a record, fails and leaves
// destination exactly as it was. Called by the saver at start-up and by the
// configuration pages.
int32_t readSettingsValue(OptionsRecord& destination, const char* valueName);

// Stores all 128 bytes of source, creating the key path when missing. Called
// by the configuration pages and the reset below.
int32_t writeSettingsValue(const OptionsRecord& source, const char* valueName);

// Removes a value; a value that is not there is no error. Called by
// "Restore Defaults".
int32_t deleteSettingsValue(const char* valueName);

// What a stored value is, without reading it: a whole record (128 bytes of
// binary data, the only thing the store writes) or something else that a
// hand edit or another program left there. Called by the configuration pages
// before a value may spread to "Options" or over a saved slot.
enum class StoredValueShape { missing, wholeRecord, notARecord };
StoredValueShape inspectSettingsValue(const char* valueName);

// Copies the desktop's current width, height and bits per pixel into
// liveOptions; on failure the three fields keep their values. Called by the
// reset below and by the display-mode page.
void takeDesktopDisplayMode();

// Writes the presets to "Options" and the slots "alg0".."alg6", then makes
// liveOptions the first preset in the desktop's current mode and stores it as
// "Options". Called when the configuration opens on a missing or foreign
// "Options" and by "Restore Defaults".
void resetStoreToPresets();

// The same reset, except that a slot among "alg0".."alg6" holding a whole
// record of the current format keeps it: the user's saved algorithm is
// never lost because "Options" alone is missing or broken. Called when the
// configuration opens on such an "Options".
void resetStoreKeepingSavedSlots();
