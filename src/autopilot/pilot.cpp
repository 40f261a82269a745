#include "autopilot/pilot.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

#include "game/game_state.hpp"

namespace pw::autopilot {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// The ship passes x = 912 px to call the boss.
constexpr int kBossCallColumn = 913;
// How far the ship keeps from the boss while it shoots: near enough for the shot's range,
// far enough that most debris has faded before it arrives.
constexpr int kStandoffNear = 90, kStandoffFar = 140;

// Look-ahead: the first choice is held for kFirstFrames, the second until kHorizon.
constexpr int kFirstFrames = 3, kHorizon = 12;
constexpr float kCrashCost = 1e5f;
// Rows mapped below the rock: more than the ship climbs over the look-ahead.
constexpr int kOpenRows = 4 * kHorizon;
constexpr float kHazardCost = 600;
constexpr float kHazardFade = 0.85f;

// The nine ways of holding the arrow keys.
struct Steer {
    bool up, down, left, right;
};
constexpr std::array<Steer, 9> kSteers{{{false, false, false, false},
                                        {true, false, false, false},
                                        {false, true, false, false},
                                        {false, false, true, false},
                                        {false, false, false, true},
                                        {true, false, true, false},
                                        {true, false, false, true},
                                        {false, true, true, false},
                                        {false, true, false, true}}};

Long ToPixels(double twips, int per_pixel) {
    return idiv(CLng(twips), per_pixel);
}

// Whether ToPixels(twips) can fall in [lo, hi]: false only where it cannot, by a comparison.
constexpr bool MayReach(double twips, int lo, int hi, int per_pixel) {
    return twips > (lo - 1) * per_pixel && twips < (hi + 1) * per_pixel;
}

// The ship's logical place and the rules it moves by.
struct Ship {
    Single nX, nY;
};
struct Limits {
    Single nStep;
    Long nMaxX, nMaxY, nMinY;
    bool boss;
};

void Move(Ship& s, const Steer& k, const Limits& l) {
    const Single S = l.nStep;
    const auto clamp_up = [&] {
        if (!(s.nY > static_cast<Single>(l.nMinY))) s.nY = static_cast<Single>(l.nMinY);
    };
    const auto clamp_down = [&] {
        if (s.nY >= static_cast<Single>(l.nMaxY)) s.nY = static_cast<Single>(l.nMaxY);
    };
    const auto clamp_right = [&] {
        if (s.nX >= static_cast<Single>(l.nMaxX)) s.nX = static_cast<Single>(l.nMaxX);
    };
    const auto clamp_left = [&] {
        if (!(s.nX > 0)) s.nX = 0;
    };
    // The direction code as the keys give it; later tests win, as in the game.
    int code = 0;
    if (k.up) code = 8;
    if (k.right) code = 6;
    if (k.down) code = 2;
    if (k.left) code = 4;
    if (k.up && k.right) code = 9;
    if (k.up && k.left) code = 7;
    if (k.down && k.right) code = 3;
    if (k.down && k.left) code = 1;
    switch (code) {
        case 8:
            s.nY -= 2 * S;
            clamp_up();
            break;
        case 9:
            s.nX += S;
            s.nY -= 2 * S;
            clamp_right();
            clamp_up();
            break;
        case 6:
            s.nX += S;
            clamp_right();
            break;
        case 3:
            s.nX += S;
            s.nY += 2 * S;
            clamp_right();
            clamp_down();
            break;
        case 2:
            s.nY += 2 * S;
            clamp_down();
            break;
        case 1:
            s.nX -= 1.5f * S;
            s.nY += 2 * S;
            clamp_left();
            clamp_down();
            break;
        case 4:
            s.nX -= 1.5f * S;
            clamp_left();
            break;
        case 7:
            s.nX -= 1.5f * S;
            s.nY -= 2 * S;
            clamp_left();
            clamp_up();
            break;
        default:
            break;
    }
    if (!l.boss) s.nX += S;
    clamp_right();
}

// Where the threats will be at each frame of the look-ahead, worked out once per decision:
// they move the same whatever the ship does.
struct Foresight {
    struct Enemy {
        Single nX, nY;
        int sway;
    };
    std::array<std::vector<std::pair<double, double>>, kHorizon + 1> debris;
    std::array<std::vector<std::pair<Single, Single>>, kHorizon + 1> shots;
    std::array<std::vector<Enemy>, kHorizon + 1> enemies;
};

}  // namespace

