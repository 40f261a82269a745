// The boss window's own handlers: its core on loading, the entry slide (Timer1), the
// reaction to a hit (Timer2) and the shake (Timer3).
#pragma once

#include "windows/forms.hpp"

namespace pw {

class Game;

void frmBoss_Form_Load(Game& g, win::FrmBoss& boss);
void frmBoss_Timer1_Timer(Game& g);
void frmBoss_Timer2_Timer(Game& g);
void frmBoss_Timer3_Timer(Game& g);

}  // namespace pw
