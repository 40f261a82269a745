#include "rgn/mod_RGN_pop.hpp"

#include "driver/game_state.hpp"
#include "platform/json.hpp"

namespace pw {

void RGNPopInit(Game&) {}

void RGNPopSetWindow(Game&, int, win::Form&) {}

void RGNPopShow(Game& g, const std::string& sMsg, Single, Single, Integer, Integer,
                const std::string&) {
    json::Fields f;
    f.str("text", sMsg);
    g.ws.trace("balloon", f.text());
}

}  // namespace pw