float Pilot::Field::at(int x, int row) const {
    if (x < 0 || row < 0 || x >= columns || rows <= 0) return kInf;
    // Below the mapped rows the air is open: the way on leads up through the last of them.
    const int over = std::max(row - (rows - 1), 0);
    return cost[static_cast<std::size_t>((row - over) * columns + x)] +
           static_cast<float>(over) * climb;
}

void Pilot::prepare(const Game& g, const platform::ScreenMetrics& screen) {
    tx_ = screen.twips_per_pixel_x;
    ty_ = screen.twips_per_pixel_y;
    if (ground6_) return;
    const int top_px = ToPixels(g.frmBG.peek()->Top(), ty_);
    // The strip's window is as tall as its design in twips, many times the rock's height at a
    // high dpi; the rows below the rock are open air that needs no map.
    int rock_rows = 0;
    for (int slot : {6, 7})
        if (const auto ground = SpriteShape(g, slot))
            rock_rows = std::max(rock_rows, ground->bounds().bottom);
    const int rows = std::clamp(screen.height_px - top_px + 1, 1, rock_rows + kOpenRows);
    const int columns = screen.width_px + 1;
    ground6_.emplace(g, 6, columns, rows);
    ground7_.emplace(g, 7, columns, rows);

    mask_w_ = 19 + 2;
    mask_h_ = 10 + 2;
    ship_mask_.assign(static_cast<std::size_t>(mask_w_ * mask_h_), 0);
    if (const auto ship = SpriteShape(g, 11)) {
        const Rect b = ship->bounds();
        mask_w_ = b.right + 2;
        mask_h_ = b.bottom + 2;
        ship_mask_.assign(static_cast<std::size_t>(mask_w_ * mask_h_), 0);
        for (const Rect& r : ship->rects())
            for (int y = r.top - 1; y <= r.bottom; ++y)
                for (int x = r.left - 1; x <= r.right; ++x)
                    ship_mask_[static_cast<std::size_t>((y + 1) * mask_w_ + x + 1)] = 1;
    }
}

// Where the ship may fly: the strip between the top limit and the strip's
// bottom (the ship may not hide below the scenery).
namespace {
Band FlyingBand(const Game& g, int ty) {
    const auto* bg = g.frmBG.peek();
    const auto* player = g.frmPlayer.peek();
    const float top = bg ? bg->Top() : 0;
    const int strip = bg ? ToPixels(bg->Height(), ty) : 99;
    const int ship = player ? ToPixels(player->Height(), ty) : 10;
    return {std::max(ToPixels(static_cast<double>(g.tPlayer.nMinY) - top, ty), 0), strip - ship};
}

// The rows from which a shot meets the boss's core: the shot flies half the ship's height
// below the ship's top, and must pass strictly between 38 and 43 pixels below the boss's top.
std::vector<int> CoreRows(const Game& g, int ty) {
    std::vector<int> rows;
    const auto* bg = g.frmBG.peek();
    const auto* boss = g.frmBoss.peek();
    const auto* player = g.frmPlayer.peek();
    if (!bg || !boss || !player) return rows;
    const float half = static_cast<float>(idiv(CLng(player->Height()), 2));
    for (int row = 0; row < 200; ++row) {
        const float nY = bg->Top() + static_cast<float>(row * ty);
        const float y = nY + half;
        if (y > boss->Top() + 38.0f * ty && y < boss->Top() + 43.0f * ty) rows.push_back(row);
    }
    return rows;
}
}  // namespace

