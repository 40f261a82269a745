// What the native Wayland tests check on a compositor's screenshots, against the game's live
// trace and the virtual desktop's pictures: the title pixel for pixel, and a game stopped
// between two frames showing nothing but its windows and the striped desktop.
#pragma once

#include <signal.h>

#include <algorithm>
#include <array>
#include <map>

#include "desktop/stripes.hpp"
#include "desktop/x_session.hpp"
#include "support/json_value.hpp"

namespace pw::desktop_test::wayland {

using test::Json;

inline constexpr Rgb kVirtualWallpaper{58, 110, 165};
inline constexpr Rgb kPanelGrey{128, 128, 128};

inline Rgb stripe(int x, int y) {
    const auto c = stripes::at(x, y);
    return {c.r, c.g, c.b};
}

// The records written so far; a line still being written is left out.
inline std::vector<Json> read_live_trace(const std::string& path) {
    std::vector<Json> records;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        try {
            records.push_back(Json::parse(line));
        } catch (const std::exception&) {
        }
    }
    return records;
}

// The last frame record written so far.
inline std::optional<Json> last_frame(const std::vector<Json>& trace) {
    for (auto it = trace.rbegin(); it != trace.rend(); ++it)
        if ((*it)["ev"].str() == "frame") return *it;
    return std::nullopt;
}

inline bool has_phase(const std::vector<Json>& trace, const std::string& phase) {
    return std::any_of(trace.begin(), trace.end(), [&](const Json& r) {
        return r["ev"].str() == "phase" && r["phase"].str() == phase;
    });
}

// Pictures of the virtual desktop, made by one headless game: `path_of(ms)` at each of `times`.
inline std::vector<Image> virtual_pictures(const std::function<std::string(int)>& path_of,
                                           int taskbar, const std::vector<int>& times,
                                           const std::vector<std::string>& more = {}) {
    std::vector<std::string> argv{kExe,        "--headless",
                                  "--taskbar", std::to_string(taskbar),
                                  "--until",   std::to_string(times.back() + 500)};
    for (int ms : times)
        argv.insert(argv.end(), {"--shot", std::to_string(ms) + ":" + path_of(ms)});
    argv.insert(argv.end(), more.begin(), more.end());
    Child headless(argv, "", path_of(0) + ".log");
    EXPECT_EQ(headless.wait_exit(120s), 0);
    std::vector<Image> pictures;
    for (int ms : times)
        pictures.emplace_back(path_of(ms));
    return pictures;
}

