#include "game/game_state.hpp"

namespace pw {

Game::Game(platform::Desktop& d)
    : desktop(d),
      ws(d),
      frmPlayer(ws, "frmPlayer"),
      frmShots(ws, "frmShots"),
      frmEShot(ws, "frmEShot"),
      frmEnemies(ws, "frmEnemies"),
      frmDot(ws, "frmDot"),
      frmBG(ws, "frmBG"),
      frmBG2(ws, "frmBG2"),
      frmBoss(ws, "frmBoss"),
      frmShe(ws, "frmShe"),
      frmSTAFF(ws, "frmSTAFF"),
      frmMenu(ws, "frmMenu"),
      frm_Version(ws, "frm_Version"),
      frmL(ws, "frmL"),
      frmC(ws, "frmC"),
      frmR(ws, "frmR") {}

Long GetWorkAreaHeight(Game& g) {
    const auto m = g.desktop.screen();
    return CLng(static_cast<double>(m.cy_fullscreen + m.cy_caption) * m.twips_per_pixel_y);
}

void WaitTime(Game& g, Long ms) {
    if (ms > 0) g.desktop.sleep_ms(static_cast<std::uint32_t>(ms));
}

void Fatal(Game& g, std::string_view message) {
    g.desktop.message_box(message, kAppTitle);
    platform::end_program(1);
}

}  // namespace pw
