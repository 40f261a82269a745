#include "combat/mod_Enemy.hpp"

#include <cmath>

#include "combat/mod_EShot.hpp"
#include "combat/mod_Player.hpp"
#include "game/game_state.hpp"
#include "rgn/mod_RGN_Proc.hpp"

namespace pw {
namespace {

constexpr Byte kAppearEvery = 40;  // calls of EnemyAppear per spawn attempt
constexpr Byte kFireAt = 30;       // the fire counter runs 0..30
constexpr int kAheadPx = 240;      // where a new enemy appears, ahead of the ship
constexpr int kFireRangePx = 64;   // an enemy fires only this far ahead of the ship
constexpr int kBandPx = 16;        // the enemies' margin inside the scenery strip
constexpr int kBehindPx = 36;      // an enemy this far behind the ship is gone
constexpr int kEnemySprite = 13;
constexpr int kFlameSprite = 14;  // and 15, the second frame
constexpr Byte kBurnSteps = 7;
constexpr int kBeatenBossSprite = 10;

constexpr win::Colour kStraightColour = win::RGB(0, 0, 0);
constexpr win::Colour kWaveColour = win::RGB(196, 0, 0);

// The two combat zones by the ship's pixel column: A (straight flyers, up to four at once)
// and B (wave flyers, up to three).
bool InZoneA(Long p) {
    return 32 < p && p < 320;
}
bool InZoneB(Long p) {
    return 630 < p && p < 800;
}

// A fresh wave phase near its end: the new phase lies up to 17 below the end.
void NewWaveEnd(Game& g, ENEMY_INFO& e) {
    e.nWaveEnd = static_cast<Single>(Int(g.Rnd() * 36 + 18));
    e.nWave = static_cast<Single>(e.nWaveEnd - Int(g.Rnd() * 18));
}

void Spawn(Game& g, int j) {
    auto& e = g.tEnemy[static_cast<std::size_t>(j)];
    e.nType = 1;
    e.nFire = 0;
    const Double heights = Int(g.Rnd() * 6) + 3;
    e.nY = static_cast<Single>(GetWorkAreaHeight(g) - heights * g.frmEnemies[0]->Height());
    e.nX = g.tPlayer.nX + static_cast<Single>(kAheadPx * g.TwipsPerPixelX());
    e.nWaveStep = static_cast<Single>(Int(g.Rnd() * 100) / 1000);
    NewWaveEnd(g, e);
    const Long p = TwipsToPixelsX(g, g.tPlayer.nX);
    if (InZoneA(p)) {
        e.nMove = 0;
        g.nEnemyMax = 3;
    }
    if (InZoneB(p)) {
        e.nMove = 1;
        g.nEnemyMax = 2;
    }
    EShotFire(g, static_cast<Integer>(j));  // every new enemy fires at once
}

// One step of a burning enemy; the shared counter paces all of them together.
void BurnStep(Game& g, int i) {
    auto& e = g.tEnemy[static_cast<std::size_t>(i)];
    auto& window = *g.frmEnemies[static_cast<std::size_t>(i)];
    const int k = kFlameSprite + g.nBurnAnim % 2;
    RGNSetSize(k, window);
    RGNSetPicture(g, k, window);
    e.hRgn.reset();
    e.hRgn = RGNSetWindow(g, k, window);
    e.nX -= 2.0f * static_cast<Single>(g.TwipsPerPixelX());
    if (g.nBurnAnim != 2) {
        ++g.nBurnAnim;
        return;
    }
    g.nBurnAnim = 0;
    ++e.nBurn;
    if (e.nBurn != kBurnSteps) return;
    // Burnt out: the slot is free and the window is an enemy again, hidden and bare.
    e.nType = 0;
    e.nBurn = 0;
    RGNSetSize(kEnemySprite, window);
    window.ClearPicture();
    e.hRgn.reset();
    e.hRgn = RGNSetWindow(g, kEnemySprite, window);
    window.Hide();
}

// The boss's power is used up: it falls and lies on the bottom as a blossoming tree.
void BossDown(Game& g) {
    auto& boss = *g.frmBoss;
    boss.CT.SetVisible(false);
    boss.Hide();
    RGNSetSize(kBeatenBossSprite, boss);
    boss.SetTop(static_cast<Single>(GetWorkAreaHeight(g)) - boss.Height());
    RGNSetWindow(g, kBeatenBossSprite, boss);
    RGNSetPicture(g, kBeatenBossSprite, boss);
    boss.Show();
    g.bBossDown = kTrue;
}

}  // namespace

void EnemyAppear(Game& g) {
    g.ReseedFromClock();
    ++g.nAppearWait;
    if (g.nAppearWait >= kAppearEvery) {
        for (int j = 0; j <= g.nAppearNo; ++j) {
            if (g.tEnemy[static_cast<std::size_t>(j)].nType == 0) {
                Spawn(g, j);
                break;
            }
        }
        // The attempt counts even when no slot was free.
        g.nAppearWait = 0;
        ++g.nAppearNo;
        if (g.nAppearNo > g.nEnemyMax) g.nAppearNo = 0;
    }
    const Single range = g.tPlayer.nX + static_cast<Single>(kFireRangePx * g.TwipsPerPixelX());
    for (int k = 0; k <= g.nAppearNo; ++k) {
        const auto& e = g.tEnemy[static_cast<std::size_t>(k)];
        // The check looks at the counter and the place only, not at whether the slot is alive:
        // a slot hit while its counter showed 30 keeps firing from where its enemy was.
        if (e.nFire == kFireAt && range < e.nX) EShotFire(g, static_cast<Integer>(k));
    }
}

void EnemyMove(Game& g) {
    const Single tx = static_cast<Single>(g.TwipsPerPixelX());
    const Single ty = static_cast<Single>(g.TwipsPerPixelY());
    const int last = g.nEnemyMax;
    for (int i = 0; i <= last; ++i) {
        auto& e = g.tEnemy[static_cast<std::size_t>(i)];
        if (e.nType != 1) continue;
        auto& window = *g.frmEnemies[static_cast<std::size_t>(i)];

        e.nWave += e.nWaveStep;
        if (e.nWave > e.nWaveEnd) {
            e.nWaveStep = static_cast<Single>(Int(g.Rnd() * 100 + 30) / 10000);
            NewWaveEnd(g, e);
            const Long p = TwipsToPixelsX(g, g.tPlayer.nX);
            if (InZoneA(p)) e.nMove = 0;
            if (InZoneB(p)) e.nMove = 1;
        }
        e.nX -= tx;
        if (e.nMove == 1)
            e.nY = static_cast<Single>(e.nY + Int(g.Rnd() * 15 + 5) * std::cos(Double{e.nWave}));
        ++e.nFire;
        if (e.nFire > kFireAt) e.nFire = 0;

        const Integer ix = CInt(Int(e.nX));
        Integer iy = CInt(Int(e.nY));
        // Keep inside the scenery strip; a forced enemy draws a new wave next frame.
        const Single band_top = g.frmBG->Top() + kBandPx * ty;
        const Single band_bottom = static_cast<Single>(GetWorkAreaHeight(g)) - kBandPx * ty;
        if (band_top > iy) {
            e.nY = band_top;
            iy = CInt(Int(e.nY));
            e.nWave = 2 * e.nWaveEnd;
        }
        if (band_bottom < iy) {
            e.nY = band_bottom;
            iy = CInt(Int(e.nY));
            e.nWave = 2 * e.nWaveEnd;
        }
        window.Move(ix, iy);

        if (window.BackColor() != kStraightColour && e.nMove == 0)
            window.SetBackColor(kStraightColour);
        if (window.BackColor() != kWaveColour && e.nMove == 1) window.SetBackColor(kWaveColour);
        if (!window.Visible()) window.Show();

        if (g.frmPlayer->Left() - kBehindPx * tx > ix) {
            window.Hide();
            e.nType = 0;
        }
    }
}

void EnemyBurn(Game& g) {
    if (g.bBossFight != kFalse) {
        if (g.frmBoss->nPower < 1) BossDown(g);
        return;
    }
    const int last = g.nEnemyMax;
    for (int i = 0; i <= last; ++i)
        if (g.tEnemy[static_cast<std::size_t>(i)].nType == 2) BurnStep(g, i);
}

}  // namespace pw