// The title, as the compositor shows it, is the virtual desktop's picture pixel for pixel
// (each pixel a block of scale x scale), with the stripes where the virtual desktop shows its
// wallpaper.
inline void expect_title_is_the_virtual_one(const Image& shot, const Image& expected, int scale) {
    ASSERT_TRUE(shot.ok());
    ASSERT_TRUE(expected.ok());
    ASSERT_EQ(shot.width(), 1024 * scale);
    int wrong = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgb e = expected.at(x / scale, y / scale);
            const Rgb want = e == kVirtualWallpaper ? stripe(x / scale, y / scale) : e;
            if (shot.at(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is not the virtual desktop's";
        }
    EXPECT_EQ(wrong, 0);
}

struct Shown {
    std::string name;
    int left = 0, top = 0, width = 0, height = 0;
    bool solid_full_screen = false;  // one colour over the whole screen, cut to dots
    Rgb back;
    std::optional<int> picture;
    bool contains(int x, int y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

// The game windows a frame record shows, with a shape that is not empty.
inline std::vector<Shown> shown_in(const Json& frame) {
    std::vector<Shown> shown;
    for (const Json& w : frame["windows"].arr()) {
        if (!w["visible"].boolean() || (!w["rects"].is_null() && w["rects"].integer() == 0))
            continue;
        Shown s{w["name"].str(),
                w["left"].integer(),
                w["top"].integer(),
                w["width"].integer(),
                w["height"].integer(),
                false,
                {},
                std::nullopt};
        unsigned rgb = 0;
        std::sscanf(w["back"].str().c_str(), "#%6x", &rgb);
        s.back = {static_cast<int>(rgb >> 16 & 0xff), static_cast<int>(rgb >> 8 & 0xff),
                  static_cast<int>(rgb & 0xff)};
        if (!w["picture"].is_null()) s.picture = w["picture"].integer();
        s.solid_full_screen = !s.picture && s.width >= 1024 && s.height >= 768;
        shown.push_back(s);
    }
    return shown;
}

// Every picture of the game as `petalwing --sprite-sheet` draws them, each at its own place on
// a grey sheet, so that a test knows what a sprite looks like wherever the game shows it.
class SpriteSheet {
  public:
    explicit SpriteSheet(const std::string& path) : image_(made(path)) {}

    bool knows(int picture) const { return image_.ok() && kCorners.count(picture) > 0; }

    // The pixel of `picture` at x, y within it, where the picture is opaque.
    std::optional<Rgb> at(int picture, int x, int y) const {
        const auto corner = kCorners.find(picture);
        if (corner == kCorners.end() || !image_.ok() || x < 0 || y < 0) return std::nullopt;
        const int sx = corner->second.first + x, sy = corner->second.second + y;
        if (sx >= image_.width() || sy >= image_.height()) return std::nullopt;
        const Rgb p = image_.at(sx, sy);
        return p == kSheetGrey ? std::nullopt : std::optional<Rgb>(p);
    }

  private:
    static Image made(const std::string& path) {
        Child sheet({kExe, "--sprite-sheet", path}, "", path + ".log");
        EXPECT_EQ(sheet.wait_exit(30s), 0);
        return Image(path);
    }
    static constexpr Rgb kSheetGrey{160, 160, 160};
    // Each picture's top left corner on the sheet (its label, 14 pixels tall, stands above).
    static inline const std::map<int, std::pair<int, int>> kCorners{
        {0, {20, 44}},   {11, {80, 44}},  {12, {130, 44}}, {13, {180, 44}},
        {14, {240, 44}}, {15, {290, 44}}, {5, {340, 44}},  {9, {400, 44}},
        {10, {470, 44}}, {1, {20, 164}},  {3, {220, 164}}, {4, {420, 164}},
        {2, {880, 44}},  {6, {20, 694}},  {7, {20, 804}},  {8, {20, 914}}};
    Image image_;
};

// Whether window `w` may have put `seen` at x, y: inside its picture's silhouette where the
// sheet knows its picture, in its colour for a full-screen window of one colour, else inside
// its box.
inline bool may_show(const Shown& w, int x, int y, const Rgb& seen, const SpriteSheet& sheet) {
    if (!w.contains(x, y)) return false;
    if (w.solid_full_screen) return seen == w.back;
    if (w.picture && sheet.knows(*w.picture))
        return sheet.at(*w.picture, x - w.left, y - w.top).has_value();
    return true;
}

// A window is drawn where, at one of its `places` (the frames around a stop), at least a
// quarter of the pixels of its picture's silhouette that no other window of `all` may cover
// show something other than the desktop; a window without such a picture, where a pixel of its
// box that no other window may cover shows its colour.
inline bool drawn(const Image& shot, const std::vector<const Shown*>& places,
                  const std::vector<Shown>& all, const SpriteSheet& sheet,
                  const std::function<Rgb(int, int)>& desktop) {
    for (const Shown* w : places) {
        const bool pictured = w->picture && sheet.knows(*w->picture);
        int free = 0, shown = 0;
        for (int y = std::max(w->top, 0); y < std::min(w->top + w->height, shot.height()); ++y)
            for (int x = std::max(w->left, 0); x < std::min(w->left + w->width, shot.width());
                 ++x) {
                const Rgb seen = shot.at(x, y);
                const auto covers = [&](const Shown& v) {
                    return v.name != w->name && may_show(v, x, y, seen, sheet);
                };
                if (!may_show(*w, x, y, seen, sheet) || std::any_of(all.begin(), all.end(), covers))
                    continue;
                ++free;
                shown += pictured ? seen != desktop(x, y) : seen == w->back;
            }
        if (pictured ? free > 0 && 4 * shown >= free : shown > 0) return true;
    }
    return false;
}

// The screen of a game stopped between two frames: the game's windows where either frame
// had them (a window mapped in the frame before the stop may not be drawn yet: the
// compositor answers a new surface before it takes its picture, so only those shown a frame
// earlier, in `settled`, must be), the desktop everywhere else; a window of one colour over the
// whole screen shows only its colour; the scenery as in one of the virtual desktop's pictures, if
// any are given; every sprite drawn.
inline void expect_only_the_game_and_the_desktop(
    const Image& shot, const std::vector<Shown>& settled, const std::vector<Shown>& before,
    const std::vector<Shown>& after, const std::vector<Image>& references, const SpriteSheet& sheet,
    const std::function<Rgb(int, int)>& desktop) {
    ASSERT_TRUE(shot.ok());
    std::vector<Shown> all = before;
    all.insert(all.end(), after.begin(), after.end());
    int stale = 0, scenery = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgb seen = shot.at(x, y);
            if (seen == desktop(x, y)) continue;
            bool mine = false, over_scenery = false;
            for (const Shown& w : all) {
                if (!may_show(w, x, y, seen, sheet)) continue;
                mine = true;
                over_scenery |= w.name != "frmBG";
            }
            if (!mine && ++stale <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " belongs to no game window";
            const bool like_virtual =
                std::any_of(references.begin(), references.end(),
                            [&](const Image& r) { return r.at(x, y) == seen; });
            if (!references.empty() && mine && !over_scenery && !like_virtual && ++scenery <= 5)
                ADD_FAILURE() << "scenery pixel " << x << "," << y << " unlike the virtual one";
        }
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(scenery, 0);
    const auto find = [](const std::vector<Shown>& frame, const std::string& name) {
        const auto it = std::find_if(frame.begin(), frame.end(),
                                     [&](const Shown& a) { return a.name == name; });
        return it == frame.end() ? nullptr : &*it;
    };
    for (const Shown& w : before) {
        const bool on_screen =
            w.left < 1024 && w.top < 768 && w.left + w.width > 0 && w.top + w.height > 0;
        const Shown* later = find(after, w.name);
        if (w.solid_full_screen || !on_screen || !find(settled, w.name) || !later) continue;
        EXPECT_TRUE(drawn(shot, {&w, later}, all, sheet, desktop)) << w.name << " is not drawn";
    }
}

// The game is stopped (SIGSTOP to `game`; `resume` lets it and whatever started it go on),
// the compositor's picture taken by `shot`, and the picture checked as above against the
// frames on either side of the stop, which the live trace (`trace`) shows a moment later.
inline void stop_and_check(const std::string& name, pid_t game, const std::function<void()>& resume,
                           const std::function<std::vector<Json>()>& trace,
                           const std::function<Image()>& shot, const std::vector<Image>& scenery,
                           const SpriteSheet& sheet, const std::function<Rgb(int, int)>& desktop) {
    const auto written = last_frame(trace());
    const double since = written ? (*written)["t"].num() : 0;
    const auto stopped = std::chrono::steady_clock::now();
    kill(game, SIGSTOP);
    std::this_thread::sleep_for(300ms);  // what the game committed reaches the screen
    const Image picture = shot();
    resume();
    const double stop_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - stopped)
            .count();
    // The stop is the longest gap between two frames, from the last one written before it on,
    // that is no longer than the stop (the boss holds the frames far longer); the trace
    // comes within a second.
    std::this_thread::sleep_for(1500ms);
    const auto t = trace();
    const Json *settled = nullptr, *before = nullptr;
    std::array<const Json*, 3> around{};
    double longest = 200;
    for (const Json& r : t) {
        if (r["ev"].str() != "frame") continue;
        const double gap = before ? r["t"].num() - (*before)["t"].num() : 0;
        if (settled && (*before)["t"].num() >= since && gap >= longest && gap <= stop_ms + 150) {
            longest = gap;
            around = {settled, before, &r};
        }
        settled = before;
        before = &r;
    }
    if (!around[0]) {
        ADD_FAILURE() << name << ": no gap in the frames after " << since
                      << " ms where the game was stopped for " << stop_ms << " ms";
        return;
    }
    SCOPED_TRACE(name);
    expect_only_the_game_and_the_desktop(picture, shown_in(*around[0]), shown_in(*around[1]),
                                         shown_in(*around[2]), scenery, sheet, desktop);
}

}  // namespace pw::desktop_test::wayland
