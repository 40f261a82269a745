// A falling-particle effect: petals that fall and sway over an area of the desktop, drawn as
// the outline of one solid-coloured window; optionally they pile up in a second window.
#pragma once

#include <memory>
#include <optional>
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

  private:
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
