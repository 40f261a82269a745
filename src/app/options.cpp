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

enum class Id {
    Help,
    Version,
    Headless,
    Autopilot,
    Desktop,
    Screen,
    Dpi,
    RawDpi,
    Taskbar,
    Seed,
    Script,
    Until,
    Trace,
    Shot,
    SpriteSheet
};

struct Spec {
    Id id;
    std::string_view name;
    char letter;             // the one-letter form, or 0
    std::string_view value;  // what the value is called, empty for a switch
    bool virtual_only;       // only the build with the virtual desktop (the GTK one) takes it
    std::string_view help;   // lines after the first start with '\n'
};

constexpr Spec kSpecs[] = {
    {Id::Headless, "--headless", 0, "", true,
     "run on a virtual desktop instead of the real display"},
    {Id::Autopilot, "--autopilot", 0, "", false,
     "let the built-in player play (keys are its own; the menu still works)"},
    {Id::Desktop, "--desktop", 0, "x11|wayland", true,
     "the real desktop to play on (default: Wayland where WAYLAND_DISPLAY\n"
     "is set and the compositor offers layer-shell, else X11 or Xwayland)"},
    {Id::Screen, "--screen", 0, "WxH", true, "virtual desktop size in pixels (default 1024x768)"},
    {Id::Dpi, "--dpi", 0, "N", true,
     "virtual desktop resolution (default 96); the game sees 96 dpi and\n"
     "from 192 dpi is shown enlarged by a whole factor, as on real desktops"},
    {Id::RawDpi, "--raw-dpi", 0, "N", true,
     "for tests: the game sees 1440/N twips to the pixel, unenlarged"},
    {Id::Taskbar, "--taskbar", 0, "PX", true, "virtual taskbar height (default 30)"},
    {Id::Seed, "--seed", 0, "N", true,
     "reproducible run: random numbers and virtual clock (default 1)"},
    {Id::Script, "--script", 0, "FILE", true, "scripted input for the virtual desktop"},
    {Id::Until, "--until", 0, "MS", false, "stop once the run has lasted MS ms"},
    {Id::Trace, "--trace", 0, "FILE", false, "write a JSON Lines trace of the run"},
    {Id::Shot, "--shot", 0, "MS:FILE", true,
     "save a PNG of the virtual desktop at virtual time MS (repeatable)"},
    {Id::SpriteSheet, "--sprite-sheet", 0, "FILE", true,
     "write a PNG of every sprite and balloon cap and exit"},
    {Id::Help, "--help", 'h', "", false, "show this help and exit"},
    {Id::Version, "--version", 'V', "", false, "show the version and exit"},
};

// A word the user meant as an option: "--" and a name, or a dash and a letter ("-40" and
// "-" stay words of the ship's start x).
bool looks_like_option(std::string_view word) {
    if (word.size() > 2 && word.starts_with("--")) return true;
    const char letter = word.size() >= 2 && word[0] == '-' ? word[1] : '\0';
    return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
}

const Spec* find_spec(std::string_view name) {
    for (const Spec& s : kSpecs)
        if (s.name == name || (s.letter && name.size() == 2 && name[1] == s.letter)) return &s;
    return nullptr;
}

}  // namespace

std::string usage(Build build) {
    const bool virtual_desktop = build == Build::WithVirtualDesktop;
    std::string out = R"(Usage: petalwing [OPTIONS] [--] [START-X]

Petalwing, a side-scrolling shooter played on your desktop. START-X is the ship's
starting x in pixels (default 36).

Keys: arrows steer, Space starts and fires, Escape pauses, Home toggles invincibility.
Right-click a life lamp (lower left; under weston where weston put it) or the ship for
the menu; its last item quits.

Options:
)";
    constexpr std::size_t kColumn = 22;
    for (const Spec& s : kSpecs) {
        if (s.virtual_only && !virtual_desktop) continue;
        // Appended piece by piece: GCC 12 at -O3 takes a literal + string for an overlapping
        // copy (-Wrestrict).
        std::string head = "  ";
        if (s.letter) head.append(1, '-').append(1, s.letter).append(", ");
        head += s.name;
        if (!s.value.empty()) head.append(1, ' ').append(s.value);
        out += head;
        // At least two blanks before the text, as help2man reads it.
        if (head.size() + 2 > kColumn) {
            out += '\n';
            head.clear();
        }
        out.append(kColumn - head.size(), ' ');
        std::string help(s.help);
        if (s.id == Id::Until && virtual_desktop)
            help += " (default 600000 on the virtual desktop)";
        for (auto nl = help.find('\n'); nl != std::string::npos; nl = help.find('\n', nl + 1))
            help.insert(nl + 1, kColumn, ' ');
        out += help + "\n";
    }
    out +=
        "\nA value follows its option as the next word or after '=' (--until=5000);\n"
        "-- ends the options, so that a negative START-X can follow it.\n";
    return out;
}