// Frames a move of one pixel costs, by its horizontal direction (left, none, right); a move
// up or down alone costs `vertical`.
struct MoveCosts {
    float left, vertical, right;
};

namespace {
// Before the fight the ship drifts right by itself: full speed right, slow up and down
// (drifting on meanwhile), and a crawl to the left.
constexpr MoveCosts kPlayCosts{4.0f, 1.5f, 1.0f};
// In the fight it stands still without keys: half a pixel right or three quarters left a
// frame, a pixel up or down.
constexpr MoveCosts kFightCosts{1.34f, 1.0f, 2.0f};

}  // namespace

Pilot::Field Pilot::Reach(const CrashMap& map, const Band& band,
                          const std::vector<std::pair<int, float>>& goals,
                          const MoveCosts& costs) const {
    Field f;
    f.columns = map.columns();
    f.rows = map.rows();
    f.climb = costs.vertical;
    f.cost.assign(static_cast<std::size_t>(f.columns * f.rows), kInf);
    // The band may reach below the mapped rows (the strip is taller than its rock at a high
    // dpi); the field covers the mapped ones, and Field::at climbs up from beyond them.
    const auto ok = [&](int x, int row) {
        return x >= 0 && x < f.columns && row >= 0 && row < f.rows && row >= band.first_row &&
               row <= band.last_row && !map.crashes(x, row);
    };
    using Item = std::pair<float, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    for (const auto& [cell, cost] : goals) {
        if (!ok(cell % f.columns, cell / f.columns)) continue;
        f.cost[static_cast<std::size_t>(cell)] = cost;
        open.emplace(cost, cell);
    }
    // From the goals back: the cost of reaching (x, row) from a neighbour (x - dx, row - dy),
    // plus a toll for flying close to the rock.
    while (!open.empty()) {
        const auto [c, i] = open.top();
        open.pop();
        if (c > f.cost[static_cast<std::size_t>(i)]) continue;
        const int x = i % f.columns, row = i / f.columns;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (!dx && !dy) continue;
                const int px = x - dx, py = row - dy;
                if (!ok(px, py)) continue;
                const float move = dx > 0 ? costs.right : dx < 0 ? costs.left : costs.vertical;
                const float total = c + move + map.toll(px, py);
                const auto j = static_cast<std::size_t>(py * f.columns + px);
                if (total < f.cost[j]) {
                    f.cost[j] = total;
                    open.emplace(total, py * f.columns + px);
                }
            }
    }
    return f;
}

Pilot::Field& Pilot::play_field(const Game& g) {
    if (play_) return *play_;
    const CrashMap& map = *ground6_;
    const Band band = FlyingBand(g, ty_);
    const auto core = CoreRows(g, ty_);
    // Arrive at the boss's column already level with its core.
    const float aim = core.empty() ? static_cast<float>(band.last_row) / 2
                                   : static_cast<float>(core.front() + core.back()) / 2;
    std::vector<std::pair<int, float>> goals;
    for (int row = 0; row < map.rows(); ++row)
        for (int x = kBossCallColumn; x < map.columns(); ++x)
            goals.emplace_back(row * map.columns() + x,
                               std::abs(static_cast<float>(row) - aim) * 0.5f);
    play_ = Reach(map, band, goals, kPlayCosts);
    return *play_;
}

Pilot::Field& Pilot::boss_field(const Game& g) {
    // Made for where the boss rests, not where its shake has moved it this moment.
    const auto* boss = g.frmBoss.peek();
    const std::pair<float, float> at{static_cast<float>(g.nBossStopX), boss ? boss->Top() : 0.0f};
    if (boss_ && boss_at_ == at) return *boss_;
    const CrashMap& map = *ground7_;
    const int left = ToPixels(at.first, tx_);
    std::vector<std::pair<int, float>> goals;
    for (int row : CoreRows(g, ty_))
        for (int x = std::max(left - kStandoffFar, 0);
             x <= std::min(left - kStandoffNear, map.columns() - 1); ++x)
            goals.emplace_back(row * map.columns() + x, 0.0f);
    boss_ = Reach(map, FlyingBand(g, ty_), goals, kFightCosts);
    boss_at_ = at;
    return *boss_;
}

