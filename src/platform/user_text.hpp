// What the user wrote, quoted in a message: one line, nothing a terminal would act on, and
// short enough to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pw::platform {

inline constexpr std::size_t kMaxQuotedChars = 60;

// `text` in single quotes: control characters, NUL, bytes that are not UTF-8, the quote and
// the backslash escaped (\n, \t, \r, \0, \xNN, \', \\), cut after kMaxQuotedChars characters
// with "..." outside the quotes.
inline std::string quoted(std::string_view text) {
    std::string out = "'";
    std::size_t chars = 0, i = 0;
    const auto hex = [&](unsigned char b) {
        constexpr char kDigits[] = "0123456789abcdef";
        out += "\\x";
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    };
    // The length of the valid UTF-8 sequence of two or more bytes at `i`, or 0.
    const auto sequence = [&]() -> std::size_t {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        const unsigned char lead = b(0);
        const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (n == 0 || lead > 0xF4 || i + n > text.size()) return 0;
        std::uint32_t code = lead & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            if ((b(k) & 0xC0) != 0x80) return 0;
            code = (code << 6) | (b(k) & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
        if (code >= 0x80 && code < 0xA0) return 0;  // C1 controls
        return n;
    };
    for (; i < text.size(); ++chars) {
        if (chars == kMaxQuotedChars) return out + "'...";
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            if (const std::size_t n = sequence()) {
                out.append(text.substr(i, n));
                i += n;
            } else {
                hex(text[i++]);
            }
            continue;
        }
        ++i;
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            case '\'':
                out += "\\'";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                    hex(c);
                else
                    out += static_cast<char>(c);
        }
    }
    return out + "'";
}

}  // namespace pw::platform
