#include "windows/form.hpp"

#include <algorithm>

#include "windows/controls.hpp"

namespace pw::win {

Form::Form(WindowSystem& ws, std::string name, FormDesign design)
    : ws_(ws),
      name_(std::move(name)),
      width_(design.width),
      height_(design.height),
      back_(design.back),
      picture_(std::move(design.picture)),
      picture_number_(design.picture_number) {
    platform::WindowEvents events;
    // The native window outlives no Form, so `this` is valid whenever these run; a handler
    // may unload this very window, so nothing touches `this` after calling one.
    events.mouse_down = [this](int button, int x, int y) { on_mouse_down(button, x, y); };
    events.got_focus = [this] {
        if (auto handler = Form_GotFocus) handler();
    };
    hwnd_ = ws_.desktop().create_window(name_, design.role, std::move(events));
    ws_.desktop().set_background(hwnd_, back_);
    if (picture_) ws_.desktop().set_picture(hwnd_, picture_);
    update_geometry();
    ws_.add(this);
}

Form::~Form() {
    ws_.remove(this);
    ws_.desktop().destroy_window(hwnd_);
}

void Form::update_geometry() {
    const int tx = ws_.TwipsPerPixelX(), ty = ws_.TwipsPerPixelY();
    ws_.desktop().set_geometry(hwnd_, twips_to_screen_px(left_, tx), twips_to_screen_px(top_, ty),
                               twips_to_screen_px(width_, tx), twips_to_screen_px(height_, ty));
}

void Form::SetLeft(float v) {
    left_ = v;
    update_geometry();
}
void Form::SetTop(float v) {
    top_ = v;
    update_geometry();
}
void Form::SetWidth(float v) {
    width_ = v;
    update_geometry();
}
void Form::SetHeight(float v) {
    height_ = v;
    update_geometry();
}
void Form::Move(float left, float top) {
    left_ = left;
    top_ = top;
    update_geometry();
}
void Form::Move(float left, float top, float width, float height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    update_geometry();
}

void Form::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    ws_.desktop().set_visible(hwnd_, v);
}

void Form::SetBackColor(Colour c) {
    if (back_ == c) return;
    back_ = c;
    ws_.desktop().set_background(hwnd_, c);
}

void Form::SetPicture(platform::Picture picture, std::optional<int> number) {
    picture_number_ = number;
    if (picture_ == picture) return;
    picture_ = std::move(picture);
    ws_.desktop().set_picture(hwnd_, picture_);
}

bool Form::ApplyRegion(Region region) {
    if (!ws_.desktop().set_shape(hwnd_, region)) return false;
    shape_ = std::move(region);
    return true;
}

void Form::SetFocus() {
    ws_.desktop().focus(hwnd_);
}

void Form::remove_control(Control* c) {
    std::erase(controls_, c);
}

std::vector<platform::DrawItem> Form::draw_items() const {
    const int tx = ws_.TwipsPerPixelX(), ty = ws_.TwipsPerPixelY();
    std::vector<platform::DrawItem> items;
    for (const Control* c : controls_)
        c->draw(items, tx, ty);
    for (const auto& t : printed_)
        items.emplace_back(t);
    return items;
}

void Form::items_changed() {
    ws_.desktop().set_items(hwnd_, draw_items());
}

void Form::on_mouse_down(int button, int x, int y) {
    if (ws_.modal()) return;  // disabled under an open menu or dialog
    const int tx = ws_.TwipsPerPixelX(), ty = ws_.TwipsPerPixelY();
    // Controls added later lie on top.
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        if ((*it)->hit(x, y, tx, ty)) {
            (*it)->mouse_down(button, static_cast<float>(x * tx), static_cast<float>(y * ty));
            return;
        }
    }
    if (auto handler = Form_MouseDown)
        handler(button, 0, static_cast<float>(x * tx), static_cast<float>(y * ty));
}

}  // namespace pw::win
