#pragma once
// The saver's registry key as the tests see it: written out in full here so
// that a wrong path in the store shows up as a failure.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/settings/record_bytes.h"

const char saverKeyPath[] = "Control Panel\\Desktop\\ScreenSavers\\Tovrine (Doreroder v.1.1)";
const char screenSaversKeyPath[] = "Control Panel\\Desktop\\ScreenSavers";

// Removes the saver's key with every value in it.
inline void removeSaverKey() { RegDeleteKeyA(HKEY_CURRENT_USER, saverKeyPath); }

// Removes the parent "ScreenSavers" key too, but only when nothing but ours
// was in it, so a run on a real machine never loses another saver's settings.
inline void removeEmptyScreenSaversKey()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, screenSaversKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subKeys = 0, values = 0;
    LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                   &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subKeys == 0 && values == 0)
        RegDeleteKeyA(HKEY_CURRENT_USER, screenSaversKeyPath);
}

inline bool saverKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, saverKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The raw value as the registry holds it; empty when it is missing.
struct RawValue {
    DWORD type = 0;
    std::vector<unsigned char> bytes;
};

inline RawValue readRawValue(const char* name)
{
    RawValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, saverKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size) !=
            ERROR_SUCCESS)
            value.bytes.clear();
    }
    RegCloseKey(key);
    return value;
}

// Stores bytes of any length and type under the saver's key, bypassing the
// store, as a hand edit or another program could.
inline bool writeRawValue(const char* name, const std::vector<unsigned char>& bytes,
                          DWORD type = REG_BINARY)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, saverKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    // For a text type RegSetValueExA (as on Windows NT) reads one byte past
    // the value and stores it too when the value does not end in a NUL but
    // that byte is one: padded with a byte that is not, so that exactly
    // these bytes are stored, whatever the heap holds after them.
    std::vector<unsigned char> padded(bytes);
    padded.push_back(0xFF);
    LONG status =
        RegSetValueExA(key, name, 0, type, padded.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
