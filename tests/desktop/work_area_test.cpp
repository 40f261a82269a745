// Where the ground stands on the X11 desktop: above the panels on the primary monitor, not
// above a panel of a monitor beside it.
#ifdef PETALWING_GTK

#include "platform/gtk/work_area.hpp"

#include <gtest/gtest.h>

namespace pw::gtk {
namespace {

// A 1280 x 1024 primary monitor beside a 1024 x 768 one on a 2304 x 1024 X screen.
constexpr MonitorBox kPrimary{0, 0, 1280, 1024};
constexpr MonitorBox kSide{1280, 0, 1024, 768};
constexpr int kScreenHeight = 1024;

TEST(PanelStruts, EachMonitorsGroundStandsOnItsOwnPanel) {
    // tint2's two panels: 30 rows up from the primary's bottom, and 30 up from the side
    // monitor's, which is 256 rows above the screen's bottom.
    const std::vector<BottomStrut> struts{{30, 0, 1279}, {256 + 30, 1280, 2303}};
    EXPECT_EQ(bottom_above_struts(kPrimary, kScreenHeight, struts), 994);
    EXPECT_EQ(bottom_above_struts(kSide, kScreenHeight, struts), 738);
}

TEST(PanelStruts, PanelsElsewhereOrNoneLeaveTheMonitorsBottom) {
    EXPECT_EQ(bottom_above_struts(kPrimary, kScreenHeight, {}), 1024);
    // Only the side monitor has a panel.
    EXPECT_EQ(bottom_above_struts(kPrimary, kScreenHeight, {{286, 1280, 2303}}), 1024);
    // A panel that spans the screen but stands above the primary's rows cannot be on it.
    EXPECT_EQ(bottom_above_struts(kPrimary, kScreenHeight, {{1024, 0, 2303}}), 1024);
    // Of two stacked panels the higher one counts.
    EXPECT_EQ(bottom_above_struts(kPrimary, kScreenHeight, {{30, 0, 1279}, {60, 0, 400}}), 964);
}

}  // namespace
}  // namespace pw::gtk

#endif
