// The settings store on the registry, one key under HKEY_CURRENT_USER.

#include <windows.h>

#include <cstring>
#include <string>

#include "settings/settings_store.h"

namespace {

const char desktopKey[] = "Control Panel\\Desktop";
const char screenSaversKey[] = "\\ScreenSavers\\";
const char registryTitle[] = "Tovrine (Doreroder v.1.1)";

std::string settingsKeyPath() { return std::string(desktopKey) + screenSaversKey + registryTitle; }

// Opens the key for writing, creating every missing level of its path.
bool openKeyForWriting(HKEY& key)
{
    LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath().c_str(), 0, const_cast<char*>(""),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return status == ERROR_SUCCESS;
}

}  // namespace

int32_t readSettingsValue(OptionsRecord& destination, const char* valueName)
{
    if (!valueName)
        return settingsFailed;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKeyPath().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return settingsFailed;

    // Read into a scratch record: with a value longer than the buffer the
    // query fails but may already have copied part of it, and that must
    // never reach the caller's record.
    unsigned char scratch[sizeof(OptionsRecord)];
    DWORD size = sizeof scratch;
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, scratch, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > sizeof scratch)
        return settingsFailed;
    std::memcpy(&destination, scratch, size);
    return settingsOk;
}

int32_t writeSettingsValue(const OptionsRecord& source, const char* valueName)
{
    if (!valueName)
        return settingsFailed;
    HKEY key;
    if (!openKeyForWriting(key))
        return settingsFailed;
    LONG status = RegSetValueExA(key, valueName, 0, REG_BINARY,
                                 reinterpret_cast<const BYTE*>(&source), sizeof source);
    RegFlushKey(key);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? settingsOk : settingsFailed;
}

int32_t deleteSettingsValue(const char* valueName)
{
    if (!valueName)
        return settingsFailed;
    HKEY key;
    if (!openKeyForWriting(key))
        return settingsFailed;
    LONG status = RegDeleteValueA(key, valueName);
    RegFlushKey(key);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? settingsOk : settingsFailed;
}

StoredValueShape inspectSettingsValue(const char* valueName)
{
    if (!valueName)
        return StoredValueShape::missing;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKeyPath().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return StoredValueShape::missing;
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return StoredValueShape::missing;
    return type == REG_BINARY && size == sizeof(OptionsRecord) ? StoredValueShape::wholeRecord
                                                               : StoredValueShape::notARecord;
}
