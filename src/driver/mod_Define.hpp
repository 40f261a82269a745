// Start-up: the command-line number and the entry routine.
#pragma once

#include <string_view>

#include "platform/basic_types.hpp"

namespace pw {

class Game;

// The numeric value of a text by its leading number: blanks, tabs and line feeds are
// skipped wherever they stand; a sign, digits, a decimal point with digits and an exponent
// are read up to the first character that does not fit. No number gives 0.
double NumericValue(std::string_view text);

// The command-line number, rounded half to even; the empty text gives 0. A value beyond the
// 32-bit range is held at its nearest limit.
Long CommandLineNumber(std::string_view command_line);

// The program's entry: joins the windows' events to their handlers, reads the command line, fills
// the stores, seeds the random numbers and runs the game. Leaves only by ending the program.
[[noreturn]] void Main(Game& g, std::string_view command_line);

}  // namespace pw
