#pragma once
// The help as one HTML page, for systems without a viewer for help files.

#include <string>

#include "tools/helpgen/help_source.h"

std::string writeHtmlPage(const HelpBook& book);
