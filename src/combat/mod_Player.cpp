#include "combat/mod_Player.hpp"

#include <string>

#include "game/game_state.hpp"
#include "game/mod_JoyStick.hpp"
#include "rgn/mod_RGN_Proc.hpp"

namespace pw {
namespace {

constexpr int kShipSprite = 11;
constexpr int kShipInvinciblePicture = 12;
constexpr int kEnemySprite = 13;
constexpr int kGroundSprite = 6;
constexpr int kGroundBossSprite = 7;
constexpr int kFlameSprite = 14;  // and 15, the second frame
constexpr Long kBurnSteps = 7;    // each step lasts three frames
constexpr Long kGameLost = 999;

// The screen limits of the ship. The up and left tests are "not greater than", the down and
// right tests "greater than or equal": a ship exactly on a limit is put back on it.
void ClampUp(PLAYER_INFO& p) {
    if (!(p.nY > static_cast<Single>(p.nMinY))) p.nY = static_cast<Single>(p.nMinY);
}
void ClampDown(PLAYER_INFO& p) {
    if (p.nY >= static_cast<Single>(p.nMaxY)) p.nY = static_cast<Single>(p.nMaxY);
}
void ClampRight(PLAYER_INFO& p) {
    if (p.nX >= static_cast<Single>(p.nMaxX)) p.nX = static_cast<Single>(p.nMaxX);
}
void ClampLeft(PLAYER_INFO& p) {
    if (!(p.nX > 0)) p.nX = 0;
}

// Moving left is one and a half steps, so that against the drift the ship still creeps back.
Single StepBack(Single x, Single s) {
    return static_cast<Single>(static_cast<Double>(x) - 1.5 * static_cast<Double>(s));
}

// One row of the direction table: the move, then its clamps in their order.
void Steer(PLAYER_INFO& p, char code) {
    const Single s = p.nStep;
    switch (code) {
        case '8':
            p.nY -= 2 * s;
            ClampUp(p);
            break;
        case '9':
            p.nX += s;
            p.nY -= 2 * s;
            ClampRight(p);
            ClampUp(p);
            break;
        case '6':
            p.nX += s;
            ClampRight(p);
            break;
        case '3':
            p.nX += s;
            p.nY += 2 * s;
            ClampRight(p);
            ClampDown(p);
            break;
        case '2':
            p.nY += 2 * s;
            ClampDown(p);
            break;
        case '1':
            p.nX = StepBack(p.nX, s);
            p.nY += 2 * s;
            ClampLeft(p);
            ClampDown(p);
            break;
        case '4':
            p.nX = StepBack(p.nX, s);
            ClampLeft(p);
            break;
        case '7':
            p.nX = StepBack(p.nX, s);
            p.nY -= 2 * s;
            ClampLeft(p);
            ClampUp(p);
            break;
        default:
            break;
    }
}

// The last life is lost: the ship burns where it is while its logical position slides back.
void Burn(Game& g) {
    auto& p = g.tPlayer;
    auto& ship = *g.frmPlayer;
    const int k = kFlameSprite + g.nDeadAnim % 2;
    RGNSetSize(k, ship);
    RGNSetPicture(g, k, ship);
    p.hRgn.reset();
    p.hRgn = RGNSetWindow(g, k, ship);
    p.nX -= 2.0f * static_cast<Single>(g.TwipsPerPixelX());
    if (g.nDeadAnim < 2) {
        ++g.nDeadAnim;
        return;
    }
    g.nDeadAnim = 0;
    ++p.nDeadCount;
    if (p.nDeadCount == kBurnSteps) {
        p.bHit = kFalse;
        p.nDeadCount = kGameLost;
        p.hRgn.reset();
    }
}

}  // namespace

Long TwipsToPixelsX(Game& g, double d) {
    return idiv(CLng(d), CLng(g.TwipsPerPixelX()));
}
Long TwipsToPixelsY(Game& g, double d) {
    return idiv(CLng(d), CLng(g.TwipsPerPixelY()));
}

void PlayerMove(Game& g) {
    auto& p = g.tPlayer;
    // A pending hit or the burning freezes the ship, window included.
    if (p.bHit != kFalse) return;
    const std::string code = JoyStickRead(g);
    Steer(p, code.empty() ? '0' : code.front());
    if (g.bBossFight != kTrue) p.nX += p.nStep;  // the ship drifts on by itself
    ClampRight(p);
    g.frmPlayer->Move(p.nX, p.nY);
}

Integer PlayerCrashEnemy(Game& g) {
    auto& p = g.tPlayer;
    Integer crashed = 0;
    const int last = g.nEnemyMax;
    for (int i = 0; i <= last; ++i) {
        auto& e = g.tEnemy[static_cast<std::size_t>(i)];
        if (e.nType == 1 && p.bHit == kFalse) {
            // The enemy's shape in the ship's window coordinates.
            Region ship = RGNCreate(g, kShipSprite);
            Region enemy = RGNCreate(g, kEnemySprite);
            enemy.offset(TwipsToPixelsX(g, e.nX - p.nX), TwipsToPixelsY(g, e.nY - p.nY));
            // An overlap that is one single rectangle only grazes the ship.
            if (ship.combine(ship, enemy, CombineMode::And) == RegionKind::Complex) {
                e.nType = 2;
                p.bHit = kTrue;
                crashed = 1;
            }
        }
        g.DoEvents();
    }
    return crashed;
}

Integer PlayerCrashBG(Game& g) {
    auto& p = g.tPlayer;
    Integer crashed = 0;
    {
        Region ship = RGNCreate(g, kShipSprite);
        Region ground = RGNCreate(g, g.bBossFight != kFalse ? kGroundBossSprite : kGroundSprite);
        // The ground's origin is the left screen edge at the top of the scenery window.
        ship.offset(TwipsToPixelsX(g, p.nX), TwipsToPixelsY(g, p.nY - g.frmBG->Top()));
        if (ground.combine(ground, ship, CombineMode::And) == RegionKind::Complex) {
            p.bHit = kTrue;
            crashed = 1;
        }
    }
    g.DoEvents();
    return crashed;
}

void PlayerHit(Game& g) {
    auto& p = g.tPlayer;
    if (p.bHit == kFalse) return;
    if (g.bInvincible == kTrue) {
        p.bHit = kFalse;
        return;
    }
    --p.nLife;
    if (p.nLife <= 0) {
        // bHit stays set: this runs again every frame until the burning is over.
        Burn(g);
        return;
    }
    p.bHit = kFalse;
    p.nDeadCount = 0;
    g.bInvincible = kTrue;
    RGNSetPicture(g, kShipInvinciblePicture, *g.frmPlayer);
    g.DoEvents();
    auto& lamps = g.frmShe->Label1;
    if (p.nLife == 2) lamps[1].SetBackColor(win::RGB(0, 0, 0));
    if (p.nLife == 1) lamps[0].SetBackColor(win::RGB(0, 0, 0));
    g.frmPlayer->Timer1.SetEnabled(true);
}

void frmPlayer_Timer1_Timer(Game& g) {
    auto& ship = *g.frmPlayer;
    ship.Timer1.SetEnabled(false);
    RGNSetPicture(g, kShipSprite, ship);
    g.bInvincible = kFalse;
}

}  // namespace pw
