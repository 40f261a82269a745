// Text at the Windows boundary: the game speaks UTF-8, Windows UTF-16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pw::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The words of a command line after the program's own token, as the C runtime would split
// them: blanks separate words, double quotes group them (and are dropped), and the program
// token ends at its closing quote or, unquoted, at its first blank.
std::vector<std::string> arguments_after_program(std::wstring_view command_line);

}  // namespace pw::win32
