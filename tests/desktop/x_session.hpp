// What the desktop tests need around the real program: a private Xvfb server, the program
// started on it, xdotool to drive it, screenshots to look at and the CPU time it used.
#pragma once

#include <cairo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace pw::desktop_test {

using namespace std::chrono_literals;

inline bool have_tool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A child process, killed when the test is done with it.
class Child {
  public:
    // Starts `argv` with DISPLAY set to `display` (unset when empty), outside any Wayland
    // session unless `wayland` names one; its output goes to `log` (both streams).
    // `extra_fd` is handed down as it is, for Xvfb's -displayfd.
    Child(const std::vector<std::string>& argv, const std::string& display, const std::string& log,
          int extra_fd = -1, const std::string& wayland = "") {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            if (display.empty())
                unsetenv("DISPLAY");
            else
                setenv("DISPLAY", display.c_str(), 1);
            if (wayland.empty())
                unsetenv("WAYLAND_DISPLAY");
            else
                setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
            }
            for (int fd = 3; fd < 256; ++fd)
                if (fd != extra_fd) close(fd);
            execvp(args[0], args.data());
            _exit(127);
        }
    }
    // Asks it to end first, so that an X server cleans up after itself.
    ~Child() {
        terminate();
        if (running() && !wait_exit(3s)) {
            kill(pid_, SIGKILL);
            wait_exit(5s);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !status_; }

    // The exit code, or nullopt if it is still running after `timeout`.
    std::optional<int> wait_exit(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!status_) {
            int status = 0;
            rusage usage{};
            if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                usage_ = usage;
                break;
            }
            if (std::chrono::steady_clock::now() >= end) return std::nullopt;
            std::this_thread::sleep_for(20ms);
        }
        return status_;
    }
    void terminate() {
        if (running()) kill(pid_, SIGTERM);
    }

    // User plus system CPU time so far, in seconds: from /proc while it runs, from the
    // kernel's account of it once it has ended.
    double cpu_seconds() const {
        if (status_)
            return usage_.ru_utime.tv_sec + usage_.ru_utime.tv_usec / 1e6 + usage_.ru_stime.tv_sec +
                   usage_.ru_stime.tv_usec / 1e6;
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // Fields after the command name, which is in parentheses and may hold blanks.
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15) ticks += std::stol(field);
        return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    rusage usage_{};
};

// A private X server on a display number nobody else uses: one screen of 1024 x 768 pixels
// unless `screens` says otherwise (Xvfb's own options, such as "+xinerama" and "-screen").
class Xvfb {
  public:
    // nullptr when Xvfb is not installed or does not come up.
    static std::unique_ptr<Xvfb> start(const std::vector<std::string>& screens = {"-screen", "0",
                                                                                  "1024x768x24"}) {
        if (!have_tool("Xvfb")) return nullptr;
        int fds[2];
        if (pipe(fds) != 0) return nullptr;
        auto x = std::make_unique<Xvfb>();
        std::vector<std::string> argv{"Xvfb", "-displayfd", std::to_string(fds[1])};
        argv.insert(argv.end(), screens.begin(), screens.end());
        argv.insert(argv.end(), {"-nolisten", "tcp", "-noreset"});
        x->server_ = std::make_unique<Child>(argv, "", "/tmp/petalwing-xvfb.log", fds[1]);
        close(fds[1]);
        // Xvfb writes the number of the display it took once it accepts clients.
        pollfd ready{fds[0], POLLIN, 0};
        std::string number;
        char c = 0;
        while (poll(&ready, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty()) return nullptr;
        x->display_ = ":" + number;
        return x;
    }

    // A display that something else serves (an XWayland server), for the same helpers.
    static std::unique_ptr<Xvfb> attach(const std::string& display) {
        auto x = std::make_unique<Xvfb>();
        x->display_ = display;
        return x;
    }

    const std::string& display() const { return display_; }

    // Runs a command line against this display; its standard output.
    std::string run(const std::string& command) const {
        const std::string line = "DISPLAY=" + display_ + " " + command + " 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
        std::string out;
        char buffer[4096];
        while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
            out += buffer;
        return out;
    }

  private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A PNG read with cairo.
class Image {
  public:
    explicit Image(const std::string& path)
        : surface_(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy) {}
    bool ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface_.get()); }
    int height() const { return cairo_image_surface_get_height(surface_.get()); }
    Rgb at(int x, int y) const {
        const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                                   y * cairo_image_surface_get_stride(surface_.get());
        const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
        return {static_cast<int>(p >> 16 & 0xff), static_cast<int>(p >> 8 & 0xff),
                static_cast<int>(p & 0xff)};
    }

  private:
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface_;
};

inline Image screenshot(const Xvfb& x, const std::string& path) {
    x.run("import -window root " + path);
    return Image(path);
}

// Where a named game window is on the screen, if it is shown.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};
inline std::optional<Geometry> window_geometry(const Xvfb& x, const std::string& name) {
    const std::string info = x.run("xwininfo -name '" + name + "'");
    if (info.find("IsViewable") == std::string::npos) return std::nullopt;
    const auto number = [&](const std::string& label) {
        const auto at = info.find(label);
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + label.size());
    };
    return Geometry{number("Absolute upper-left X:"), number("Absolute upper-left Y:"),
                    number("Width:"), number("Height:")};
}

// Polls `ready` every 100 ms until it holds or `timeout` has passed.
inline bool eventually(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(100ms);
    }
}

// The real program, as the build made it.
inline const std::string kExe = PETALWING_EXE;

// A test with its own X server and, once started, the game on it.
class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"xdotool", "import", "xwininfo"})
            if (!have_tool(tool)) GTEST_SKIP() << tool << " is not installed";
        if (!gtk_backend_built()) GTEST_SKIP() << "this build has no X11 desktop";
        x_ = Xvfb::start(screens_);
        if (!x_) GTEST_SKIP() << "Xvfb is not installed or did not start";
    }

    // Without a display, a program with the X11 desktop says so and ends with code 1.
    static bool gtk_backend_built() {
        Child probe({kExe}, "", temp("probe.log"));
        return probe.wait_exit(10s) == 1;
    }

    static std::string temp(const std::string& name) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return "/tmp/petalwing-" + std::string(test ? test->name() : "desktop") + "-" + name;
    }

    // Starts the game and waits until its title is on the screen.
    void start_game(const std::string& wayland = "", const std::vector<std::string>& args = {}) {
        std::vector<std::string> argv{kExe};
        argv.insert(argv.end(), args.begin(), args.end());
        game_ = std::make_unique<Child>(argv, x_->display(), temp("game.log"), -1, wayland);
        ASSERT_TRUE(eventually([&] { return window_geometry(*x_, "frmSTAFF").has_value(); }, 15s))
            << "the title never showed";
        std::this_thread::sleep_for(500ms);  // a few frames to paint
    }

    void press(const std::string& keys) { x_->run("xdotool key " + keys); }
    void hold(const std::string& key, std::chrono::milliseconds how_long) {
        x_->run("xdotool keydown " + key);
        std::this_thread::sleep_for(how_long);
        x_->run("xdotool keyup " + key);
    }

    std::vector<std::string> screens_{"-screen", "0", "1024x768x24"};  // the server's screens
    std::unique_ptr<Xvfb> x_;
    std::unique_ptr<Child> game_;
};

}  // namespace pw::desktop_test
