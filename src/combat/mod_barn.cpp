#include "combat/mod_barn.hpp"

#include <cmath>

#include "combat/mod_Player.hpp"
#include "game/game_state.hpp"

namespace pw {
namespace {

// Degrees to radians the way the game has always turned them: 180 / 3.14, not 180 / pi.
constexpr Double kDegreesPerRadian = 57.32484076433;
constexpr Double kGravity = 10;  // twips per squared time unit, halved in the path
constexpr Double kTimeStep = 0.15;
constexpr Long kFullEnergy = 255;
constexpr int kLastPiece = 19;

// The piece's square in whole pixels, with (dx, dy) its corner relative to some origin.
Rect PieceSquare(Game& g, Double dx, Double dy) {
    const Double px = g.TwipsPerPixelX(), py = g.TwipsPerPixelY();
    return {TwipsToPixelsX(g, dx), TwipsToPixelsY(g, dy), TwipsToPixelsX(g, 2 * px + dx),
            TwipsToPixelsY(g, 2 * py + dy)};
}

}  // namespace

void BarnStart(Game& g, Single x, Single y, Integer kind) {
    g.ReseedFromClock();
    Long n = 1;
    if (kind == 0) {
        // A fountain: 18 pieces fanned upward around straight up (180 degrees).
        for (Long a = 100; a <= 260; a += 9) {
            const Single r1 = g.Rnd(), r2 = g.Rnd();
            BarnPieceSet(g, n, x, y, a + 30.0 * r1 - 30.0 * r2);
            ++n;
        }
    } else if (kind == 1) {
        // A spray to the left, toward the ship: 16 pieces, some from 10 twips higher.
        for (Long a = 240; a <= 270; a += 2) {
            const Single r1 = g.Rnd(), r2 = g.Rnd(), r3 = g.Rnd();
            const Double from_y = y + 10 * Int(r1 * 2 - 1);
            BarnPieceSet(g, n, x, from_y, a + 30.0 * r2 - 30.0 * r3);
            ++n;
        }
    }
}

void BarnPieceSet(Game& g, Long& n, Double x, Double y, Double angle) {
    g.ReseedFromClock();
    auto& b = g.tBarn.at(static_cast<std::size_t>(n));
    if (b.bLive != kFalse) return;  // a running piece is never restarted
    b.bLive = kTrue;
    b.nX0 = x;
    b.nY0 = y;
    b.nSpeed = (g.Rnd() * 14 + 5) * static_cast<Double>(g.TwipsPerPixelX());
    b.nAngle = CLng(angle);
    b.nTime = 0;
    b.nEnergy = kFullEnergy;
    b.nFade = static_cast<Long>(Int(g.Rnd() * 8)) + 4;
}

Flag BarnMove(Game& g) {
    auto& p = g.tPlayer;
    const Single width = g.ScreenWidth(), height = g.ScreenHeight();
    for (int i = 0; i <= kLastPiece; ++i) {
        auto& b = g.tBarn[static_cast<std::size_t>(i)];
        if (b.bLive != kTrue) continue;
        const Double rad = b.nAngle / kDegreesPerRadian;
        // 0 degrees points down the screen, 90 to the right; gravity pulls down.
        b.nY = b.nY0 + std::cos(rad) * b.nSpeed * b.nTime + (kGravity / 2) * b.nTime * b.nTime;
        b.nX = b.nX0 + std::sin(rad) * b.nSpeed * b.nTime;
        b.nTime += kTimeStep;
        if (static_cast<Single>(b.nX) > width || static_cast<Single>(b.nY) > height || b.nX < 0 ||
            b.nY < 0)
            b.bLive = kFalse;
        b.nEnergy -= b.nFade;
        if (b.nEnergy < 0) b.bLive = kFalse;
        if (b.bLive == kFalse) continue;

        // Debris hurts: any dot on the ship's mask hits it, whatever the ship is doing.
        if (p.hRgn && p.hRgn->rect_in(PieceSquare(g, b.nX - p.nX, b.nY - p.nY))) p.bHit = kTrue;
        Region dot = Region::rectangle(PieceSquare(g, b.nX, b.nY));
        if (g.hDotRgn)
            g.hDotRgn->combine(*g.hDotRgn, dot, CombineMode::Or);
        else
            g.hDotRgn = std::move(dot);
    }
    auto& window = *g.frmDot;
    if (!g.hDotRgn) {
        window.Hide();
        return kFalse;
    }
    window.ApplyRegion(std::move(*g.hDotRgn));
    g.hDotRgn.reset();
    if (!window.Visible()) window.Show();
    return kTrue;
}

}  // namespace pw
