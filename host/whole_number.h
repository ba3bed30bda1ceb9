// Whole numbers typed on a command line, shared by the Linux saver and the
// workbench's programs.
#pragma once

#include <cstdint>

// Decimal digits only (no sign, no blanks, nothing after them) of a value in
// [low, high]; false for anything else, value untouched.
bool parseWholeNumber(const char* text, int64_t low, int64_t high, int64_t& value);
