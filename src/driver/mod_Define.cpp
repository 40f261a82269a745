#include "driver/mod_Define.hpp"

#include <cctype>
#include <charconv>
#include <string>

#include "driver/mod_main.hpp"
#include "driver/window_handlers.hpp"
#include "game/game_state.hpp"
#include "rgn/mod_RGN_pop.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw {

double NumericValue(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i > start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const bool whole = digits();
    bool fraction = false;
    if (i < s.size() && s[i] == '.') {
        const std::size_t dot = i++;
        fraction = digits();
        if (!fraction) i = dot;
    }
    if (!whole && !fraction) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        const std::size_t mark = i++;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!digits()) i = mark;
    }
    std::size_t begin = s[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data() + begin, s.data() + i, value);
    if (ec == std::errc::result_out_of_range) return s[begin] == '-' ? -HUGE_VAL : HUGE_VAL;
    return end == s.data() + begin ? 0.0 : value;
}

Long CommandLineNumber(std::string_view command_line) {
    if (command_line.empty()) return 0;
    return CLng(NumericValue(command_line));
}

void Main(Game& g, std::string_view command_line) {
    ConnectHandlers(g);
    g.nCmdStartX = CommandLineNumber(command_line);
    RGNDataLoad(g.rgnStore);
    RGNPopInit(g);
    // A space pressed before the program started must not count at the title.
    g.GetAsyncKeyState(platform::Key::Space);
    g.DoEvents();
    g.ReseedFromClock();
    GameMain(g);
}

}  // namespace pw