Options parse_options(const std::vector<std::string>& args, Build build) {
    Options o;
    std::vector<std::string> words;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!options_ended && word == "--") {
            options_ended = true;
            continue;
        }
        if (options_ended || !looks_like_option(word)) {
            words.push_back(word);
            continue;
        }
        const auto eq = word.starts_with("--") ? word.find('=') : std::string::npos;
        const std::string a = word.substr(0, eq);
        const Spec* spec = find_spec(a);
        if (!spec)
            throw std::runtime_error("unknown option " + platform::quoted(a) + " (see --help)");
        if (spec->virtual_only && build == Build::RealDesktopOnly)
            throw std::runtime_error(a +
                                     " is for the virtual desktop, which the Windows program "
                                     "does not have (it is in the Linux build)");
        if (spec->value.empty() && eq != std::string::npos)
            throw std::runtime_error(a + " takes no value");
        const auto value = [&]() -> std::string {
            std::string v;
            if (eq != std::string::npos) {
                v = word.substr(eq + 1);
            } else {
                if (i + 1 >= args.size()) throw std::runtime_error(a + " needs a value");
                v = args[++i];
            }
            // An empty value is a slip (an unset variable), never "not given".
            if (v.empty()) throw std::runtime_error(a + ": the value is empty");
            return v;
        };
        switch (spec->id) {
            case Id::Help:
                o.help = true;
                break;
            case Id::Version:
                o.version = true;
                break;
            case Id::SpriteSheet:
                o.sprite_sheet = value();
                break;
            case Id::Headless:
                o.headless = true;
                break;
            case Id::Autopilot:
                o.autopilot = true;
                break;
            case Id::Desktop: {
                const std::string v = value();
                if (v == "x11")
                    o.real_desktop = RealDesktopKind::X11;
                else if (v == "wayland")
                    o.real_desktop = RealDesktopKind::Wayland;
                else
                    throw std::runtime_error("--desktop: expected x11 or wayland, got " +
                                             platform::quoted(v));
                break;
            }
            case Id::Screen: {
                const std::string v = value();
                const auto x = v.find('x');
                if (x == std::string::npos) throw std::runtime_error("--screen: expected WxH");
                o.desktop.width = parse_number<int>(a, std::string_view(v).substr(0, x));
                o.desktop.height = parse_number<int>(a, std::string_view(v).substr(x + 1));
                if (o.desktop.width < 64 || o.desktop.height < 64 || o.desktop.width > 16384 ||
                    o.desktop.height > 16384)
                    throw std::runtime_error("--screen: sizes must lie between 64 and 16384");
                break;
            }
            case Id::Dpi:
            case Id::RawDpi:
                o.desktop.dpi = parse_number<int>(a, value());
                o.desktop.raw_dpi = spec->id == Id::RawDpi;
                if (o.desktop.dpi < kMinDpi || o.desktop.dpi > kMaxDpi)
                    throw std::runtime_error(a + ": must lie between " + std::to_string(kMinDpi) +
                                             " and " + std::to_string(kMaxDpi));
                break;
            case Id::Taskbar:
                o.desktop.taskbar = parse_number<int>(a, value());
                if (o.desktop.taskbar < 0)
                    throw std::runtime_error("--taskbar: must not be negative");
                break;
            case Id::Seed:
                o.desktop.seed = parse_number<std::uint64_t>(a, value());
                break;
            case Id::Script:
                o.script_path = value();
                break;
            case Id::Until:
                o.desktop.until = parse_number<std::uint64_t>(a, value());
                break;
            case Id::Trace:
                o.desktop.trace_path = value();
                break;
            case Id::Shot: {
                const std::string v = value();
                const auto colon = v.find(':');
                if (colon == std::string::npos || colon + 1 == v.size())
                    throw std::runtime_error("--shot: expected MS:FILE");
                o.desktop.shots.emplace_back(
                    parse_number<std::uint64_t>(a, std::string_view(v).substr(0, colon)),
                    v.substr(colon + 1));
                break;
            }
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
