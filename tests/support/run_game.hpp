// Runs the real program on the virtual desktop and reads back its trace.
#pragma once

#include <string>
#include <vector>

#include "support/json_value.hpp"

namespace pw::test {

struct GameRun {
    int exit_code = -1;
    std::string stdout_text, stderr_text;
    std::vector<Json> trace;

    // Records of one kind, in order.
    std::vector<Json> events(std::string_view ev) const;
    // The first record of a kind whose field `key` equals `value`, or nullptr.
    const Json* first(std::string_view ev) const;
};

// Runs `petalwing --headless --trace <tmp> [--script <tmp>] <args...>`.
GameRun run_game(const std::vector<std::string>& args, const std::string& script = "");

// Runs `petalwing <args...>` as typed, with no option added.
GameRun run_program(const std::vector<std::string>& args);

// The records of a trace file, in order.
std::vector<Json> read_trace(const std::string& path);

// A fresh path in the test's temporary folder.
std::string temp_path(const std::string& name);

}  // namespace pw::test
