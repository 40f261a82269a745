// The game names Windows fonts; on Linux these are their metric-compatible stand-ins, so
// texts keep the widths the layouts were made for.
#pragma once

#include <string>

namespace pw::platform {

// A Pango family list for one of the game's font names.
inline std::string pango_family_for(const std::string& family) {
    if (family.find("ゴシック") != std::string::npos) return "IPAPGothic";
    if (family.find("明朝") != std::string::npos) return "IPAPMincho";
    if (family == "Times New Roman") return "Liberation Serif,IPAPMincho,serif";
    return family.empty() ? "IPAPGothic" : family;
}

}  // namespace pw::platform
