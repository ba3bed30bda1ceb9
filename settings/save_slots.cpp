#include "settings/save_slots.h"

#include "settings/settings_store.h"

std::string slotNameFromText(const std::string& text) { return text.substr(0, slotNameLength); }

namespace {

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameSlotName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerCase(a[i]) != lowerCase(b[i]))
            return false;
    return true;
}

int findSlotByName(const std::vector<std::string>& names, const std::string& name)
{
    if (name.empty())
        return -1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameSlotName(names[i], name))
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> listSlotNames(
    const std::function<bool(int slot, OptionsRecord& record)>& readSlot)
{
    std::vector<std::string> names;
    for (int slot = 0; slot < settingsSlotCount; ++slot) {
        OptionsRecord record{};
        if (!readSlot(slot, record))
            break;
        names.push_back(algorithmNameText(record));
    }
    return names;
}

int nextFreeSlot(int listedCount)
{
    return listedCount >= 0 && listedCount < settingsSlotCount ? listedCount : -1;
}

int saveTargetSlot(const std::vector<std::string>& names, int selection, const std::string& typed)
{
    const std::string stored = slotNameFromText(typed);
    if (selection >= 0 && selection < static_cast<int>(names.size()) && !typed.empty() &&
        (sameSlotName(names[selection], typed) || sameSlotName(names[selection], stored)))
        return selection;
    int slot = findSlotByName(names, typed);
    return slot >= 0 ? slot : findSlotByName(names, stored);
}
