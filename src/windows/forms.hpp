// The game's window kinds with their design-time properties and controls.
#pragma once

#include <array>

#include "platform/basic_types.hpp"
#include "windows/controls.hpp"
#include "windows/form.hpp"

namespace pw::win {

// The ship. Timer1 ends its invincibility after a hit.
class FrmPlayer : public Form {
  public:
    FrmPlayer(WindowSystem& ws, std::string name);
    Timer Timer1;
};

// A player shot: a plain green bar.
class FrmShot : public Form {
  public:
    FrmShot(WindowSystem& ws, std::string name);
};

// The full-screen window the enemy shots are cut into.
class FrmEShot : public Form {
  public:
    FrmEShot(WindowSystem& ws, std::string name);
};

class FrmEnemy : public Form {
  public:
    FrmEnemy(WindowSystem& ws, std::string name);
};

// The full-screen window the explosion debris is cut into.
class FrmDot : public Form {
  public:
    FrmDot(WindowSystem& ws, std::string name);
};

// The scenery strip.
class FrmBG : public Form {
  public:
    FrmBG(WindowSystem& ws, std::string name);
};

// The light pink flash of the clear sequence.
class FrmBG2 : public Form {
  public:
    FrmBG2(WindowSystem& ws, std::string name);
};

// The boss: its core CT, the entry slide (Timer1), the hit reaction (Timer2) and the shake
// (Timer3).
class FrmBoss : public Form {
  public:
    FrmBoss(WindowSystem& ws, std::string name);
    PictureBox CT;
    Timer Timer1;
    Timer Timer2;
    Timer Timer3;
    Long nPower = 0;
    Long nBururu = 0;
};

// The lamp window: two life lamps, and the place the keyboard focus rests.
class FrmShe : public Form {
  public:
    FrmShe(WindowSystem& ws, std::string name);
    std::array<Label, 2> Label1;
};

// The title banner and the staff roll.
class FrmSTAFF : public Form {
  public:
    FrmSTAFF(WindowSystem& ws, std::string name);
};

// Never shown: it only owns the popup menu.
class FrmMenu : public Form {
  public:
    FrmMenu(WindowSystem& ws, std::string name);
    Menu mpop;
    MenuItem& mver() { return mpop.items()[0]; }
    MenuItem& mend() { return mpop.items()[2]; }
};

// The version dialog, shown modally.
class FrmVersion : public Form {
  public:
    FrmVersion(WindowSystem& ws, std::string name);
    Image Image1;
    Label Label3, Label2, Label1;
    std::array<Line, 3> Line1;
    std::function<void()> Command1_Click;
    // Show vbModal: returns when the dialog has been closed.
    void ShowModal();
};

// The speech balloon: left cap, centre piece with the text, right cap.
class FrmL : public Form {
  public:
    FrmL(WindowSystem& ws, std::string name);
};

class FrmC : public Form {
  public:
    FrmC(WindowSystem& ws, std::string name);
    std::array<platform::Picture, 4> Picture1;  // the cap pictures, never shown here
    Line Line1, Line2;
    Label cmdClose;

    // Printing on the window, kept like a back buffer.
    float CurrentX = 0, CurrentY = 0;
    void Cls();
    void Print(std::string_view text);
    float TextWidth(std::string_view text);
    const platform::Font& Font() const { return font_; }

  private:
    platform::Font font_{"ＭＳ Ｐゴシック", 8.25, false};
};

class FrmR : public Form {
  public:
    FrmR(WindowSystem& ws, std::string name);
};

// The common shaped window of the petal effects.
class FrmRGNCommon : public Form {
  public:
    FrmRGNCommon(WindowSystem& ws, std::string name);
};

}  // namespace pw::win
