#include "ending/lamp_window.hpp"

#include "ending/cRGNSnow.hpp"
#include "game/game_state.hpp"

namespace pw {

void frmShe_Label1_MouseDown(Game& g, int, int Button, int, float, float) {
    if (Button == platform::kRightButton) g.ws.PopupMenu(g.frmMenu->mpop);
}

void frmMenu_mver_Click(Game& g) {
    g.frm_Version->ShowModal();
}

void frm_Version_Command1_Click(Game& g) {
    g.frm_Version.Unload();
}

void frmMenu_mend_Click(Game& g) {
    if (g.colSnow)
        for (auto& effect : *g.colSnow)
            effect->RGNSnowEnd();
    g.colSnow.reset();
    g.frmL.Unload();
    g.frmC.Unload();
    g.frmR.Unload();
    g.pictures.Unload();
    g.frm_Version.Unload();
    g.frmBG.Unload();
    g.frmBoss.Unload();
    g.frmDot.Unload();
    for (std::size_t i = 0; i < g.frmEnemies.size(); ++i)
        g.frmEnemies[i].Unload();
    g.frmEShot.Unload();
    g.frmPlayer.Unload();
    for (std::size_t i = 0; i < g.frmShots.size(); ++i)
        g.frmShots[i].Unload();
    platform::end_program(0);
}

void frmC_cmdClose_Click(Game& g) {
    g.frmL.Unload();
    g.frmR.Unload();
    g.frmC.Unload();
}

}  // namespace pw
