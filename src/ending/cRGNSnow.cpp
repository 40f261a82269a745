#include "ending/cRGNSnow.hpp"

#include "driver/game_state.hpp"

namespace pw {

cRGNSnow::~cRGNSnow() {
    RGNSnowEnd();
}

void cRGNSnow::RGNSnowInit(Single, Single, Single, Single, Long, win::Colour, Long, Single, bool) {}

void cRGNSnow::RGNSnowMove() {}

void cRGNSnow::RGNSnowEnd() {}

}  // namespace pw
