#include "combat/mod_EShot.hpp"

#include <cmath>

#include "combat/mod_Player.hpp"
#include "game/game_state.hpp"

namespace pw {
namespace {

constexpr int kAimOffset = 32;  // twips right of and below the ship's corner
constexpr int kBehindPx = 32;   // a shot this far behind the ship is gone

}  // namespace

void EShotFire(Game& g, Integer i) {
    const int last = g.nEShotMax;
    int j = 0;
    while (j <= last && g.tEShot[static_cast<std::size_t>(j)].bState != 0)
        ++j;
    if (j > last) return;  // all in flight: this shot is lost

    auto& s = g.tEShot[static_cast<std::size_t>(j)];
    const auto& e = g.tEnemy[static_cast<std::size_t>(i)];
    const int tx = g.TwipsPerPixelX();
    s.bState = 1;
    s.nX = e.nX - static_cast<Single>(tx);
    s.nY = e.nY + static_cast<Single>(idiv(CLng(g.frmEnemies[0]->Height()), 2));

    // 4, 5 or 6 half pixels per frame.
    const Long v = idiv(CLng(Int(g.Rnd() * 3 + 4) * tx), 2);
    // Aimed near the ship, with an error of -29 to +60 twips on each axis.
    const Double ax = Int(g.Rnd() * 90 + 1 - 30) + (g.tPlayer.nX + kAimOffset) - Double{s.nX};
    const Double ay = Int(g.Rnd() * 90 + 1 - 30) + (g.tPlayer.nY + kAimOffset) - Double{s.nY};
    const Double d = std::sqrt(ay * ay + ax * ax);
    if (d == 0) {
        // The error cancelled the distance exactly: there is no direction, fly straight left.
        s.nDX = static_cast<Single>(-v);
        s.nDY = 0;
        return;
    }
    s.nDX = static_cast<Single>(ax * v / d);
    s.nDY = static_cast<Single>(ay * v / d);
}

void EShotMove(Game& g) {
    const int tx = g.TwipsPerPixelX(), ty = g.TwipsPerPixelY();
    const Double px = tx, py = ty;
    const int last = g.nEShotMax;
    for (int i = 0; i <= last; ++i) {
        auto& s = g.tEShot[static_cast<std::size_t>(i)];
        if (s.bState != 1) continue;
        s.nX += s.nDX;
        s.nY += s.nDY;
        const bool sideways = g.frmPlayer->Left() - static_cast<Single>(kBehindPx * tx) > s.nX ||
                              s.nX > g.ScreenWidth();
        const bool vertically = s.nY > static_cast<Single>(GetWorkAreaHeight(g)) || s.nY < 0;
        // Tested even when gone: a shot leaving the screen on the ship still hits it.
        const bool hit = EShotHitTest(g, s.nX, s.nY) != 0;
        if (hit || sideways || vertically) {
            s.bState = 0;
            continue;
        }
        // The dot rounds where the hit test truncates: it may show a pixel right of or below
        // the tested one.
        const Integer ix = CInt(Int(s.nX));
        const Integer iy = CInt(Int(s.nY));
        Region dot = Region::rectangle(
            {CLng(ix / px), CLng(iy / py), CLng((2 * px + ix) / px), CLng((2 * py + iy) / py)});
        if (g.hEShotRgn)
            g.hEShotRgn->combine(*g.hEShotRgn, dot, CombineMode::Or);
        else
            g.hEShotRgn = std::move(dot);
    }
    auto& window = *g.frmEShot;
    if (!g.hEShotRgn) {
        window.Hide();
        return;
    }
    window.ApplyRegion(std::move(*g.hEShotRgn));
    g.hEShotRgn.reset();
    if (!window.Visible()) window.Show();
}

Integer EShotHitTest(Game& g, Single& x, Single& y) {
    auto& p = g.tPlayer;
    if (p.bHit != kFalse) return 0;
    const Long left = TwipsToPixelsX(g, x - p.nX);
    const Long top = TwipsToPixelsY(g, y - p.nY);
    if (!p.hRgn || !p.hRgn->rect_in({left, top, left + 1, top + 1})) return 0;
    p.bHit = kTrue;
    return 1;
}

}  // namespace pw
