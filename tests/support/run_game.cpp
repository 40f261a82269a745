#include "support/run_game.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace pw::test {

std::vector<Json> GameRun::events(std::string_view ev) const {
    std::vector<Json> out;
    for (const auto& j : trace)
        if (j["ev"].str() == ev) out.push_back(j);
    return out;
}

const Json* GameRun::first(std::string_view ev) const {
    for (const auto& j : trace)
        if (j["ev"].str() == ev) return &j;
    return nullptr;
}

namespace {
// A folder of this process's own, gone with it: a process id comes round again, and a folder
// named after it held the files of a run long over (a refused run then read an old trace).
class TempFolder {
  public:
    TempFolder() {
        std::string name =
            (std::filesystem::temp_directory_path() / "petalwing-tests-XXXXXX").string();
        if (!mkdtemp(name.data())) throw std::runtime_error("no temporary folder for the tests");
        path_ = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};
}  // namespace

std::string temp_path(const std::string& name) {
    static const TempFolder dir;
    static int counter = 0;
    return (dir.path() / (std::to_string(++counter) + "-" + name)).string();
}

namespace {
std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
}  // namespace

std::vector<Json> read_trace(const std::string& path) {
    std::vector<Json> records;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) records.push_back(Json::parse(line));
    return records;
}

namespace {

// Runs a shell command line, its output and errors into the run.
GameRun run_command(std::string cmd) {
    GameRun run;
    const std::string out = temp_path("stdout.txt"), err = temp_path("stderr.txt");
    cmd += " >" + quote(out) + " 2>" + quote(err);
    const int status = std::system(cmd.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto slurp = [](const std::string& path) {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    };
    run.stdout_text = slurp(out);
    run.stderr_text = slurp(err);
    return run;
}

}  // namespace

GameRun run_program(const std::vector<std::string>& args) {
    std::string cmd = quote(PETALWING_EXE);
    for (const auto& a : args)
        cmd += " " + quote(a);
    return run_command(cmd);
}

GameRun run_game(const std::vector<std::string>& args, const std::string& script) {
    const std::string trace = temp_path("trace.jsonl");
    std::string cmd = quote(PETALWING_EXE) + " --headless --trace " + quote(trace);
    if (!script.empty()) {
        const std::string path = temp_path("script.txt");
        std::ofstream(path) << script;
        cmd += " --script " + quote(path);
    }
    for (const auto& a : args)
        cmd += " " + quote(a);
    GameRun run = run_command(cmd);
    run.trace = read_trace(trace);
    return run;
}

}  // namespace pw::test
