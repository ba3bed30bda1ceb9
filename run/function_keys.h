// The four function keys the saver answers itself in every build: they
// change display options of the live settings, from the next frame on.
#pragma once

enum class FunctionKey { f1, f2, f3, f12 };

// F1 toggles the cloud; F2 steps the numbers above the Vobs (none, always,
// always with meals); F3 switches near-death numbers; F12 asks the next
// frame to reset every Vob's strength. Called on every key press, repeats
// included.
void pressFunctionKey(FunctionKey key);
