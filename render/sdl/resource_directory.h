// Where the program's bitmaps are: <folder>/bitmaps/<id>_<name>.bmp.
#pragma once

#include <string>

// The folder chosen by useResourceDirectory, else $TOVRINE_RESOURCES when
// set, else the source tree's resources folder.
std::string resourceDirectory();

// Called by the Linux saver at start-up with the folder it was installed
// with; empty goes back to the default.
void useResourceDirectory(const std::string& folder);
