#pragma once
// The rules of the named save slots "alg0".."alg24": which are listed, which
// one a typed name means, and where a new one goes.

#include <functional>
#include <string>
#include <vector>

#include "settings/options_record.h"

// Names typed on the page keep at most this many characters, which leaves
// the 44-byte name field always terminated.
constexpr int slotNameLength = 38;

// The name a typed text is stored under: its first 38 characters.
std::string slotNameFromText(const std::string& text);

// Whole names compared without regard to letter case.
bool sameSlotName(const std::string& a, const std::string& b);

// The first listed slot whose name is exactly name, ignoring case; -1 when
// none is, and always for an empty name, so that a blank never picks a slot.
int findSlotByName(const std::vector<std::string>& names, const std::string& name);

// The names of the listed slots: from slot 0 up to the first one that
// readSlot cannot read. readSlot gets a zeroed record to read into.
std::vector<std::string> listSlotNames(
    const std::function<bool(int slot, OptionsRecord& record)>& readSlot);

// The slot a new name goes into, just after the listed run; -1 when all
// slots are in use.
int nextFreeSlot(int listedCount);

// The listed slot that Save would overwrite for the typed text: the selected
// entry when its name is the text, else the first entry of that name (the
// text as typed, or as it would be stored). -1 means a new slot: a typed
// text that names no slot never overwrites one, whatever is selected.
int saveTargetSlot(const std::vector<std::string>& names, int selection, const std::string& typed);
