// A falling-particle effect: petals that fall and sway over an area of the desktop, drawn as
// the outline of one solid-coloured window; optionally they pile up in a second window.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/basic_types.hpp"
#include "platform/region.hpp"
#include "windows/forms.hpp"

namespace pw {

class Game;

struct SNOW_INFO {
    Single nSwayStep = 0;
    Single nSway = 0;
    Single nSwayEnd = 0;
    Single nX = 0;
    Single nY = 0;
    Long nSize = 0;
    Single nSpeed = 0;
};

class cRGNSnow {
  public:
    explicit cRGNSnow(Game& g) : g_(g) {}
    ~cRGNSnow();
    cRGNSnow(const cRGNSnow&) = delete;
    cRGNSnow& operator=(const cRGNSnow&) = delete;

    void RGNSnowInit(Single x, Single y, Single w, Single h, Long nCount, win::Colour nColor,
                     Long nSize, Single nSpeed, bool bTumoru = false);
    void RGNSnowMove();
    void RGNSnowEnd();

    // The particles and the two windows, for looking at the effect from outside.
    std::span<SNOW_INFO> tSnow() { return tSnow_; }
    const win::FrmRGNCommon* frmSnow() const { return frmSnow_.get(); }
    const win::FrmRGNCommon* frmPile() const { return frmPile_.get(); }

  private:
    // Draws a particle's place and sway afresh; its size and speed stay.
    void Seed(SNOW_INFO& p);
    // The particle's rectangle or ellipse in window pixels.
    Region Shape(const SNOW_INFO& p);
    // Whether the shape overlaps the pile as the pile window shows it.
    bool SnowTouchPile(const Region& shape, const std::optional<Region>& pile);

    Game& g_;
    bool bTumoru_ = false;
    std::unique_ptr<win::FrmRGNCommon> frmSnow_;
    std::unique_ptr<win::FrmRGNCommon> frmPile_;
    Long nCount_ = 0;
    Long nAreaW_ = 0;
    Long nAreaH_ = 0;
    std::vector<SNOW_INFO> tSnow_;
    std::optional<Region> hPileRgn_;
};

}  // namespace pw
