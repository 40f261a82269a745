// The lamp window's popup menu, the version dialog, quitting, and the balloon's close label.
#pragma once

namespace pw {

class Game;

// A right click on either life lamp opens the popup menu.
void frmShe_Label1_MouseDown(Game& g, int Index, int Button, int Shift, float X, float Y);
// "バージョン情報": the version dialog, modal.
void frmMenu_mver_Click(Game& g);
// "終了": closes the petals and the windows and ends the program at once.
[[noreturn]] void frmMenu_mend_Click(Game& g);
void frm_Version_Command1_Click(Game& g);
// The balloon's close label: removes all three pieces.
void frmC_cmdClose_Click(Game& g);

}  // namespace pw
