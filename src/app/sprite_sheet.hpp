// --sprite-sheet: a picture of every sprite dressed as the game dresses its windows, and the
// four balloon caps, each labelled by number.
#pragma once

#include <string>

namespace pw::app {

// Writes the sheet as a PNG; returns false with a reason on failure.
bool write_sprite_sheet(const std::string& path, std::string* error);

}  // namespace pw::app
