#include "driver/window_handlers.hpp"

#include "boss/frmBoss.hpp"
#include "combat/mod_Player.hpp"
#include "ending/lamp_window.hpp"
#include "game/game_state.hpp"
#include "game/mod_JoyStick.hpp"

namespace pw {
namespace {

// The sprite windows never keep the keyboard focus: they hand it on to the lamp window.
template <class T>
void hand_focus_on(Game& g, win::Lazy<T>& window) {
    window.on_load = [&g](T& form) { form.Form_GotFocus = [&g] { g.frmShe->SetFocus(); }; };
}

}  // namespace

void ConnectHandlers(Game& g) {
    g.frmPlayer.on_load = [&g](win::FrmPlayer& f) {
        f.Form_MouseDown = [&g](int b, int s, float x, float y) {
            frmPlayer_Form_MouseDown(g, b, s, x, y);
        };
        f.Timer1.OnTimer = [&g] { frmPlayer_Timer1_Timer(g); };
    };
    g.frmBoss.on_load = [&g](win::FrmBoss& f) {
        f.Form_GotFocus = [&g] { g.frmShe->SetFocus(); };
        f.Timer1.OnTimer = [&g] { frmBoss_Timer1_Timer(g); };
        f.Timer2.OnTimer = [&g] { frmBoss_Timer2_Timer(g); };
        f.Timer3.OnTimer = [&g] { frmBoss_Timer3_Timer(g); };
        frmBoss_Form_Load(g, f);
    };
    g.frmShe.on_load = [&g](win::FrmShe& f) {
        for (int i = 0; i < 2; ++i)
            f.Label1[static_cast<std::size_t>(i)].MouseDown = [&g, i](int b, int s, float x,
                                                                      float y) {
                frmShe_Label1_MouseDown(g, i, b, s, x, y);
            };
    };
    g.frmMenu.on_load = [&g](win::FrmMenu& f) {
        f.mver().Click = [&g] { frmMenu_mver_Click(g); };
        f.mend().Click = [&g] { frmMenu_mend_Click(g); };
    };
    g.frm_Version.on_load = [&g](win::FrmVersion& f) {
        f.Command1_Click = [&g] { frm_Version_Command1_Click(g); };
    };
    g.frmC.on_load = [&g](win::FrmC& f) { f.cmdClose.Click = [&g] { frmC_cmdClose_Click(g); }; };

    for (std::size_t i = 0; i < g.frmShots.size(); ++i)
        hand_focus_on(g, g.frmShots[i]);
    for (std::size_t i = 0; i < g.frmEnemies.size(); ++i)
        hand_focus_on(g, g.frmEnemies[i]);
    hand_focus_on(g, g.frmEShot);
    hand_focus_on(g, g.frmDot);
    hand_focus_on(g, g.frmBG);
    hand_focus_on(g, g.frmSTAFF);
}

}  // namespace pw
