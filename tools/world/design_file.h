// A design made elsewhere (tovrine-design, a spreadsheet): one design point
// per row, swept by tovrine-sweep --design.
#pragma once

#include <string>

#include "tools/world/sweep_options.h"

// A header of field names, then one row of their values per design point,
// into options.designFields and designRows. Each value is checked as --set
// would check it. False with `error` naming the line.
bool parseDesign(const std::string& text, SweepOptions& options, std::string& error);
