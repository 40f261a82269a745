#include "platform/win32/text.hpp"

#include <windows.h>

#include <climits>

#include "platform/win32/entry.hpp"

namespace pw::win32 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::vector<std::string> arguments_after_program(std::wstring_view line) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    std::size_t i = 0;
    // The program's path: quoted paths may hold blanks and end at the closing quote.
    if (i < line.size() && line[i] == L'"') {
        const auto close = line.find(L'"', 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !blank(line[i]))
            ++i;
    }

    std::vector<std::string> words;
    while (true) {
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i >= line.size()) break;
        std::wstring word;
        bool quoted = false;
        for (; i < line.size() && (quoted || !blank(line[i])); ++i) {
            if (line[i] == L'"')
                quoted = !quoted;
            else
                word += line[i];
        }
        words.push_back(narrow(word));
    }
    return words;
}

std::vector<std::string> program_arguments() {
    return arguments_after_program(GetCommandLineW());
}

}  // namespace pw::win32
