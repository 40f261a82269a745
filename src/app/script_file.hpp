// Reading the headless desktop's script file, within limits: a regular file of at most
// kMaxScriptBytes that reads without error.
#pragma once

#include <cstddef>
#include <string>

namespace pw::app {

inline constexpr std::size_t kMaxScriptBytes = 16u << 20;

// The file's text; throws std::runtime_error with a one-line message for the user.
std::string read_script_file(const std::string& path);

}  // namespace pw::app
