#include "ending/mod_STAFF.hpp"

#include "ending/cRGNSnow.hpp"
#include "game/game_state.hpp"
#include "rgn/mod_RGN_Proc.hpp"

namespace pw {
namespace {

constexpr int kScrollSteps = 611;  // the credits rise one pixel a step
constexpr int kEndArrives = 555;   // from this step the maker's line stands still
constexpr Long kEndStart = 600;    // the maker's line starts this far below its place
constexpr Long kEndRest = 45;      // and comes to rest this far below it
constexpr int kFadeFrom = 255, kFadeTo = 64, kFadeStep = 2;
constexpr int kTailSteps = 50;
constexpr Long kStepMs = 50;

// Both petal layers take a step; a missing effect is skipped.
void StepPetals(Game& g) {
    if (!g.colSnow) return;
    for (std::size_t item = 0; item < 2 && item < g.colSnow->size(); ++item)
        (*g.colSnow)[item]->RGNSnowMove();
}

}  // namespace

Region StaffRollOutline(Game& g, int step) {
    const Long nScroll = -step;
    Region hStaffRgn = RGNCreate(g, 2);
    hStaffRgn.offset(0, nScroll);
    Region hEndRgn = RGNCreate(g, 3);
    hEndRgn.offset(0, step < kEndArrives ? nScroll + kEndStart : kEndRest);
    hStaffRgn.combine(hStaffRgn, hEndRgn, CombineMode::Or);
    return hStaffRgn;
}

void StaffRoll(Game& g) {
    g.frmSTAFF.Unload();
    auto& staff = *g.frmSTAFF;
    RGNSetSize(1, staff);
    staff.Move(static_cast<float>(idiv(CLng(g.ScreenWidth() - staff.Width()), 2)),
               static_cast<float>(GetWorkAreaHeight(g)) - staff.Height());

    for (int i = 0; i < kScrollSteps; ++i) {
        StepPetals(g);
        RGNApply(g, StaffRollOutline(g, i), *g.frmSTAFF);
        if (!g.frmSTAFF->Visible()) {
            g.frmSTAFF->SetBackColor(win::RGB(255, 255, 255));
            g.frmSTAFF->Show();
        }
        g.DoEvents();
        WaitTime(g, kStepMs);
    }
    for (int c = kFadeFrom; c >= kFadeTo; c -= kFadeStep) {
        StepPetals(g);
        g.frmSTAFF->SetBackColor(win::RGB(c, c, c));
        g.DoEvents();
        WaitTime(g, kStepMs);
    }
    g.frmSTAFF->Hide();
    for (int n = 0; n < kTailSteps; ++n) {
        StepPetals(g);
        WaitTime(g, kStepMs);
    }
    g.frmSTAFF.Unload();
}

}  // namespace pw
