#include "app/script_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "platform/user_text.hpp"

namespace pw::app {

std::string read_script_file(const std::string& path) {
    const std::string what = "--script: " + platform::quoted(path);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) throw std::runtime_error(what + ": " + ec.message());
    // Devices, pipes and folders would read forever, or as nothing.
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error(what + " is not a regular file");
    struct Close {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Close> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw std::runtime_error(what + ": " + std::strerror(errno));
    std::string text;
    char buffer[1 << 16];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get())) {
        if (text.size() + n > kMaxScriptBytes)
            throw std::runtime_error(what + " is larger than " +
                                     std::to_string(kMaxScriptBytes >> 20) + " MB");
        text.append(buffer, n);
    }
    if (std::ferror(file.get())) throw std::runtime_error(what + ": cannot be read");
    return text;
}

}  // namespace pw::app
