#include "ending/cRGNSnow.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "game/game_state.hpp"

namespace pw {
namespace {

// Adds a shape to an outline: an outline that is still none becomes the shape.
void AddShape(std::optional<Region>& outline, Region shape) {
    if (!outline)
        outline = std::move(shape);
    else
        outline->combine(*outline, shape, CombineMode::Or);
}

// GetWindowRgn into a new empty region: a window without a shape leaves it empty.
Region CopyOutline(const win::Form* window) {
    if (window && window->WindowRgn()) return *window->WindowRgn();
    return Region{};
}

}  // namespace

cRGNSnow::~cRGNSnow() {
    RGNSnowEnd();
}

void cRGNSnow::Seed(SNOW_INFO& p) {
    p.nX = static_cast<Single>(Int(g_.Rnd() * static_cast<double>(nAreaW_)));
    p.nY = static_cast<Single>(-Int(g_.Rnd() * static_cast<double>(nAreaH_)));
    p.nSwayStep = static_cast<Single>(Int(g_.Rnd() * 100.0) / 1000.0);
    p.nSwayEnd = static_cast<Single>(Int(g_.Rnd() * 36.0 + 18.0));
    p.nSway = p.nSwayEnd - static_cast<Single>(Int(g_.Rnd() * 18.0));
}

void cRGNSnow::RGNSnowInit(Single x, Single y, Single w, Single h, Long nCount, win::Colour nColor,
                           Long nSize, Single nSpeed, bool bTumoru) {
    g_.ReseedFromClock();
    bTumoru_ = bTumoru;
    const auto make_window = [&] {
        auto window = std::make_unique<win::FrmRGNCommon>(g_.ws, "frmRGNCommon");
        window->SetBackColor(nColor);
        window->Move(x, y, w, h);
        return window;
    };
    frmSnow_ = make_window();
    if (bTumoru_) frmPile_ = make_window();

    nCount_ = nCount;
    nAreaW_ = CLng(frmSnow_->Width());
    nAreaH_ = CLng(frmSnow_->Height());
    tSnow_.assign(static_cast<std::size_t>(std::max<Long>(nCount_, 0)), SNOW_INFO{});
    for (auto& p : tSnow_) {
        Seed(p);
        p.nSize = nSize;
        p.nSpeed = nSpeed;
        // A negative size or speed asks for a random one below its magnitude.
        if (nSize < 0) p.nSize = static_cast<Long>(Int(std::abs(nSize) * g_.Rnd()));
        if (nSpeed < 0) p.nSpeed = static_cast<Single>(Int(std::abs(nSpeed) * g_.Rnd()));
    }
    hPileRgn_.reset();
}

Region cRGNSnow::Shape(const SNOW_INFO& p) {
    const int tx = g_.TwipsPerPixelX(), ty = g_.TwipsPerPixelY();
    // Left and top round to nearest, right and bottom truncate: a particle under a pixel wide
    // can vanish, as the game has always drawn them.
    const Rect box{CLng(static_cast<double>(p.nX) / tx), CLng(static_cast<double>(p.nY) / ty),
                   idiv(CLng(p.nX + static_cast<double>(tx) * (p.nSize + 1)), tx),
                   idiv(CLng(p.nY + static_cast<double>(ty) * (p.nSize + 1)), ty)};
    return p.nSize < 2 ? Region::rectangle(box) : Region::ellipse(box);
}

bool cRGNSnow::SnowTouchPile(const Region& shape, const std::optional<Region>& pile) {
    if (!pile) return false;
    const Region shown = CopyOutline(frmPile_.get());
    Region overlap;
    const RegionKind kind = overlap.combine(shape, shown, CombineMode::And);
    return kind == RegionKind::Simple || kind == RegionKind::Complex;
}

void cRGNSnow::RGNSnowMove() {
    g_.ReseedFromClock();
    // The pile grows on top of what the previous step showed.
    if (bTumoru_ && hPileRgn_) hPileRgn_ = CopyOutline(frmPile_.get());

    std::optional<Region> frame;
    const auto areaW = static_cast<Single>(nAreaW_);
    const auto areaH = static_cast<Single>(nAreaH_);
    for (auto& p : tSnow_) {
        p.nSway += p.nSwayStep;
        if (p.nSway > p.nSwayEnd) {
            p.nSwayStep = static_cast<Single>(Int(g_.Rnd() * 100.0 + 30.0) / 10000.0);
            p.nSwayEnd = static_cast<Single>(Int(g_.Rnd() * 36.0 + 18.0));
            p.nSway = p.nSwayEnd - static_cast<Single>(Int(g_.Rnd() * 18.0));
        }
        p.nX += static_cast<Single>(Int(g_.Rnd() * 30.0 + 20.0) * std::cos(p.nSway));
        p.nY += p.nSpeed;
        if (p.nY > areaH) {
            if (bTumoru_) {
                // It settles on the bottom of the area.
                p.nY = areaH - p.nSpeed;
                AddShape(hPileRgn_, Shape(p));
            }
            Seed(p);
        }
        // Out on one side, back in on the other, 100 twips outside the area.
        if (p.nX > areaW + 100) p.nX = -100;
        if (p.nX < -100) p.nX = areaW + 100;

        Region shape = Shape(p);
        if (bTumoru_ && SnowTouchPile(shape, hPileRgn_)) {
            Seed(p);
            AddShape(hPileRgn_, std::move(shape));
        } else {
            AddShape(frame, std::move(shape));
        }
    }

    if (frame && frmSnow_) {
        frmSnow_->ApplyRegion(std::move(*frame));
        if (!frmSnow_->Visible()) frmSnow_->Show();
    }
    if (bTumoru_ && hPileRgn_ && frmPile_) {
        // The window takes the outline; the handle stays set (empty) as the sign that the
        // pile window has one.
        frmPile_->ApplyRegion(std::exchange(*hPileRgn_, Region{}));
        if (!frmPile_->Visible()) frmPile_->Show();
    }
    g_.DoEvents();
}

void cRGNSnow::RGNSnowEnd() {
    frmSnow_.reset();
    if (bTumoru_) frmPile_.reset();
}

}  // namespace pw
