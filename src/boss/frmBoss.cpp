#include "boss/frmBoss.hpp"

#include <array>

#include "game/game_state.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "rgn/mod_RGN_pop.hpp"

namespace pw {
namespace {

// The shake: the move of each tick in pixels; they add up to nothing, so a full shake puts
// the boss back where it stood.
constexpr std::array<int, 7> kShakePx{-3, 2, 2, -3, 2, 2, -2};

// The core's colour by the power left; black for a power beyond the table.
win::Colour BossCoreColour(Long nPower) {
    if (nPower >= 8 && nPower <= 10) return win::RGB(0, 255, 0);
    if (nPower >= 5 && nPower <= 7) return win::RGB(252, 236, 128);
    if (nPower >= 0 && nPower <= 4) return win::RGB(255, 0, 0);
    return win::RGB(0, 0, 0);
}

}  // namespace

void frmBoss_Form_Load(Game& g, win::FrmBoss& boss) {
    boss.CT.Move(0, 0);
    RGNSetSize(5, boss.CT);
    RGNSetWindow(g, 5, boss.CT);
    boss.CT.SetBackColor(win::RGB(0, 255, 0));
}

void frmBoss_Timer1_Timer(Game& g) {
    auto& boss = *g.frmBoss;
    boss.SetLeft(boss.Left() - static_cast<float>(g.TwipsPerPixelX()));
    if (boss.Left() < static_cast<float>(g.nBossStopX)) {
        boss.Timer1.SetEnabled(false);
        RGNPopShow(g, "生きて帰れるかな？！", boss.Left(),
                   boss.Top() + 20.0f * static_cast<float>(g.TwipsPerPixelY()), 1, 1, "");
        g.DoEvents();
        WaitTime(g, 2000);
        CloseBalloon(g);
        g.frmBoss->nPower = 10;
        g.bBossFight = kTrue;
        g.bBossDown = kFalse;
    }
    g.DoEvents();
}

void frmBoss_Timer2_Timer(Game& g) {
    auto& boss = *g.frmBoss;
    boss.Timer2.SetInterval(0);
    if (boss.nPower != 0) {
        boss.nBururu = 0;
        boss.Timer3.SetEnabled(true);
    }
    boss.CT.SetBackColor(BossCoreColour(boss.nPower));
    g.DoEvents();
}

void frmBoss_Timer3_Timer(Game& g) {
    auto& boss = *g.frmBoss;
    if (boss.nBururu >= 0 && boss.nBururu < static_cast<Long>(kShakePx.size())) {
        const int px = kShakePx[static_cast<std::size_t>(boss.nBururu)];
        boss.SetLeft(boss.Left() + static_cast<float>(px * g.TwipsPerPixelX()));
        if (boss.nBururu == static_cast<Long>(kShakePx.size()) - 1) boss.Timer3.SetEnabled(false);
    }
    ++boss.nBururu;
}

}  // namespace pw
