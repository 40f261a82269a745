#include "platform/gtk/sway_ipc.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace pw::gtk {
namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::uint32_t kRunCommand = 0;
constexpr int kReplyTimeoutMs = 1000;

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads what sway answers until the reply is complete or the time is up.
std::string read_reply(int fd) {
    std::string reply;
    std::array<char, 512> buffer{};
    pollfd readable{fd, POLLIN, 0};
    while (poll(&readable, 1, kReplyTimeoutMs) > 0) {
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        reply.append(buffer.data(), static_cast<std::size_t>(n));
        constexpr std::size_t header = kMagic.size() + 2 * sizeof(std::uint32_t);
        if (reply.size() >= header) {
            std::uint32_t length = 0;
            std::memcpy(&length, reply.data() + kMagic.size(), sizeof length);
            if (reply.size() >= header + length) return reply.substr(header, length);
        }
    }
    return {};
}

}  // namespace

bool under_sway() {
    const char* path = std::getenv("SWAYSOCK");
    return path && *path;
}

bool sway_move_x11_window(unsigned long xid, int x, int y) {
    const char* path = std::getenv("SWAYSOCK");
    if (!path || !*path) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path) return false;
    std::strcpy(address.sun_path, path);
    const Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0 ||
        connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    const std::string command = "[id=" + std::to_string(xid) + "] move absolute position " +
                                std::to_string(x) + " " + std::to_string(y);
    // The header: the magic, then the payload's length and the message type, in this machine's
    // byte order.
    std::string message(kMagic);
    const std::uint32_t length = static_cast<std::uint32_t>(command.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    message.append(reinterpret_cast<const char*>(&kRunCommand), sizeof kRunCommand);
    message += command;
    if (!write_all(socket.fd(), message)) return false;
    std::string reply = read_reply(socket.fd());
    std::erase(reply, ' ');
    return reply.find("\"success\":true") != std::string::npos;
}

}  // namespace pw::gtk
