// What the program's entry needs from the Windows backend, without <windows.h> (whose macros
// would clash with the game's names).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

namespace pw::win32 {

// The real desktop.
std::unique_ptr<platform::Desktop> make_desktop();

// The program's command line without its own path, as words (UTF-8).
std::vector<std::string> program_arguments();

// Where a windowed program says what a console program would print (--help, --version, a bad
// option): to its standard output when it has one or was started from a console, otherwise
// in a message box.
void show_text(std::string_view text, std::string_view title);

}  // namespace pw::win32
