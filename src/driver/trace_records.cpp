#include "driver/trace_records.hpp"

#include "game/game_state.hpp"
#include "platform/json.hpp"

namespace pw {
namespace {

void player_fields(Game& g, json::Fields& f) {
    const auto& p = g.tPlayer;
    f.num("nX", p.nX)
        .num("nY", p.nY)
        .num("nLife", p.nLife)
        .num("nDeadCount", p.nDeadCount)
        .num("bHit", p.bHit);
}

// The ship's shot and the enemies' shots are written alike.
template <class Shot>
json::Fields& shot_fields(json::Fields& f, const Shot& s) {
    return f.num("bState", static_cast<int>(s.bState)).num("nX", s.nX).num("nY", s.nY);
}

}  // namespace

void TraceSetup(Game& g) {
    if (!g.desktop.tracing()) return;
    json::Fields f;
    player_fields(g, f);
    f.num("nMaxX", g.tPlayer.nMaxX)
        .num("nMinY", g.tPlayer.nMinY)
        .num("nMaxY", g.tPlayer.nMaxY)
        .num("nStep", g.tPlayer.nStep)
        .num("nCmdStartX", g.nCmdStartX)
        .num("colSnow", g.colSnow ? g.colSnow->size() : 0);
    g.desktop.trace("setup", f.text());
}

void TracePhase(Game& g, std::string_view phase) {
    if (!g.desktop.tracing()) return;
    json::Fields f;
    f.str("phase", phase);
    g.desktop.trace("phase", f.text());
}

void TraceFrame(Game& g) {
    if (!g.desktop.tracing()) return;
    // A frame record is a few kilobytes, twenty times a second: built in one string.
    json::Fields f(4096);
    f.num("n", g.nFrame);
    player_fields(g, f);
    f.num("bPause", g.bPause)
        .num("bInvincible", g.bInvincible)
        .num("bBossFight", g.bBossFight)
        .num("bBossDown", g.bBossDown)
        .num("nEnemyMax", static_cast<int>(g.nEnemyMax));
    f.array("enemies");
    for (const auto& e : g.tEnemy)
        f.item()
            .num("nType", static_cast<int>(e.nType))
            .num("nX", e.nX)
            .num("nY", e.nY)
            .num("nMove", e.nMove)
            .close_object();
    f.close_array();
    shot_fields(f.object("shot"), g.tShot[0]).close_object();
    f.array("eshots");
    for (const auto& s : g.tEShot)
        shot_fields(f.item(), s).close_object();
    f.close_array();
    f.num("nPower", g.frmBoss.loaded() ? g.frmBoss->nPower : 0);
    g.ws.trace_windows(f);
    g.desktop.trace("frame", f.text());
}

}  // namespace pw
