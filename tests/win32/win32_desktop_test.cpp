// The Windows desktop as the game relies on it, run under Wine: events only inside the pump,
// timers that coalesce and are never re-entered, the program's end carried out of the system's
// message dispatching, windows that own copies of their shapes, the modal dialog with its timers
// running, the focus taken only when the user expects it, and the command line without the
// program's path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/region_gdi.hpp"
#include "platform/win32/text.hpp"
#include "platform/win32/win32_desktop.hpp"

namespace pw::win32 {
namespace {

using platform::WindowRole;
using Words = std::vector<std::string>;

TEST(Win32CommandLine, DropsTheProgramsOwnPathHoweverItIsWritten) {
    EXPECT_EQ(arguments_after_program(L"petalwing.exe 120"), (Words{"120"}));
    EXPECT_EQ(arguments_after_program(L"\"C:\\Program Files\\pw\\petalwing.exe\"  300  "),
              (Words{"300"}));
    EXPECT_EQ(arguments_after_program(L"\"C:\\a b\\petalwing.exe\"--help"), (Words{"--help"}));
    EXPECT_EQ(arguments_after_program(L"C:\\games\\petalwing.exe"), Words{});
    EXPECT_EQ(arguments_after_program(L""), Words{});
    EXPECT_EQ(arguments_after_program(L"pw.exe \t--version\t\"two words\" x\"y z\""),
              (Words{"--version", "two words", "xy z"}));
    EXPECT_EQ(arguments_after_program(L"pw.exe \u958b\u59cb"), (Words{"開始"}));
}

class Win32DesktopTest : public ::testing::Test {
  protected:
    Win32Desktop desktop;

