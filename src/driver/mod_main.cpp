#include "driver/mod_main.hpp"

#include <array>

#include "combat/mod_EShot.hpp"
#include "combat/mod_Enemy.hpp"
#include "combat/mod_Player.hpp"
#include "combat/mod_Shot.hpp"
#include "combat/mod_barn.hpp"
#include "driver/mod_Define.hpp"
#include "driver/trace_records.hpp"
#include "ending/cRGNSnow.hpp"
#include "ending/mod_STAFF.hpp"
#include "game/game_state.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "rgn/mod_RGN_pop.hpp"

namespace pw {
namespace {

using platform::Key;

// The scenery's three burst points, x in pixels.
constexpr std::array<Long, 3> kBurstPointX{546, 562, 580};
// How the second background blinks when the boss falls, ms.
constexpr std::array<Long, 10> kBlinkDelays{500, 500, 500, 500, 200, 200, 200, 200, 500, 0};

// The ship's pixel column: round(nX) \ round(twips per pixel).
Long ShipColumn(Game& g) {
    return idiv(CLng(g.tPlayer.nX), CLng(g.TwipsPerPixelX()));
}

bool KeyPressed(Game& g, Key key) {
    return g.GetAsyncKeyState(key) != 0;
}

// The debris and the enemy shots are cut into windows that lie over the whole screen, so
// that their outlines are in screen pixels.
void CoverScreenHidden(Game& g, win::Form& window, win::Colour colour) {
    window.SetBackColor(colour);
    window.Move(0, 0, g.ScreenWidth(), g.ScreenHeight());
    window.Hide();
}

// Pumps events until `done`, resting a millisecond per turn so that no core spins (a real
// desktop rests on while no input or timer can have changed anything).
template <class Done>
void PumpUntil(Game& g, Done done) {
    while (!done()) {
        g.DoEvents();
        if (done()) break;
        g.desktop.rest(1);
    }
}

void Say(Game& g, const char* text, Single x, Single y, Integer dir) {
    RGNPopShow(g, text, x, y, dir, 1, "");
}

void SayFromShip(Game& g, const char* text) {
    Say(g, text, g.frmPlayer->Left() + 15.0f * g.TwipsPerPixelX(), g.frmPlayer->Top(), 0);
}

// A. The lamp window, the setup and the title; returns when the space bar starts play.
void StartGame(Game& g) {
    auto& she = *g.frmShe;
    RGNSetSize(0, she);
    RGNSetWindow(g, 0, she);
    for (auto& lamp : she.Label1)
        lamp.SetBackColor(win::RGB(0, 255, 0));
    she.Move(0, static_cast<float>(GetWorkAreaHeight(g)) - she.Height());
    she.Show();
    she.SetFocus();
    g.bPause = kFalse;
    GameSetup(g);
    g.bBurning = kFalse;
    g.nBurnIdx = 0;
    PlayerMove(g);

    auto& title = *g.frmSTAFF;
    RGNSetSize(4, title);
    RGNSetPicture(g, 4, title);
    title.Move(static_cast<float>(idiv(CLng(g.ScreenWidth() - title.Width()), 2)),
               static_cast<float>(GetWorkAreaHeight(g)) - 1.5f * title.Height());
    RGNSetWindow(g, 4, title);
    title.Show();
    TracePhase(g, "title");

    g.DoEvents();
    g.GetAsyncKeyState(Key::Space);
    PumpUntil(g, [&] { return KeyPressed(g, Key::Space); });
    g.GetAsyncKeyState(Key::Space);
    g.frmSTAFF->Hide();

    SayFromShip(g, "いくぞ！");
    g.DoEvents();
    WaitTime(g, 1000);
    CloseBalloon(g);
}

// B.9: the ship has flown far enough; the scene changes and the boss slides in.
void BossAppearance(Game& g) {
    TracePhase(g, "boss");
    RGNSetPicture(g, 7, *g.frmBG);
    g.hBGRgn.reset();
    g.hBGRgn = RGNSetWindow(g, 7, *g.frmBG);
    g.DoEvents();
    WaitTime(g, 1000);
    g.DoEvents();
    SayFromShip(g, "うぉ！");
    g.DoEvents();
    WaitTime(g, 1000);
    CloseBalloon(g);
    if (!g.frmBoss->Visible()) {
        g.frmBoss->Show();
        g.frmBoss->Timer1.SetEnabled(true);
    }
    PumpUntil(g, [&] { return g.bBossFight != kFalse; });
}

// B.7: keep a burst going: the scenery's fountains, or the boss's sprays in the fight.
void Bursts(Game& g) {
    if (g.bBurning) {
        g.bBurning = BarnMove(g);
        return;
    }
    const int tx = g.TwipsPerPixelX(), ty = g.TwipsPerPixelY();
    const auto advance = [&] {
        g.bBurning = kTrue;
        g.nBurnIdx = g.nBurnIdx >= 2 ? 0 : g.nBurnIdx + 1;
    };
    if (static_cast<Single>(tx) * 620 > g.tPlayer.nX && ShipColumn(g) > 440 && !g.bBossFight) {
        BarnStart(g, static_cast<Single>(kBurstPointX[static_cast<std::size_t>(g.nBurnIdx)] * tx),
                  g.frmBG->Top() + 83.0f * ty, 0);
        advance();
    }
    if (g.bBossFight && g.frmBoss->nPower > 0) {
        auto& boss = *g.frmBoss;
        if (g.nBurnIdx == 2)
            BarnStart(g, boss.Left() + 13.0f * tx, boss.Top() + 31.0f * ty, 1);
        else
            BarnStart(g, boss.Left(), boss.Top() + 51.0f * ty, 1);
        advance();
    }
}

enum class FrameOutcome { Next, Lost, BossDown };

// B.2 to B.12: one pass of the frame loop, without its pacing.
FrameOutcome Frame(Game& g) {
    if (KeyPressed(g, Key::Home)) {
        g.GetAsyncKeyState(Key::Home);
        if (g.bInvincible) {
            g.bInvincible = kFalse;
            RGNSetPicture(g, 11, *g.frmPlayer);
        } else {
            g.bInvincible = kTrue;
            RGNSetPicture(g, 12, *g.frmPlayer);
        }
    }
    if (KeyPressed(g, Key::Escape)) {
        g.GetAsyncKeyState(Key::Escape);
        g.bPause = g.bPause ? kFalse : kTrue;
    }
    if (g.bPause) {
        g.DoEvents();
        return FrameOutcome::Next;
    }
    if (g.bBossDown) return FrameOutcome::BossDown;

    PlayerMove(g);
    ShotMove(g);
    Bursts(g);
    const Long px = ShipColumn(g);
    if ((32 < px && px < 320) || (630 < px && px < 800)) EnemyAppear(g);
    if (ShipColumn(g) > 912 && !g.bBossFight) BossAppearance(g);
    EnemyMove(g);
    EShotMove(g);
    EnemyBurn(g);
    PlayerCrashEnemy(g);
    PlayerCrashBG(g);
    PlayerHit(g);
    if (g.tPlayer.nDeadCount == 999) {
        g.tPlayer.nDeadCount = 0;
        return FrameOutcome::Lost;
    }
    g.DoEvents();
    return FrameOutcome::Next;
}

// B: the paced frame loop; returns when the game is lost or the boss is down.
FrameOutcome FrameLoop(Game& g) {
    TracePhase(g, "play");
    for (;;) {
        const std::uint32_t t0 = g.desktop.time_ms();
        ++g.nFrame;
        TraceFrame(g);
        const FrameOutcome outcome = Frame(g);
        if (outcome != FrameOutcome::Next) return outcome;
        // Unsigned difference: right across the clock's wrap.
        const std::uint32_t elapsed = g.desktop.time_ms() - t0;
        if (elapsed < kFrameMs) WaitTime(g, static_cast<Long>(kFrameMs - elapsed));
    }
}

void StepPetals(Game& g) {
    auto& snow = *g.colSnow;
    snow.at(0)->RGNSnowMove();
    snow.at(1)->RGNSnowMove();
}

// C: the boss is beaten: the clear sequence, the petals, the staff roll and the ending.
[[noreturn]] void ClearSequence(Game& g) {
    TracePhase(g, "clear");
    g.frmDot->Hide();
    Say(g, "やられた・・・", g.frmBoss->Left(), g.frmBoss->Top(), 1);
    g.DoEvents();
    WaitTime(g, 1000);
    CloseBalloon(g);
    g.DoEvents();

    bool shown = false;
    for (Long delay : kBlinkDelays) {
        shown = !shown;
        g.frmBG2->SetVisible(shown);
        g.DoEvents();
        WaitTime(g, delay);
    }
    g.frmBG2->Hide();

    RGNSetPicture(g, 8, *g.frmBG);
    g.hBGRgn.reset();
    g.hBGRgn = RGNSetWindow(g, 8, *g.frmBG);
    g.DoEvents();
    WaitTime(g, 1000);

    SayFromShip(g, "やったぜ！！");
    g.DoEvents();
    const Single T = g.frmBG->Top(), W = g.frmBG->Width(), H = g.frmBG->Height();
    const Long Q = idiv(CLng(H), 2);
    auto& snow = *g.colSnow;
    snow.at(0)->RGNSnowInit(0, T + static_cast<Single>(Q), W, static_cast<Single>(Q), 60,
                            win::RGB(252, 100, 150), 3, 4);
    snow.at(1)->RGNSnowInit(0, T, W, H, 40, win::RGB(252, 182, 236), 4, 8);
    WaitTime(g, 1500);
    CloseBalloon(g);

    const int tx = g.TwipsPerPixelX();
    for (Single x = g.frmPlayer->Left(); x <= 1024.0f * tx; x += static_cast<Single>(tx)) {
        StepPetals(g);
        g.frmPlayer->SetLeft(x);
        WaitTime(g, 50);
    }

    TracePhase(g, "staff");
    StaffRoll(g);
    TracePhase(g, "ending");
    for (;;) {
        StepPetals(g);
        WaitTime(g, 50);
    }
}

}  // namespace

void GameMain(Game& g) {
    for (;;) {
        StartGame(g);
        if (FrameLoop(g) == FrameOutcome::BossDown) ClearSequence(g);
    }
}

void GameSetup(Game& g) {
    // Every step is attempted: an assignment whose value does not fit its field is skipped
    // and the field keeps its value. Windows and regions cannot fail here except by the
    // fatal shaping errors, which end the program.
    if (!g.colSnow) g.colSnow.emplace();
    g.colSnow->push_back(std::make_shared<cRGNSnow>(g));
    g.colSnow->push_back(std::make_shared<cRGNSnow>(g));

    g.nEnemyMax = 5;
    g.nEShotMax = 5;

    g.GetAsyncKeyState(Key::Space);
    g.DoEvents();

    g.bInvincible = kFalse;

    g.frmBoss.Unload();
    g.frmDot.Unload();
    g.frmEShot.Unload();
    g.frmPlayer.Unload();
    g.frmBG.Unload();
    g.frmBG2.Unload();
    for (std::size_t i = 0; i < g.frmEnemies.size(); ++i)
        g.frmEnemies[i].Unload();
    for (std::size_t i = 0; i < g.frmShots.size(); ++i)
        g.frmShots[i].Unload();

    const int tx = g.TwipsPerPixelX(), ty = g.TwipsPerPixelY();
    const auto work_bottom = [&] { return static_cast<Single>(GetWorkAreaHeight(g)); };

    auto& boss = *g.frmBoss;
    RGNSetSize(9, boss);
    RGNSetPicture(g, 9, boss);
    RGNSetWindow(g, 9, boss);
    boss.SetTop(work_bottom() - boss.Height());
    boss.SetLeft(static_cast<Single>(tx) * 1024);
    if (auto stop = to_long(boss.Left() - boss.Width())) g.nBossStopX = *stop;
    g.bBossFight = kFalse;
    g.bBossDown = kFalse;
    boss.Hide();

    CoverScreenHidden(g, *g.frmDot, win::RGB(252, 182, 236));

    auto& bg = *g.frmBG;
    RGNSetSize(6, bg);
    RGNSetPicture(g, 6, bg);
    g.hBGRgn = RGNSetWindow(g, 6, bg);
    bg.Move(0, work_bottom() - bg.Height());
    bg.Show();

    auto& bg2 = *g.frmBG2;
    RGNSetSize(6, bg2);
    bg2.Move(0, work_bottom() - bg2.Height());
    bg2.Hide();

    CoverScreenHidden(g, *g.frmEShot, win::RGB(255, 0, 0));

    auto& player = *g.frmPlayer;
    RGNSetSize(11, player);
    RGNSetPicture(g, 11, player);
    g.tPlayer.hRgn = RGNSetWindow(g, 11, player);
    g.tPlayer.nLife = 3;
    player.Show();

    for (int i = 0; i <= g.nEnemyMax; ++i) {
        auto& enemy = *g.frmEnemies[static_cast<std::size_t>(i)];
        RGNSetSize(13, enemy);
        g.tEnemy[static_cast<std::size_t>(i)].hRgn = RGNSetWindow(g, 13, enemy);
        enemy.SetBackColor(win::RGB(0, 0, 0));
        enemy.Hide();
    }
    for (std::size_t i = 0; i < g.frmShots.size(); ++i) {
        auto& shot = *g.frmShots[i];
        shot.SetWidth(static_cast<Single>(tx) * 63);
        shot.SetHeight(static_cast<Single>(ty) * 1);
        shot.SetBackColor(win::RGB(0, 255, 0));
    }
    for (int i = 0; i <= g.nEnemyMax; ++i) {
        auto& e = g.tEnemy[static_cast<std::size_t>(i)];
        e.nType = 0;
        const float r = g.Rnd();
        e.nMove = Int(2 * r) == 0 ? -1 : 0;
    }
    for (int i = 0; i <= g.nEShotMax; ++i)
        g.tEShot[static_cast<std::size_t>(i)].bState = 0;

    auto& p = g.tPlayer;
    p.nX = static_cast<Single>(tx) * static_cast<Single>(g.nCmdStartX != 0 ? g.nCmdStartX : 36);
    p.nY = work_bottom() - 5 * player.Height();
    if (auto v = to_long(g.ScreenWidth())) p.nMaxX = *v;
    if (auto v = to_long(g.ScreenHeight())) p.nMaxY = *v;
    if (auto v = to_long(player.Height() + (work_bottom() - 1485))) p.nMinY = *v;
    p.nStep = static_cast<Single>(tx) * 0.5f;
    p.bHit = kFalse;
    p.nDeadCount = 0;

    g.frmSTAFF->SetBackColor(win::RGB(224, 224, 224));
    TraceSetup(g);
}

}  // namespace pw
