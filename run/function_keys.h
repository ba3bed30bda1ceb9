// The four function keys the saver answers itself in every build: they
// change display options of the live settings, from the next frame on.
#pragma once

#include <string>

struct World;

enum class FunctionKey { f1, f2, f3, f12 };

// The function key named `name` as the platforms name their keys ("F1",
// "F12": SDL's key names, Windows' VK_F1 onwards numbered from 1); false
// for every other key, which the host then treats as any key.
bool functionKeyNamed(const std::string& name, FunctionKey& key);

// F1 toggles the cloud; F2 steps the numbers above the Vobs (none, always,
// always with meals); F3 switches near-death numbers (all three in the
// world's live record); F12 asks the world's next frame to reset every Vob's
// strength. Called on every key press, repeats included.
void pressFunctionKey(World& world, FunctionKey key);
