// The staff roll: the credits' and the maker's line's offsets, the fade that stops at grey,
// the timing with the petals, and quitting from the menu while it runs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "driver/mod_Define.hpp"
#include "driver/window_handlers.hpp"
#include "ending/cRGNSnow.hpp"
#include "ending/mod_STAFF.hpp"
#include "platform/desktop_decorator.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "support/game_fixture.hpp"

namespace pw {
namespace {

using win::RGB;

class StaffRollShape : public test::GameFixture {
  protected:
    Region Expected(int credits_dy, int end_dy) {
        Region credits = RGNCreate(*g, 2);
        credits.offset(0, credits_dy);
        Region end = RGNCreate(*g, 3);
        end.offset(0, end_dy);
        credits.combine(credits, end, CombineMode::Or);
        return credits;
    }
};

TEST_F(StaffRollShape, TheMakersLineRisesWithTheCreditsThenStopsWithoutAJump) {
    EXPECT_EQ(StaffRollOutline(*g, 0), Expected(0, 600));
    EXPECT_EQ(StaffRollOutline(*g, 554), Expected(-554, 46));
    EXPECT_EQ(StaffRollOutline(*g, 555), Expected(-555, 45));
    EXPECT_EQ(StaffRollOutline(*g, 610), Expected(-610, 45));
}

// Watches what the roll does to its window and to the petal windows.
class RollRecorder : public platform::DesktopDecorator {
  public:
    using DesktopDecorator::DesktopDecorator;

    platform::WindowHandle create_window(std::string_view name, platform::WindowRole role,
                                         platform::WindowEvents events) override {
        const auto w = DesktopDecorator::create_window(name, role, std::move(events));
        names[w] = std::string(name);
        return w;
    }
    void destroy_window(platform::WindowHandle w) override {
        names.erase(w);
        DesktopDecorator::destroy_window(w);
    }
    void set_background(platform::WindowHandle w, platform::Colour colour) override {
        if (name(w) == "frmSTAFF") colours.push_back(colour);
        DesktopDecorator::set_background(w, colour);
    }
    void set_visible(platform::WindowHandle w, bool visible) override {
        if (name(w) == "frmSTAFF") shown.push_back({time_ms(), visible});
        DesktopDecorator::set_visible(w, visible);
    }
    bool set_shape(platform::WindowHandle w, std::optional<Region> shape) override {
        if (name(w) == "frmRGNCommon") ++petal_steps;
        if (name(w) == "frmSTAFF") ++roll_steps;
        return DesktopDecorator::set_shape(w, std::move(shape));
    }

    std::string name(platform::WindowHandle w) const {
        const auto it = names.find(w);
        return it == names.end() ? std::string() : it->second;
    }

