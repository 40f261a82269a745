#include "rgn/mod_RGN_pop.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "game/game_state.hpp"
#include "platform/json.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw {
namespace {

// The four cap outlines as stored: bound box, then the rectangles (left, top, right, bottom;
// right and bottom exclusive). They reach far past the 8 x 18 and 7 x 18 pixel caps; only
// the part inside a cap window shows.
struct CapShape {
    std::array<std::int32_t, 4> bound;
    std::initializer_list<std::array<std::int32_t, 4>> rects;
};

const std::array<CapShape, 4> kCaps{{
    // 0: left cap with the tail, for the ship's balloons.
    {{0, 0, 121, 270},
     {{8, 0, 121, 1},
      {7, 1, 121, 2},
      {5, 2, 121, 3},
      {3, 3, 121, 5},
      {2, 5, 121, 6},
      {1, 6, 121, 11},
      {2, 11, 121, 14},
      {1, 14, 121, 16},
      {0, 16, 5, 17},
      {8, 16, 121, 17},
      {0, 17, 3, 18},
      {8, 17, 121, 18},
      {0, 18, 121, 270}}},
    // 1: right cap without a tail.
    {{0, 0, 106, 270},
     {{7, 0, 106, 1},   {0, 1, 1, 2},     {7, 1, 106, 2},   {0, 2, 3, 3},     {7, 2, 106, 3},
      {0, 3, 5, 5},     {7, 3, 106, 5},   {0, 5, 6, 6},     {7, 5, 106, 6},   {0, 6, 106, 11},
      {0, 11, 6, 12},   {7, 11, 106, 12}, {0, 12, 5, 14},   {7, 12, 106, 14}, {0, 14, 3, 15},
      {7, 14, 106, 15}, {0, 15, 1, 16},   {7, 15, 106, 16}, {7, 16, 106, 18}, {0, 18, 106, 270}}},
    // 2: left cap without a tail, for the boss's balloons.
    {{0, 0, 106, 270},
     {{7, 0, 106, 1},
      {6, 1, 106, 2},
      {4, 2, 106, 3},
      {2, 3, 106, 5},
      {1, 5, 106, 6},
      {0, 6, 106, 11},
      {1, 11, 106, 12},
      {2, 12, 106, 14},
      {4, 14, 106, 15},
      {6, 15, 106, 16},
      {7, 16, 106, 18},
      {0, 18, 106, 270}}},
    // 3: right cap with the tail.
    {{0, 0, 121, 270},
     {{8, 0, 121, 1},
      {0, 1, 1, 2},
      {8, 1, 121, 2},
      {0, 2, 3, 3},
      {8, 2, 121, 3},
      {0, 3, 5, 5},
      {8, 3, 121, 5},
      {0, 5, 6, 6},
      {8, 5, 121, 6},
      {0, 6, 7, 11},
      {8, 6, 121, 11},
      {0, 11, 6, 14},
      {8, 11, 121, 14},
      {0, 14, 7, 16},
      {8, 14, 121, 16},
      {3, 16, 121, 17},
      {5, 17, 121, 18},
      {0, 18, 121, 270}}},
}};

// Cap window sizes in twips, as the balloon gives them.
constexpr float kCapHeight = 270;
constexpr float kTailCapWidth = 120;
constexpr float kPlainCapWidth = 105;

void DressCap(Game& g, win::Form& cap, int slot, float width) {
    cap.SetPicture(g.frmC->Picture1[static_cast<std::size_t>(slot)], std::nullopt);
    cap.SetHeight(kCapHeight);
    cap.SetWidth(width);
    RGNPopSetWindow(g, slot, cap);
}

void TraceBalloon(Game& g, const std::string& sMsg, Integer nDir) {
    if (!g.desktop.tracing()) return;
    const auto pair = [](float a, float b) {
        std::string s = "[";
        json::append_number(s, a);
        s += ',';
        json::append_number(s, b);
        return s + ']';
    };
    auto& c = *g.frmC;
    std::string centre = "[";
    json::append_number(centre, c.Left());
    centre += ',';
    json::append_number(centre, c.Top());
    centre += ',';
    json::append_number(centre, c.Width());
    centre += ']';
    json::Fields f;
    f.str("text", sMsg)
        .num("nDir", nDir)
        .raw("L", pair(g.frmL->Left(), g.frmL->Top()))
        .raw("C", centre)
        .raw("R", pair(g.frmR->Left(), g.frmR->Top()));
    g.desktop.trace("balloon", f.text());
}

}  // namespace

