#include "combat/mod_Shot.hpp"

#include "game/game_state.hpp"

namespace pw {
namespace {

constexpr int kSpeedPx = 8;    // per frame
constexpr int kRangePx = 128;  // beyond the ship's right edge
constexpr int kReachPx = 32;   // how far ahead of its point the shot hits

// Moves the window to where the shot is, then the shot on; the hit test sees the new place.
void FlightStep(Game& g) {
    auto& s = g.tShot[0];
    auto& window = *g.frmShots[0];
    window.Move(s.nX, s.nY);
    s.nX += s.nDX;
    if (!window.Visible()) window.Show();
    if (s.nX >= s.nEndX || s.nX >= g.ScreenWidth()) {
        s.bState = 0;
        window.Hide();
    }
    if (ShotHitTest(g, s.nX, s.nY) == 1) {
        s.bState = 0;
        window.Hide();
    }
}

// The boss is hit in a small box left of its core: it loses power and its core flashes white.
Integer BossHitTest(Game& g, Double x, Double y) {
    auto& boss = *g.frmBoss;
    const Double px = g.TwipsPerPixelX(), py = g.TwipsPerPixelY();
    const Double L = boss.Left(), T = boss.Top();
    if (!(L + 7 * px > x && x + kReachPx * px > L + 11 * px && y > T + 38 * py && y < T + 43 * py))
        return 0;
    boss.nPower -= 1;
    boss.CT.SetBackColor(win::RGB(255, 255, 255));
    boss.Timer2.SetInterval(100);  // the boss's own timer gives the core its colour back
    g.DoEvents();
    return 1;
}

}  // namespace

void ShotMove(Game& g) {
    auto& s = g.tShot[0];
    if (g.GetAsyncKeyState(platform::Key::Space) != 0) {
        g.GetAsyncKeyState(platform::Key::Space);
        g.DoEvents();
        if (s.bState == 0) {
            const Single tx = static_cast<Single>(g.TwipsPerPixelX());
            auto& ship = *g.frmPlayer;
            s.bState = 1;
            s.nX = g.tPlayer.nX;
            s.nY = g.tPlayer.nY + static_cast<Single>(idiv(CLng(ship.Height()), 2));
            s.nDX = kSpeedPx * tx;
            s.nEndX = ship.Width() + s.nX + kRangePx * tx;
            FlightStep(g);
        }
    }
    if (s.bState == 1) FlightStep(g);
}

Integer ShotHitTest(Game& g, Single& x, Single& y) {
    if (g.bBossFight != kFalse) return BossHitTest(g, x, y);
    Integer hit = 0;
    const Double reach = kReachPx * g.TwipsPerPixelX();
    const int last = g.nEnemyMax;
    for (int i = 0; i <= last; ++i) {
        auto& e = g.tEnemy[static_cast<std::size_t>(i)];
        if (e.nType != 1) continue;
        const Double E = e.nX, F = e.nY;
        const Double H = g.frmEnemies[static_cast<std::size_t>(i)]->Height();
        // All edges are strict; one point may hit several enemies.
        if (E > x && E < x + reach && F < y && F + H > y) {
            e.nType = 2;
            hit = 1;
        }
    }
    return hit;
}

}  // namespace pw