Keys Pilot::decide(const Game& g, const platform::ScreenMetrics& screen) {
    Keys keys;
    const auto* bg = g.frmBG.peek();
    const auto* player = g.frmPlayer.peek();
    if (!bg || !player) return keys;  // not set up yet
    prepare(g, screen);
    const auto& p = g.tPlayer;
    const bool boss = g.bBossFight != kFalse;
    const Limits limits{p.nStep, p.nMaxX, p.nMaxY, p.nMinY, boss};
    const CrashMap& map = boss ? *ground7_ : *ground6_;
    const Field& field = boss ? boss_field(g) : play_field(g);
    const Band band = FlyingBand(g, ty_);
    const float bg_top = bg->Top();

    const float width_twips = static_cast<float>(screen.width_px * tx_);
    const float height_twips = static_cast<float>(screen.height_px * ty_);
    std::vector<ENEMY_INFO> enemies;
    for (int i = 0; i <= g.nEnemyMax && i < static_cast<int>(g.tEnemy.size()); ++i)
        if (g.tEnemy[static_cast<std::size_t>(i)].nType == 1)
            enemies.push_back(g.tEnemy[static_cast<std::size_t>(i)]);
    Foresight ahead;
    for (int t = 1; t <= kHorizon; ++t) {
        const auto at = static_cast<std::size_t>(t);
        if (g.bBurning)
            for (const auto& d : g.tBarn) {
                if (!d.bLive || d.nEnergy - t * d.nFade < 0) continue;
                const double time = d.nTime + 0.15 * (t - 1);
                const double a = d.nAngle / 57.32484076433;
                const double y = d.nY0 + std::cos(a) * d.nSpeed * time + 5.0 * time * time;
                const double x = d.nX0 + std::sin(a) * d.nSpeed * time;
                if (x < 0 || y < 0 || x > width_twips || y > height_twips) continue;
                ahead.debris[at].emplace_back(x, y);
            }
        for (int i = 0; i <= g.nEShotMax && i < static_cast<int>(g.tEShot.size()); ++i) {
            const auto& e = g.tEShot[static_cast<std::size_t>(i)];
            if (e.bState == 1)
                ahead.shots[at].emplace_back(e.nX + static_cast<float>(t) * e.nDX,
                                             e.nY + static_cast<float>(t) * e.nDY);
        }
        for (const auto& e : enemies)
            ahead.enemies[at].push_back(
                {e.nX - static_cast<float>(t * tx_), e.nY, e.nMove == 1 ? std::min(t, 6) : 0});
    }

    const auto touches_ship = [&](int lx, int ly) {
        const int mx = lx + 1, my = ly + 1;
        if (mx < 0 || my < 0 || mx >= mask_w_ || my >= mask_h_) return false;
        return ship_mask_[static_cast<std::size_t>(my * mask_w_ + mx)] != 0;
    };
    // The danger at the t-th frame from now for a ship at s. Most threats are far off: a test
    // in twips passes over them before the exact one in pixels.
    const auto danger = [&](const Ship& s, int t) {
        const auto at = static_cast<std::size_t>(t);
        int hits = 0;
        for (const auto& [x, y] : ahead.debris[at]) {
            const double dx = x - s.nX, dy = y - s.nY;
            if (!MayReach(dx, -2, mask_w_ - 2, tx_) || !MayReach(dy, -2, mask_h_ - 2, ty_))
                continue;
            const int lx = ToPixels(dx, tx_), ly = ToPixels(dy, ty_);
            if (touches_ship(lx, ly) || touches_ship(lx + 1, ly) || touches_ship(lx, ly + 1) ||
                touches_ship(lx + 1, ly + 1))
                ++hits;
        }
        for (const auto& [x, y] : ahead.shots[at]) {
            const Single dx = x - s.nX, dy = y - s.nY;
            if (!MayReach(dx, -1, mask_w_ - 2, tx_) || !MayReach(dy, -1, mask_h_ - 2, ty_))
                continue;
            if (touches_ship(ToPixels(dx, tx_), ToPixels(dy, ty_))) ++hits;
        }
        for (const auto& e : ahead.enemies[at]) {
            const Single ex = e.nX - s.nX, ey = e.nY - s.nY;
            if (!MayReach(ex, -22, 20, tx_) || !MayReach(ey, -11 - e.sway, 11 + e.sway, ty_))
                continue;
            const int dx = ToPixels(ex, tx_);
            const int dy = ToPixels(ey, ty_);
            if (dx > -21 - 2 && dx < 19 + 2 && dy > -10 - 2 - e.sway && dy < 10 + 2 + e.sway)
                ++hits;
        }
        return hits;
    };

    // A way of flying through the look-ahead, and what it has cost so far. The way on: the
    // frames spent plus what is left from the best point passed, so that getting there
    // sooner counts.
    struct Flight {
        Ship s;
        float cost = 0, weight = 1, way = kCrashCost;
    };
    const auto fly = [&](Flight& f, const Steer& steer, int t) {
        if (!p.bHit) Move(f.s, steer, limits);
        const int x = ToPixels(f.s.nX, tx_);
        const int row = ToPixels(f.s.nY - bg_top, ty_);
        if (map.crashes(x, row) || row > band.last_row) f.cost += kCrashCost * f.weight;
        if (!g.bInvincible) f.cost += kHazardCost * f.weight * static_cast<float>(danger(f.s, t));
        f.weight *= kHazardFade;
        f.way = std::min(f.way, static_cast<float>(t) + field.at(x, row));
    };

    // Weigh every pair of steering choices over the next frames; the first choice's frames
    // are flown once for all second choices.
    const Ship now{p.nX, p.nY};
    float best = kInf;
    std::size_t chosen = 0;
    for (std::size_t a = 0; a < kSteers.size(); ++a) {
        Flight first{now};
        for (int t = 1; t <= kFirstFrames; ++t)
            fly(first, kSteers[a], t);
        float first_best = kInf;
        for (const Steer& then : kSteers) {
            Flight f = first;
            for (int t = kFirstFrames + 1; t <= kHorizon; ++t)
                fly(f, then, t);
            first_best = std::min(first_best, f.cost + f.way);
        }
        if (first_best < best) {
            best = first_best;
            chosen = a;
        }
    }
    const Steer& steer = kSteers[chosen];
    keys.up = steer.up;
    keys.down = steer.down;
    keys.left = steer.left;
    keys.right = steer.right;

    // Fire when a shot leaving after this frame's move would meet something.
    Ship after = now;
    if (!p.bHit) Move(after, steer, limits);
    const float shot_y = after.nY + static_cast<float>(idiv(CLng(player->Height()), 2));
    const float range = player->Width() + 128.0f * tx_ + 8.0f * tx_;
    if (boss) {
        const auto* b = g.frmBoss.peek();
        if (b && b->nPower > 0) {
            const bool level = shot_y > b->Top() + 38.0f * ty_ && shot_y < b->Top() + 43.0f * ty_;
            const bool reach = after.nX + range > b->Left() - 21.0f * tx_ &&
                               after.nX + 8.0f * tx_ < b->Left() + 7.0f * tx_;
            keys.space = level && reach;
        }
    } else {
        for (const auto& e : enemies) {
            const float height = 10.0f * ty_;
            if (!(e.nY < shot_y && e.nY + height > shot_y)) continue;
            // Step k of the shot is tested in frame max(1, k - 1), before the enemies move.
            for (int k = 1; k <= 19 && !keys.space; ++k) {
                const float x = after.nX + static_cast<float>(8 * k * tx_);
                const float ex = e.nX - static_cast<float>(std::max(0, k - 2) * tx_);
                if (ex > x && ex < x + 32.0f * tx_) keys.space = true;
            }
        }
    }
    return keys;
}

}  // namespace pw::autopilot
