// The configuration pages' own logic on any input: numbers read from the
// boxes, display-mode entries, the strength checks, slot names and which
// slot a Save means, with slot records of any bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/algorithm_check.h"
#include "settings/options_record.h"
#include "settings/page_text.h"
#include "settings/save_slots.h"
#include "settings/settings_store.h"

namespace {

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

void boxesAndModes(FuzzedDataProvider& input)
{
    std::string typed = input.ConsumeRandomLengthString(64);
    uint32_t largest = input.ConsumeIntegral<uint32_t>();
    check(readUnsignedText(typed, largest) <= largest);
    check(readUnsignedText(typed, largestCount) <= largestCount);

    DisplayModeFields parsed = parseModeText(typed);
    check(parsed.width >= 0 && parsed.height >= 0 && parsed.depth >= 0);
    // Every mode the list shows reads back as itself.
    int32_t w = input.ConsumeIntegralInRange<int32_t>(0, INT32_MAX);
    int32_t h = input.ConsumeIntegralInRange<int32_t>(0, INT32_MAX);
    int32_t d = input.ConsumeIntegralInRange<int32_t>(0, INT32_MAX);
    DisplayModeFields back = parseModeText(modeText(w, h, d));
    check(back.width == w && back.height == h && back.depth == d);

    StrengthLevels levels{input.ConsumeIntegral<uint32_t>(), input.ConsumeIntegral<uint32_t>(),
                          input.ConsumeIntegral<uint32_t>(), input.ConsumeIntegral<uint32_t>()};
    strengthLevelErrors(levels);
    exceedsEntityLimit(input.ConsumeIntegral<uint32_t>(), input.ConsumeIntegral<int32_t>());
}

void slots(FuzzedDataProvider& input)
{
    // Each slot holds a stored value of any length, as a hand edit may leave it.
    std::vector<std::string> stored;
    size_t count = input.ConsumeIntegralInRange<size_t>(0, settingsSlotCount + 2);
    for (size_t i = 0; i < count; ++i)
        stored.push_back(input.ConsumeRandomLengthString(sizeof(OptionsRecord)));
    std::vector<std::string> names = listSlotNames([&](int slot, OptionsRecord& record) {
        if (slot < 0 || static_cast<size_t>(slot) >= stored.size())
            return false;
        const std::string& bytes = stored[static_cast<size_t>(slot)];
        std::memcpy(&record, bytes.data(), bytes.size());
        return true;
    });
    check(names.size() <= stored.size());

    std::string typed = input.ConsumeRandomLengthString(80);
    std::string name = slotNameFromText(typed);
    check(name.size() <= static_cast<size_t>(slotNameLength));
    check(sameSlotName(name, name));
    int found = findSlotByName(names, typed);
    check(found >= -1 && found < static_cast<int>(names.size()));
    int selection = input.ConsumeIntegralInRange<int>(-2, static_cast<int>(names.size()) + 1);
    int target = saveTargetSlot(names, selection, typed);
    check(target >= -1 && target < static_cast<int>(names.size()));
    int next = nextFreeSlot(static_cast<int>(names.size()));
    check(next >= -1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    boxesAndModes(input);
    slots(input);
    return 0;
}
