#include "ending/mod_STAFF.hpp"

#include "driver/game_state.hpp"

namespace pw {

void StaffRoll(Game&) {}

}  // namespace pw
