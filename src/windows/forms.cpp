#include "windows/forms.hpp"

#include "art/art.hpp"
#include "platform/json.hpp"

namespace pw::win {
namespace {

FormDesign sprite(Colour back = RGB(212, 208, 200)) {
    FormDesign d;
    d.back = back;
    return d;
}

const platform::Font kGothic{"ＭＳ Ｐゴシック", 8.25, false};

// The version dialog's client area, in pixels.
constexpr int kDialogWidth = 330, kDialogHeight = 150;
constexpr int kOkLeft = 244, kOkTop = 112, kOkWidth = 74, kOkHeight = 26;

}  // namespace

FrmPlayer::FrmPlayer(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite()), Timer1(ws, false, 1000) {}

FrmShot::FrmShot(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite(RGB(0, 255, 0))) {}

FrmEShot::FrmEShot(WindowSystem& ws, std::string name) : Form(ws, std::move(name), sprite()) {}

FrmEnemy::FrmEnemy(WindowSystem& ws, std::string name) : Form(ws, std::move(name), sprite()) {}

FrmDot::FrmDot(WindowSystem& ws, std::string name) : Form(ws, std::move(name), sprite()) {}

FrmBG::FrmBG(WindowSystem& ws, std::string name) : Form(ws, std::move(name), sprite()) {}

FrmBG2::FrmBG2(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite(RGB(255, 244, 255))) {}

FrmBoss::FrmBoss(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite()),
      CT(*this),
      Timer1(ws, false, 50),
      Timer2(ws, true, 0),
      Timer3(ws, false, 50) {}

namespace {
FormDesign lamp_design() {
    FormDesign d;
    d.role = platform::WindowRole::Lamp;
    d.width = 375;
    d.height = 165;
    d.picture = art::sprite_picture(0);
    d.picture_number = 0;
    return d;
}
}  // namespace

FrmShe::FrmShe(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), lamp_design()), Label1{{Label(*this), Label(*this)}} {
    Label1[0].Move(0, 0, 180, 225);
    Label1[1].Move(195, -15, 180, 225);
    for (auto& lamp : Label1)
        lamp.SetBackColor(RGB(0, 255, 0));
}

FrmSTAFF::FrmSTAFF(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite(RGB(224, 224, 224))) {}

FrmMenu::FrmMenu(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite()),
      mpop({{"バージョン情報", nullptr}, {"-", nullptr}, {"終了", nullptr}}) {}

FrmVersion::FrmVersion(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite()),
      Image1(*this, 12 * 15, 14 * 15, art::icon_picture()),
      Label3(*this),
      Label2(*this),
      Label1(*this),
      Line1{{Line(*this), Line(*this), Line(*this)}} {
    SetWidth(kDialogWidth * 15);
    SetHeight(kDialogHeight * 15);
    Label3.Move(60 * 15, 12 * 15, 250 * 15, 20 * 15);
    Label3.SetFont({"ＭＳ Ｐ明朝", 9.75, true});
    Label3.SetCaption("Petalwing");
    Label2.Move(60 * 15, 34 * 15, 250 * 15, 20 * 15);
    Label2.SetFont({"Times New Roman", 9.75, true});
    Label2.SetCaption("Version 1.0.0");
    Label1.Move(60 * 15, 66 * 15, 260 * 15, 18 * 15);
    Label1.SetFont(kGothic);
    Label1.SetCaption("Copyright (C) 2004 the Petalwing team");
    Line1[0].Set(60 * 15, 58 * 15, 318 * 15, 58 * 15);
    Line1[1].Set(12 * 15, 100 * 15, 318 * 15, 100 * 15);
    Line1[2].BorderColor = RGB(255, 255, 255);
    Line1[2].Set(12 * 15, 101 * 15, 318 * 15, 101 * 15);
    Line1[0].BorderColor = RGB(128, 128, 128);
    Line1[1].BorderColor = RGB(128, 128, 128);
}

void FrmVersion::ShowModal() {
    platform::DialogLayout layout;
    layout.title = "バージョン情報";
    layout.icon = art::icon_picture();
    layout.client_width = kDialogWidth;
    layout.client_height = kDialogHeight;
    layout.items = draw_items();
    layout.buttons.push_back({"OK", {kOkLeft, kOkTop, kOkLeft + kOkWidth, kOkTop + kOkHeight}});
    auto& ws = system();
    json::Fields open;
    open.str("state", "open").str("title", layout.title);
    ws.trace("dialog", open.text());
    {
        WindowSystem::ModalScope modal(ws);
        ws.desktop().run_dialog(layout);
    }
    json::Fields closed;
    closed.str("state", "close").str("title", layout.title);
    ws.trace("dialog", closed.text());
    if (auto click = Command1_Click) click();  // may unload this dialog
}

namespace {
FormDesign cap_design(int cap, float width) {
    FormDesign d;
    d.width = width;
    d.height = 150;
    d.picture = art::cap_picture(cap);
    return d;
}
}  // namespace

FrmL::FrmL(WindowSystem& ws, std::string name) : Form(ws, std::move(name), cap_design(0, 120)) {}

FrmC::FrmC(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite(RGB(255, 255, 255))),
      Picture1{art::cap_picture(0), art::cap_picture(1), art::cap_picture(2), art::cap_picture(3)},
      Line1(*this),
      Line2(*this),
      cmdClose(*this) {
    SetWidth(1500);
    SetHeight(220);
    cmdClose.Move(0, 20, 735, 180);
    cmdClose.SetFont({"ＭＳ Ｐゴシック", 8.25, true});
    cmdClose.SetForeColor(RGB(0, 0, 255));
    cmdClose.SetCaption("  [閉じる]");
}

void FrmC::Cls() {
    printed().clear();
    CurrentX = CurrentY = 0;
    items_changed();
}

void FrmC::Print(std::string_view text) {
    auto& ws = system();
    const int tx = ws.TwipsPerPixelX(), ty = ws.TwipsPerPixelY();
    printed().push_back({twips_to_screen_px(CurrentX, tx), twips_to_screen_px(CurrentY, ty),
                         std::string(text), font_, RGB(0, 0, 0)});
    // The next line starts at the left margin, one text line lower.
    CurrentX = 0;
    CurrentY += static_cast<float>(font_.points * 96.0 / 72.0 * 1.2 * ty);
    items_changed();
}

float FrmC::TextWidth(std::string_view text) {
    auto& ws = system();
    return static_cast<float>(ws.desktop().text_width(font_, text) * ws.TwipsPerPixelX());
}

FrmR::FrmR(WindowSystem& ws, std::string name) : Form(ws, std::move(name), cap_design(1, 105)) {}

FrmRGNCommon::FrmRGNCommon(WindowSystem& ws, std::string name)
    : Form(ws, std::move(name), sprite()) {}

}  // namespace pw::win
