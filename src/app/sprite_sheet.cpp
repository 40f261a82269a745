#include "app/sprite_sheet.hpp"

#include <memory>
#include <vector>

#include "game/game_state.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "rgn/mod_RGN_pop.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw::app {
namespace {

constexpr int kSheetWidth = 1100, kSheetHeight = 1000;
constexpr int kTwips = 15;  // 96 dpi

struct Place {
    int sprite, x, y;
};

// Small sprites along the top, the credits on the right, the three scenes at the bottom.
constexpr Place kPlaces[] = {
    {0, 20, 30},  {11, 80, 30}, {12, 130, 30}, {13, 180, 30}, {14, 240, 30}, {15, 290, 30},
    {5, 340, 30}, {9, 400, 30}, {10, 470, 30}, {1, 20, 150},  {3, 220, 150}, {4, 420, 150},
    {2, 880, 30}, {6, 20, 680}, {7, 20, 790},  {8, 20, 900},
};

}  // namespace

bool write_sprite_sheet(const std::string& path, std::string* error) {
    headless::Options options;
    options.width = kSheetWidth;
    options.height = kSheetHeight;
    options.taskbar = 0;
    headless::HeadlessDesktop desktop(options);
    Game g(desktop);
    RGNDataLoad(g.rgnStore);
    RGNPopInit(g);

    std::vector<std::unique_ptr<win::FrmRGNCommon>> windows;
    const auto window = [&](const std::string& name) -> win::FrmRGNCommon& {
        windows.push_back(std::make_unique<win::FrmRGNCommon>(g.ws, name));
        return *windows.back();
    };
    const auto label = [&](const std::string& text, int x, int y) {
        auto& w = window("label " + text);
        w.Move(static_cast<float>(x * kTwips), static_cast<float>(y * kTwips), 40 * kTwips,
               14 * kTwips);
        w.SetBackColor(win::RGB(160, 160, 160));
        desktop.set_items(w.hwnd(),
                          {platform::TextItem{0, 0, text, {"IPAPGothic", 8, true}, {40, 40, 40}}});
        w.Show();
    };

    auto& backdrop = window("backdrop");
    backdrop.SetBackColor(win::RGB(160, 160, 160));
    backdrop.Move(0, 0, kSheetWidth * kTwips, kSheetHeight * kTwips);
    backdrop.Show();

    for (const Place& p : kPlaces) {
        auto& w = window("sprite " + std::to_string(p.sprite));
        RGNSetSize(p.sprite, w);
        RGNSetPicture(g, p.sprite, w);
        w.Move(static_cast<float>(p.x * kTwips), static_cast<float>((p.y + 14) * kTwips));
        RGNSetWindow(g, p.sprite, w);
        w.Show();
        label(std::to_string(p.sprite), p.x, p.y);
    }
    for (int cap = 0; cap < 4; ++cap) {
        const int x = 560 + cap * 40, y = 30;
        auto& w = window("cap " + std::to_string(cap));
        w.Move(static_cast<float>(x * kTwips), static_cast<float>((y + 14) * kTwips),
               (cap == 0 || cap == 3 ? 8 : 7) * kTwips, 18 * kTwips);
        w.SetPicture(g.frmC->Picture1[static_cast<std::size_t>(cap)], std::nullopt);
        RGNPopSetWindow(g, cap, w);
        w.Show();
        label(std::string{'c', static_cast<char>('0' + cap)}, x, y);
    }
    g.frmC.Unload();
    return desktop.snapshot(path, error);
}

}  // namespace pw::app
