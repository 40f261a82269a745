#include "app/options.hpp"

#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "platform/display_scale.hpp"
#include "platform/user_text.hpp"

namespace pw::app {
namespace {

template <class T>
T parse_number(const std::string& option, std::string_view text) {
    T v{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size())
        throw std::runtime_error(option + ": expected a number, got " + platform::quoted(text));
    return v;
}

// A picture that could never be written is refused before the game starts.
void check_shots(const headless::Options& desktop) {
    const std::uint64_t until = desktop.until.value_or(kDefaultUntilMs);
    for (const auto& [ms, path] : desktop.shots) {
        if (ms > until)
            throw std::runtime_error("--shot: " + std::to_string(ms) + " ms is after --until " +
                                     std::to_string(until) + " ms; the run ends first");
        auto folder = std::filesystem::path(path).parent_path();
        if (folder.empty()) folder = ".";
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            throw std::runtime_error("--shot: no folder " + platform::quoted(folder.string()) +
                                     " for " + platform::quoted(path));
    }
}

}  // namespace

std::string usage() {
    return R"(Usage: petalwing [OPTIONS] [START-X]

Petalwing, a side-scrolling shooter played on your desktop. START-X is the ship's
starting x in pixels (default 36).

Keys: arrows steer, Space starts and fires, Escape pauses, Home toggles invincibility.
Right-click a life lamp (lower left; under weston where weston put it) or the ship for
the menu; its last item quits.

Options:
  --headless          run on a virtual desktop instead of the real display
  --autopilot         let the built-in player play (keys are its own; the menu still works)
  --screen WxH        virtual desktop size in pixels (default 1024x768)
  --dpi N             virtual desktop resolution (default 96); the game sees 96 dpi and
                      from 192 dpi is shown enlarged by a whole factor, as on real desktops
  --raw-dpi N         for tests: the game sees 1440/N twips to the pixel, unenlarged
  --taskbar PX        virtual taskbar height (default 30)
  --seed N            reproducible run: random numbers and virtual clock (default 1)
  --script FILE       scripted input for the virtual desktop
  --until MS          stop once the run has lasted MS ms (default 600000 on the virtual desktop)
  --trace FILE        write a JSON Lines trace of the run
  --shot MS:FILE      save a PNG of the virtual desktop at virtual time MS (repeatable)
  --sprite-sheet FILE
                      write a PNG of every sprite and balloon cap and exit
  --help              show this help and exit
  --version           show the version and exit
)";
}

Options parse_options(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            words.push_back(a);
            continue;
        }
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::runtime_error(a + " needs a value");
            return args[++i];
        };
        if (a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--sprite-sheet") {
            o.sprite_sheet = value();
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--autopilot") {
            o.autopilot = true;
        } else if (a == "--screen") {
            const std::string& v = value();
            const auto x = v.find('x');
            if (x == std::string::npos) throw std::runtime_error("--screen: expected WxH");
            o.desktop.width = parse_number<int>(a, std::string_view(v).substr(0, x));
            o.desktop.height = parse_number<int>(a, std::string_view(v).substr(x + 1));
            if (o.desktop.width < 64 || o.desktop.height < 64 || o.desktop.width > 16384 ||
                o.desktop.height > 16384)
                throw std::runtime_error("--screen: sizes must lie between 64 and 16384");
        } else if (a == "--dpi" || a == "--raw-dpi") {
            o.desktop.dpi = parse_number<int>(a, value());
            o.desktop.raw_dpi = a == "--raw-dpi";
            if (o.desktop.dpi < 24 || o.desktop.dpi > 1440)
                throw std::runtime_error(a + ": must lie between 24 and 1440");
        } else if (a == "--taskbar") {
            o.desktop.taskbar = parse_number<int>(a, value());
            if (o.desktop.taskbar < 0) throw std::runtime_error("--taskbar: must not be negative");
        } else if (a == "--seed") {
            o.desktop.seed = parse_number<std::uint64_t>(a, value());
        } else if (a == "--script") {
            o.script_path = value();
        } else if (a == "--until") {
            o.desktop.until = parse_number<std::uint64_t>(a, value());
        } else if (a == "--trace") {
            o.desktop.trace_path = value();
        } else if (a == "--shot") {
            const std::string& v = value();
            const auto colon = v.find(':');
            if (colon == std::string::npos || colon + 1 == v.size())
                throw std::runtime_error("--shot: expected MS:FILE");
            o.desktop.shots.emplace_back(
                parse_number<std::uint64_t>(a, std::string_view(v).substr(0, colon)),
                v.substr(colon + 1));
        } else {
            throw std::runtime_error("unknown option " + platform::quoted(a) + " (see --help)");
        }
    }
    // The work area the game sees, in the pixels of a high resolution's whole scale; no sum
    // here can overflow (the screen's height is at most 16384, the taskbar not negative).
    const int scale = o.desktop.raw_dpi ? 1 : platform::scale_for_dpi(o.desktop.dpi);
    if ((o.desktop.height - o.desktop.taskbar) / scale <= 19)
        throw std::runtime_error("--taskbar: leaves no work area on this screen");
    if (o.headless) check_shots(o.desktop);
    for (const auto& w : words) {
        if (!o.command_line.empty()) o.command_line += ' ';
        o.command_line += w;
    }
    return o;
}

}  // namespace pw::app