void RGNPopInit(Game& g) {
    auto& store = g.rgnPopStore.RGNPopData;
    for (std::size_t slot = 0; slot < kCaps.size(); ++slot) {
        const CapShape& cap = kCaps[slot];
        RGNPOP_INFO& block = store[slot];
        const auto count = static_cast<std::int32_t>(cap.rects.size());
        block[kRgnDwSize] = 32;
        block[kRgnIType] = 1;
        block[kRgnNCount] = count;
        block[kRgnNRgnSize] = 16 * count;
        std::copy(cap.bound.begin(), cap.bound.end(), block.begin() + kRgnRcBound);
        auto out = block.begin() + kRgnHeaderWords;
        for (const auto& r : cap.rects)
            out = std::copy(r.begin(), r.end(), out);
        std::fill(out, block.end(), 0);
    }
}

void RGNPopSetWindow(Game& g, int slot, win::Form& window) {
    const auto& block = g.rgnPopStore.RGNPopData.at(static_cast<std::size_t>(slot));
    const auto bytes =
        static_cast<std::size_t>(block[kRgnDwSize]) + static_cast<std::size_t>(block[kRgnNRgnSize]);
    auto region = Region::from_data(block, bytes);
    if (!region) Fatal(g, kMsgPopData);
    if (!window.ApplyRegion(std::move(*region))) Fatal(g, kMsgPopWindow);
}

void RGNPopShow(Game& g, const std::string& sMsg, Single nX, Single nY, Integer nDir,
                Integer bClose, const std::string& sCloseCaption) {
    Single x = nX;
    Single y = nY;
    auto& centre = *g.frmC;
    centre.cmdClose.SetVisible(bClose != 0);
    centre.Cls();
    if (!g.bRGNPopInit) {
        RGNPopInit(g);
        g.bRGNPopInit = kTrue;
    }
    // The left cap is freshly loaded here, so this lifts the balloon by its design height.
    y -= g.frmL->Height();

    const float w = centre.TextWidth(sMsg);
    if (bClose != 0 && !sCloseCaption.empty()) {
        // Widened by the label as it is now, before it takes the new caption.
        centre.SetWidth(centre.cmdClose.Width + w);
        centre.cmdClose.SetLeft(centre.ScaleWidth() - centre.cmdClose.Width);
    } else {
        centre.SetWidth(w);
    }
    centre.SetHeight(220);
    centre.CurrentY = 40;
    centre.Print(sMsg);

    auto& left = *g.frmL;
    auto& right = *g.frmR;
    if (nDir == 0) {
        DressCap(g, left, 0, kTailCapWidth);
        DressCap(g, right, 1, kPlainCapWidth);
    } else if (nDir == 1) {
        DressCap(g, left, 2, kPlainCapWidth);
        DressCap(g, right, 3, kTailCapWidth);
    }
    // The boss speaks from the right: the tailed right cap starts at its point.
    if (nDir == 1) x -= centre.Width() + left.Width();

    auto& label = centre.cmdClose;
    label.SetCaption(sCloseCaption);
    label.SetTop(static_cast<float>(idiv(CLng(centre.Height() - label.Height), 2)));

    centre.Line1.Set(0, 0, centre.Width(), 0);
    centre.Line2.Set(0, centre.Height() - 8, centre.Width(), centre.Height() - 8);

    left.Move(x, y);
    centre.Move(x + left.Width(), y + 10);
    right.Move(x + left.Width() + centre.Width(), y);
    left.Show();
    centre.Show();
    right.Show();
    TraceBalloon(g, sMsg, nDir);
}

void CloseBalloon(Game& g) {
    g.frmL.Unload();
    g.frmC.Unload();
    g.frmR.Unload();
}

}  // namespace pw