    struct Shown {
        std::uint32_t at;
        bool visible;
    };
    std::map<platform::WindowHandle, std::string> names;
    std::vector<platform::Colour> colours;
    std::vector<Shown> shown;
    int petal_steps = 0;
    int roll_steps = 0;
};

class StaffRollRun : public ::testing::Test {
  protected:
    explicit StaffRollRun(headless::Options o = test::default_desktop())
        : inner(std::move(o)), desktop(inner), g(desktop) {
        ConnectHandlers(g);
        RGNDataLoad(g.rgnStore);
        RGNPopInit(g);
        GameSetup(g);
        const auto& bg = *g.frmBG;
        (*g.colSnow)[0]->RGNSnowInit(0, bg.Top() + 742, bg.Width(), 742, 60, RGB(252, 100, 150), 3,
                                     4);
        (*g.colSnow)[1]->RGNSnowInit(0, bg.Top(), bg.Width(), bg.Height(), 40, RGB(252, 182, 236),
                                     4, 8);
    }
    headless::HeadlessDesktop inner;
    RollRecorder desktop;
    Game g;
};

TEST_F(StaffRollRun, ScrollsFadesToGreySixtyFiveAndLeavesTheTitleWindowFresh) {
    const auto start = inner.elapsed();
    g.frmSTAFF->SetBackColor(RGB(10, 20, 30));  // as the title left it
    StaffRoll(g);
    // 611 scroll steps, 96 fade steps and 50 more petal steps, 50 ms each.
    EXPECT_EQ(inner.elapsed() - start, (611u + 96u + 50u) * 50u);
    EXPECT_EQ(desktop.roll_steps, 611);
    EXPECT_EQ(desktop.petal_steps, 2 * (611 + 96 + 50));

    // White when it appears in the first step (the fade's 255 changes nothing), then 253,
    // 251, ... 65; never darker.
    ASSERT_FALSE(desktop.colours.empty());
    ASSERT_GE(desktop.colours.size(), 97u);
    const std::vector<platform::Colour> fade(desktop.colours.end() - 96, desktop.colours.end());
    EXPECT_EQ(fade.front(), RGB(255, 255, 255));
    EXPECT_EQ(fade.back(), RGB(65, 65, 65));
    for (std::size_t i = 0; i < fade.size(); ++i) {
        const int c = 255 - 2 * static_cast<int>(i);
        EXPECT_EQ(fade[i], RGB(c, c, c));
    }
    // Before that, the window came back fresh with its design colour, not the title's.
    EXPECT_EQ(*(desktop.colours.end() - 97), RGB(224, 224, 224));

    // Shown at the start of the scroll, hidden 50 steps before the end.
    ASSERT_EQ(desktop.shown.size(), 2u);
    EXPECT_TRUE(desktop.shown[0].visible);
    EXPECT_FALSE(desktop.shown[1].visible);
    EXPECT_EQ(desktop.shown[1].at - desktop.shown[0].at, (611u + 96u) * 50u);

    // Unloaded at the end: the title gets the window back with its design colour.
    EXPECT_FALSE(g.frmSTAFF.loaded());
    EXPECT_EQ(g.frmSTAFF->BackColor(), RGB(224, 224, 224));
}

class StaffRollPlace : public StaffRollRun {
  protected:
    static headless::Options StopEarly() {
        auto o = test::default_desktop();
        o.until = 1000;
        return o;
    }
    StaffRollPlace() : StaffRollRun(StopEarly()) {}
};

TEST_F(StaffRollPlace, TheCreditsWindowStandsCentredOnTheWorkAreasBottom) {
    EXPECT_THROW(StaffRoll(g), platform::ProgramEnd);
    const auto& staff = *g.frmSTAFF;
    EXPECT_FLOAT_EQ(staff.Left(), 6457);  // (15360 - 2445) \ 2
    EXPECT_FLOAT_EQ(staff.Top(), static_cast<float>(GetWorkAreaHeight(g)) - 1425);
    EXPECT_FLOAT_EQ(staff.Width(), 2445);
    EXPECT_TRUE(staff.Visible());
    EXPECT_EQ(staff.BackColor(), RGB(255, 255, 255));
    EXPECT_FALSE(staff.PictureNumber().has_value());
}

class QuitDuringTheRoll : public StaffRollRun {
  protected:
    static headless::Options Quitting() {
        auto o = test::default_desktop();
        o.script = headless::parse_script("@5000 rclick frmShe 5 5\nmenu 終了\n");
        return o;
    }
    QuitDuringTheRoll() : StaffRollRun(Quitting()) {}
};

TEST_F(QuitDuringTheRoll, TheMenusQuitClosesThePetalsAndEndsTheProgramAtOnce) {
    auto& she = *g.frmShe;
    RGNSetSize(0, she);
    RGNSetWindow(g, 0, she);
    she.Move(0, static_cast<float>(GetWorkAreaHeight(g)) - she.Height());
    she.Show();
    const auto start = inner.elapsed();
    EXPECT_THROW(StaffRoll(g), platform::ProgramEnd);
    // The click at 5,000 ms and the menu pick a moment later; not a step more.
    EXPECT_LT(inner.elapsed() - start, 5000u + headless::kMenuPickMs + 50u);
    EXPECT_FALSE(g.colSnow.has_value());
    for (const auto& [handle, name] : desktop.names)
        EXPECT_NE(name, "frmRGNCommon") << "petal window " << handle << " still recorded";
}

}  // namespace
}  // namespace pw
