// The registry tests remove the saver's key again and again. Run on a real
// machine, that would lose the user's saved algorithms, so the whole key is
// copied aside before the first test and put back after the last.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/saver_key.h"

namespace {

struct SavedValue {
    std::string name;
    DWORD type;
    std::vector<unsigned char> bytes;
};

class SaverKeyBackup : public ::testing::Environment {
public:
    void SetUp() override
    {
        HKEY key;
        existed =
            RegOpenKeyExA(HKEY_CURRENT_USER, saverKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!existed)
            return;
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD nameLength = sizeof name;
            SavedValue value;
            DWORD size = 0;
            if (RegEnumValueA(key, index, name, &nameLength, nullptr, &value.type, nullptr,
                              &size) != ERROR_SUCCESS)
                break;
            value.name = name;
            value.bytes.resize(size);
            if (RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size) ==
                ERROR_SUCCESS)
                values.push_back(value);
        }
        RegCloseKey(key);
    }

    void TearDown() override
    {
        removeSaverKey();
        if (!existed)
            return;
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, saverKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return;
        for (const SavedValue& v : values)
            RegSetValueExA(key, v.name.c_str(), 0, v.type, v.bytes.data(),
                           static_cast<DWORD>(v.bytes.size()));
        RegCloseKey(key);
    }

private:
    bool existed = false;
    std::vector<SavedValue> values;
};

const auto* const backup = ::testing::AddGlobalTestEnvironment(new SaverKeyBackup);

}  // namespace
