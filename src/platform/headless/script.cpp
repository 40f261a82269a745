#include "platform/headless/script.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "platform/user_text.hpp"

namespace pw::headless {
namespace {

using platform::Key;

// Times reach a thousand years of play, so that a time plus a duration cannot overflow; a
// click lands within a window's reach on the largest screen.
constexpr std::uint64_t kMaxMs = 31'556'952'000'000;
constexpr int kMaxPixel = 65535;

constexpr std::array<std::pair<std::string_view, Key>, platform::kKeyCount> kKeyNames{{
    {"Space", Key::Space},
    {"Left", Key::Left},
    {"Up", Key::Up},
    {"Right", Key::Right},
    {"Down", Key::Down},
    {"Home", Key::Home},
    {"Escape", Key::Escape},
}};

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <class T>
std::optional<T> number(std::string_view s) {
    T v{};
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

class Parser {
  public:
    explicit Parser(int line_no) : line_no_(line_no) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw ScriptError("script line " + std::to_string(line_no_) + ": " + what);
    }
    template <class T>
    T num(std::string_view s, const char* what) const {
        auto v = number<T>(s);
        if (!v) fail(std::string("expected ") + what + ", got " + platform::quoted(s));
        return *v;
    }
    // A number that must lie within [low, high].
    template <class T>
    T num(std::string_view s, const char* what, T low, T high) const {
        const T v = num<T>(s, what);
        if (v < low || v > high)
            fail(std::string(what) + " must lie between " + std::to_string(low) + " and " +
                 std::to_string(high) + ", got " + platform::quoted(s));
        return v;
    }
    Key key(std::string_view s) const {
        auto k = key_from_name(s);
        if (!k)
            fail("unknown key " + platform::quoted(s) + " (Space Left Right Up Down Home Escape)");
        return *k;
    }

  private:
    int line_no_;
};

}  // namespace

std::optional<Key> key_from_name(std::string_view name) {
    for (auto [n, k] : kKeyNames)
        if (n == name) return k;
    return std::nullopt;
}

Script parse_script(std::string_view text) {
    Script script;
    int line_no = 0;
    while (!text.empty()) {
        ++line_no;
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (const auto hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        const auto w = words(line);
        if (w.empty()) continue;
        const Parser p(line_no);

        if (w[0] == "menu") {
            if (w.size() != 2) p.fail("'menu' takes one item caption, or none");
            if (w[1] == "none")
                script.menu_answers.emplace_back(std::nullopt);
            else
                script.menu_answers.emplace_back(std::string(w[1]));
            continue;
        }
        if (w[0] == "dialog") {
            if (w.size() != 2) p.fail("'dialog' takes a delay in ms");
            script.dialog_delays.push_back(p.num<std::uint64_t>(w[1], "a delay in ms", 0, kMaxMs));
            continue;
        }
        if (w[0].front() != '@')
            p.fail("expected '@TIME', 'menu' or 'dialog', got " + platform::quoted(w[0]));
        const auto at = p.num<std::uint64_t>(w[0].substr(1), "a time in ms after '@'", 0, kMaxMs);
        if (w.size() < 2) p.fail("missing command after the time");
        const std::string_view cmd = w[1];
        if (cmd == "down" || cmd == "up") {
            if (w.size() != 3) p.fail("'" + std::string(cmd) + "' takes one key");
            script.keys.push_back({at, p.key(w[2]), cmd == "down"});
        } else if (cmd == "press") {
            if (w.size() != 4) p.fail("'press' takes a key and a duration in ms");
            const Key k = p.key(w[2]);
            const auto dur = p.num<std::uint64_t>(w[3], "a duration in ms", 0, kMaxMs);
            script.keys.push_back({at, k, true});
            script.keys.push_back({at + dur, k, false});
        } else if (cmd == "rclick" || cmd == "lclick") {
            if (w.size() != 5) p.fail("'" + std::string(cmd) + "' takes a window and x y");
            script.clicks.push_back(
                {at, cmd == "rclick" ? platform::kRightButton : platform::kLeftButton,
                 std::string(w[2]), p.num<int>(w[3], "an x in pixels", -kMaxPixel, kMaxPixel),
                 p.num<int>(w[4], "a y in pixels", -kMaxPixel, kMaxPixel)});
        } else {
            p.fail("unknown command " + platform::quoted(cmd));
        }
    }
    // Stable: events at the same moment keep the order they were written in.
    std::stable_sort(script.keys.begin(), script.keys.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.at < b.at; });
    std::stable_sort(script.clicks.begin(), script.clicks.end(),
                     [](const ClickEvent& a, const ClickEvent& b) { return a.at < b.at; });
    return script;
}

}  // namespace pw::headless
