// Everything the game's modules share: the player, shot, enemy, enemy-shot and debris
// records, the phase flags, the windows, the stores and the random generator, with the few
// helpers every module calls (the screen, the work area, the program-wide wait). One Game
// object lives for the whole run; nothing of the game lives outside it. This room sits below
// every module of the game and knows none of them.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/basic_types.hpp"
#include "platform/platform.hpp"
#include "platform/random.hpp"
#include "platform/region.hpp"
#include "store/mod_RGN_Data.hpp"
#include "store/picture_store.hpp"
#include "store/rgn_pop_data.hpp"
#include "windows/forms.hpp"
#include "windows/lazy.hpp"

namespace pw {

class cRGNSnow;

// A region handle: a region, or none.
using RegionHandle = std::optional<Region>;

struct PLAYER_INFO {
    Single nX = 0;
    Single nY = 0;
    // Screen limits in twips. Kept 32-bit: a 16-bit field cannot hold the width of a screen
    // wider than 2,184 pixels, and would pin the ship to the left edge there.
    Long nMaxX = 0;
    Long nMaxY = 0;
    Long nMinY = 0;
    Single nStep = 0;
    Flag bHit = kFalse;
    RegionHandle hRgn;
    Long nLife = 0;
    Long nDeadCount = 0;  // 999: the burning is over and the game is lost
};

struct SHOT_INFO {
    Single nX = 0;
    Single nY = 0;
    Single nDX = 0;
    Byte bState = 0;  // 0 free, 1 flying
    Single nEndX = 0;
};

struct ENEMY_INFO {
    Single nX = 0;
    Single nY = 0;
    Single nWaveStep = 0;
    Single nWaveEnd = 0;
    Single nWave = 0;
    Byte nType = 0;  // 0 free, 1 alive, 2 burning
    Byte nFire = 0;
    Byte nBurn = 0;
    RegionHandle hRgn;
    Long nMove = 0;  // 0 straight (black), 1 wave (dark red); -1 or 0 after setup
};

struct ESHOT_INFO {
    Single nX = 0;
    Single nY = 0;
    Single nDX = 0;
    Single nDY = 0;
    Byte bState = 0;
};

struct BARN_INFO {
    Double nX0 = 0;
    Double nY0 = 0;
    Double nX = 0;
    Double nY = 0;
    Double nTime = 0;
    Double nSpeed = 0;
    Flag bLive = kFalse;
    Long nAngle = 0;
    Long nEnergy = 0;
    Long nFade = 0;
};

// The application's title: the caption of every message box.
inline constexpr const char* kAppTitle = "Petalwing";

class Game {
  public:
    explicit Game(platform::Desktop& desktop);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    platform::Desktop& desktop;
    win::WindowSystem ws;
    Random rnd;

    // Built-in data, filled at start-up and kept for the whole run.
    RgnDataStore rgnStore;
    RgnPopStore rgnPopStore;
    Flag bRGNPopInit = kFalse;
    PictureStore pictures;

    // Shared game state.
    Long nCmdStartX = 0;
    PLAYER_INFO tPlayer;
    std::array<SHOT_INFO, 3> tShot{};
    std::array<ENEMY_INFO, 6> tEnemy{};
    std::array<ESHOT_INFO, 6> tEShot{};
    std::array<BARN_INFO, 21> tBarn{};
    Byte nEnemyMax = 0;
    Byte nEShotMax = 0;
    Flag bPause = kFalse;
    Flag bInvincible = kFalse;
    Flag bBossFight = kFalse;
    Flag bBossDown = kFalse;
    Long nBossStopX = 0;
    RegionHandle hBGRgn;
    // The ending's petal effects; created on first use, grows by two at every game setup.
    // Like any collection of objects it holds references to its items.
    std::optional<std::vector<std::shared_ptr<cRGNSnow>>> colSnow;

    // Module state of the ship, the enemies, the enemy shots and the debris.
    Byte nDeadAnim = 0;
    Byte nAppearWait = 0;
    Byte nAppearNo = 0;
    Byte nBurnAnim = 0;
    RegionHandle hEShotRgn;
    RegionHandle hDotRgn;

    // The game flow's burst state, reset at the start of every game.
    Flag bBurning = kFalse;
    Long nBurnIdx = 0;

    // Frame-loop passes since start-up, for the trace.
    std::uint64_t nFrame = 0;

    // The windows.
    win::Lazy<win::FrmPlayer> frmPlayer;
    win::LazyArray<win::FrmShot, 3> frmShots;
    win::Lazy<win::FrmEShot> frmEShot;
    win::LazyArray<win::FrmEnemy, 6> frmEnemies;
    win::Lazy<win::FrmDot> frmDot;
    win::Lazy<win::FrmBG> frmBG;
    win::Lazy<win::FrmBG2> frmBG2;
    win::Lazy<win::FrmBoss> frmBoss;
    win::Lazy<win::FrmShe> frmShe;
    win::Lazy<win::FrmSTAFF> frmSTAFF;
    win::Lazy<win::FrmMenu> frmMenu;
    win::Lazy<win::FrmVersion> frm_Version;
    win::Lazy<win::FrmL> frmL;
    win::Lazy<win::FrmC> frmC;
    win::Lazy<win::FrmR> frmR;

    // Pumps pending window events once.
    void DoEvents() { ws.DoEvents(); }
    // Screen conversion factors and size, read afresh at each use.
    int TwipsPerPixelX() { return ws.TwipsPerPixelX(); }
    int TwipsPerPixelY() { return ws.TwipsPerPixelY(); }
    float ScreenWidth() { return ws.ScreenWidth(); }
    float ScreenHeight() { return ws.ScreenHeight(); }
    // GetAsyncKeyState.
    std::uint16_t GetAsyncKeyState(platform::Key key) { return desktop.key_state(key); }
    void ReseedFromClock() { rnd.reseed_from_clock(desktop.time_ms()); }
    float Rnd() { return rnd.next(); }
};

// The y of the bottom of the work area, in twips: (SM_CYFULLSCREEN + SM_CYCAPTION) pixels.
Long GetWorkAreaHeight(Game& g);

// Suspends the whole program; no window events are processed meanwhile.
void WaitTime(Game& g, Long ms);

// A failure the game cannot go on from: a message box with the application's title, then
// the program ends at once.
[[noreturn]] void Fatal(Game& g, std::string_view message);

}  // namespace pw