    // Runs the pump until `done` or about five seconds have passed.
    template <class F>
    void pump_until(F done) {
        for (int i = 0; i < 1000 && !done(); ++i) {
            desktop.pump();
            desktop.sleep_ms(5);
        }
    }
};

TEST_F(Win32DesktopTest, ScreenMetricsAreConsistent) {
    const auto m = desktop.screen();
    EXPECT_GT(m.width_px, 0);
    EXPECT_GT(m.height_px, 0);
    EXPECT_EQ(m.twips_per_pixel_x, 15);  // a logical 96 dpi, whatever the screen's
    EXPECT_EQ(m.twips_per_pixel_y, 15);
    EXPECT_GT(m.cy_caption, 0);
    EXPECT_GT(m.cy_fullscreen, 0);
    EXPECT_LT(m.cy_fullscreen, m.height_px);
}

TEST_F(Win32DesktopTest, TimersFireOnlyInsideThePumpAndTicksCoalesce) {
    int fired = 0;
    const auto id = desktop.add_timer(100, [&] { ++fired; });
    desktop.sleep_ms(450);  // four intervals pass without a pump
    EXPECT_EQ(fired, 0);
    desktop.pump();
    EXPECT_EQ(fired, 1);
    desktop.pump();
    EXPECT_EQ(fired, 1);  // nothing new fell due
    pump_until([&] { return fired >= 3; });
    EXPECT_GE(fired, 3);
    desktop.remove_timer(id);
    const int before = fired;
    desktop.sleep_ms(250);
    desktop.pump();
    EXPECT_EQ(fired, before);
}

TEST_F(Win32DesktopTest, ATimerIsNotReenteredWhenItsHandlerPumps) {
    int depth = 0, deepest = 0, calls = 0;
    desktop.add_timer(10, [&] {
        ++calls;
        deepest = std::max(deepest, ++depth);
        for (int i = 0; i < 5; ++i) {
            desktop.sleep_ms(15);
            desktop.pump();
        }
        --depth;
    });
    pump_until([&] { return calls >= 2; });
    EXPECT_GE(calls, 2);
    EXPECT_EQ(deepest, 1);
}

TEST_F(Win32DesktopTest, ATimerMayRemoveItselfInItsHandler) {
    int fired = 0;
    platform::TimerId id = 0;
    id = desktop.add_timer(10, [&] {
        ++fired;
        desktop.remove_timer(id);
    });
    pump_until([&] { return fired > 0; });
    desktop.sleep_ms(50);
    desktop.pump();
    EXPECT_EQ(fired, 1);
}

TEST_F(Win32DesktopTest, TheProgramsEndLeavesThePumpFromAnyHandler) {
    desktop.add_timer(10, [] { platform::end_program(7); });
    try {
        pump_until([] { return false; });
        FAIL() << "the program's end did not come out of the pump";
    } catch (const platform::ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 7);
    }
}

TEST_F(Win32DesktopTest, ClicksReachTheWindowOnlyInsideThePumpAndMayUnloadIt) {
    std::vector<std::vector<int>> clicks;
    platform::WindowHandle w = 0;
    platform::WindowEvents events;
    events.mouse_down = [&](int button, int x, int y) {
        clicks.push_back({button, x, y});
        desktop.destroy_window(w);  // a handler may unload its own window
    };
    w = desktop.create_window("frmShe", WindowRole::Lamp, std::move(events));
    desktop.set_geometry(w, 10, 700, 25, 11);
    HWND hwnd = desktop.native_window(w);
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
    EXPECT_TRUE(clicks.empty());
    desktop.pump();
    EXPECT_EQ(clicks, (std::vector<std::vector<int>>{{platform::kRightButton, 3, 4}}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(desktop.native_window(w), nullptr);
}

TEST_F(Win32DesktopTest, AWindowKeepsItsOwnCopyOfItsShape) {
    const auto w = desktop.create_window("frmDot", WindowRole::Sprite, {});
    desktop.set_geometry(w, 0, 0, 40, 40);
    HWND hwnd = desktop.native_window(w);
    Region shape;
    shape.combine(Region::rectangle({0, 0, 10, 10}), Region::rectangle({20, 20, 30, 30}),
                  CombineMode::Or);
    const Region kept = shape;
    ASSERT_TRUE(desktop.set_shape(w, shape));
    shape.offset(5, 5);  // the game goes on using its own region
    Region now;
    ASSERT_NE(GetWindowRgn(hwnd, native_handle(now)), ERROR);
    EXPECT_EQ(now, kept);

    ASSERT_TRUE(desktop.set_shape(w, std::nullopt));
    EXPECT_EQ(GetWindowRgn(hwnd, native_handle(now)), ERROR);  // no shape any more
    EXPECT_FALSE(desktop.set_shape(w + 100, kept));
}

TEST_F(Win32DesktopTest, WiderTextMeasuresWider) {
    const platform::Font gothic{"ＭＳ Ｐゴシック", 9.0, false};
    const int one = desktop.text_width(gothic, "あ");
    EXPECT_GT(one, 0);
    EXPECT_GT(desktop.text_width(gothic, "ああ"), one);
    EXPECT_EQ(desktop.text_width(gothic, ""), 0);
    EXPECT_GT(desktop.text_width({"Times New Roman", 9.75, true}, "Version 1.0.0"), 0);
}

TEST_F(Win32DesktopTest, TheDialogRunsTimersAndReturnsThePressedButton) {
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.client_width = 330;
    layout.client_height = 150;
    layout.items.push_back(platform::LabelItem{
        {60, 12, 310, 32}, std::nullopt, "Petalwing", {"ＭＳ Ｐ明朝", 9.75, true}, {0, 0, 0}});
    layout.buttons.push_back({"OK", {240, 110, 320, 134}});
    layout.buttons.push_back({"Other", {150, 110, 230, 134}});
    int ticks = 0;
    desktop.add_timer(10, [&] {
        // A user who waits a little, then presses the second button.
        if (++ticks < 3) return;
        HWND dialog = FindWindowW(L"PetalwingDialog", nullptr);
        if (HWND button = dialog ? GetDlgItem(dialog, 1001) : nullptr)
            PostMessageW(button, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(desktop.run_dialog(layout), 1);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(FindWindowW(L"PetalwingDialog", nullptr), nullptr);
}

TEST_F(Win32DesktopTest, TheDialogIsTheLampsOwnWithoutATaskbarButtonOrAMaximiseBox) {
    const auto lamp = desktop.create_window("frmShe", WindowRole::Lamp, {});
    desktop.set_geometry(lamp, 0, 0, 25, 11);
    desktop.set_visible(lamp, true);
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.client_width = 200;
    layout.client_height = 100;
    layout.buttons.push_back({"OK", {110, 70, 190, 94}});
    HWND owner = nullptr;
    LONG style = 0, ex_style = 0;
    desktop.add_timer(10, [&] {
        HWND dialog = FindWindowW(L"PetalwingDialog", nullptr);
        if (!dialog) return;
        owner = GetWindow(dialog, GW_OWNER);
        style = GetWindowLongW(dialog, GWL_STYLE);
        ex_style = GetWindowLongW(dialog, GWL_EXSTYLE);
        if (HWND button = GetDlgItem(dialog, 1000)) PostMessageW(button, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(desktop.run_dialog(layout), 0);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner, desktop.native_window(lamp));
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(ex_style & WS_EX_APPWINDOW, 0);
}

TEST_F(Win32DesktopTest, WhileTheDialogIsOpenTheGamesWindowsTakeNoClickEvenWhenATimerPumps) {
    int clicks = 0;
    platform::WindowEvents events;
    events.mouse_down = [&](int, int, int) { ++clicks; };
    const auto w = desktop.create_window("frmShe", WindowRole::Lamp, std::move(events));
    desktop.set_geometry(w, 10, 700, 25, 11);
    desktop.set_visible(w, true);
    HWND lamp = desktop.native_window(w);
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.client_width = 200;
    layout.client_height = 80;
    layout.buttons.push_back({"OK", {20, 50, 80, 72}});
    int ticks = 0;
    bool enabled_meanwhile = true;
    desktop.add_timer(10, [&] {
        ++ticks;
        if (ticks == 1) {
            enabled_meanwhile = IsWindowEnabled(lamp);
            PostMessageW(lamp, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
        }
        desktop.pump();  // as the boss's timers do
        HWND dialog = FindWindowW(L"PetalwingDialog", nullptr);
        if (HWND ok = dialog && ticks >= 5 ? GetDlgItem(dialog, 1000) : nullptr)
            PostMessageW(ok, BM_CLICK, 0, 0);
    });
    desktop.run_dialog(layout);
    EXPECT_FALSE(enabled_meanwhile) << "the lamp window stayed enabled under the dialog";
    EXPECT_EQ(clicks, 0) << "the lamp window took a click under the dialog";
    EXPECT_TRUE(IsWindowEnabled(lamp));
    PostMessageW(lamp, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
    desktop.pump();
    EXPECT_EQ(clicks, 1);
}

// Another program with a window of its own, which the user may turn to: Wine's notepad.
class OtherProgram {
  public:
    OtherProgram() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        wchar_t command[] = L"notepad.exe";
        if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return;
        WaitForInputIdle(process_.hProcess, 10000);
        for (int i = 0; i < 400 && !window_; ++i) {
            EnumWindows(&OtherProgram::take_if_its_own, reinterpret_cast<LPARAM>(this));
            if (!window_) Sleep(25);
        }
    }
    ~OtherProgram() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    HWND window() const { return window_; }

  private:
    static BOOL CALLBACK take_if_its_own(HWND hwnd, LPARAM self) {
        auto* program = reinterpret_cast<OtherProgram*>(self);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != program->process_.dwProcessId || !IsWindowVisible(hwnd)) return TRUE;
        program->window_ = hwnd;
        return FALSE;
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The game asks for the focus at the start of every game. When the user has just started it, it
// takes it, from the program it was started from too; on a restart after a lost game it takes it
// only if one of its own windows has it, never from a program the user has turned to meanwhile.
TEST_F(Win32DesktopTest, TheLampTakesTheFocusAtTheStartAndLaterOnlyFromTheGameItself) {
    const OtherProgram other;
    ASSERT_NE(other.window(), nullptr) << "notepad did not start";
    const auto w = desktop.create_window("frmShe", WindowRole::Lamp, {});
    desktop.set_geometry(w, 0, 700, 25, 11);
    desktop.set_visible(w, true);
    const HWND lamp = desktop.native_window(w);
    const auto in_front = [&](HWND hwnd) {
        pump_until([&] { return GetForegroundWindow() == hwnd; });
        return GetForegroundWindow() == hwnd;
    };
    // As the user does, by clicking it.
    const auto turn_to = [&](HWND hwnd) {
        SetForegroundWindow(hwnd);
        return in_front(hwnd);
    };

    ASSERT_TRUE(turn_to(other.window()));  // where the user started the game from
    desktop.focus(w);
    EXPECT_TRUE(in_front(lamp)) << "the game did not take the focus when the user started it";

    ASSERT_TRUE(turn_to(other.window()));
    desktop.focus(w);  // the game was lost and starts again
    for (int i = 0; i < 40; ++i) {
        desktop.pump();
        desktop.sleep_ms(5);
    }
    EXPECT_EQ(GetForegroundWindow(), other.window()) << "the game took the focus back";

    // Back in the game (its version dialog, say): the next restart moves the focus to the lamp.
    const HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP | WS_VISIBLE, 100, 100,
                                        120, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(turn_to(dialog));
    desktop.focus(w);
    EXPECT_TRUE(in_front(lamp)) << "the game did not keep the focus among its own windows";
    DestroyWindow(dialog);
}

TEST_F(Win32DesktopTest, TheProgramsEndClosesAnOpenMenu) {
    desktop.add_timer(30, [] { platform::end_program(3); });
    EXPECT_THROW(desktop.popup_menu({{"バージョン情報"}, {"-"}, {"終了"}}), platform::ProgramEnd);
}

}  // namespace
}  // namespace pw::win32
