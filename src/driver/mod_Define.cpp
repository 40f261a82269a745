#include "driver/mod_Define.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

#include "driver/mod_main.hpp"
#include "driver/window_handlers.hpp"
#include "game/game_state.hpp"
#include "rgn/mod_RGN_pop.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw {

namespace {

// For a number a double cannot hold (sign, digits, '.', digits, then 'e' and an exponent):
// whether it is too close to zero rather than too large, by where its first significant
// digit stands.
bool TooSmallForADouble(std::string_view number) {
    std::size_t i = number.find_first_not_of("+-");
    long long place = 0;  // the power of ten just above the first significant digit
    bool before_point = true, significant = false;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        if (number[i] == '.') {
            before_point = false;
        } else if (significant || number[i] != '0') {
            significant = true;
            if (before_point) ++place;
        } else if (!before_point) {
            --place;
        }
    }
    long long exponent = 0;
    if (i < number.size()) {
        const auto sign = number.substr(i + 1, 1);
        const bool negative = sign == "-";
        for (std::size_t k = i + 1 + (sign == "-" || sign == "+"); k < number.size(); ++k)
            exponent = std::min(exponent * 10 + (number[k] - '0'), 1'000'000'000'000LL);
        if (negative) exponent = -exponent;
    }
    return place + exponent <= 0;
}

}  // namespace

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
    if (ec == std::errc::result_out_of_range) {
        if (TooSmallForADouble(std::string_view(s).substr(begin, i - begin))) return 0.0;
        return s[begin] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
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
