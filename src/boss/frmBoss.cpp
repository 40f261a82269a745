#include "boss/frmBoss.hpp"

#include "driver/game_state.hpp"

namespace pw {

void frmBoss_Form_Load(Game&, win::FrmBoss&) {}

void frmBoss_Timer1_Timer(Game& g) {
    g.frmBoss->Timer1.SetEnabled(false);
    g.bBossFight = kTrue;
}

void frmBoss_Timer2_Timer(Game&) {}
void frmBoss_Timer3_Timer(Game&) {}

}  // namespace pw
