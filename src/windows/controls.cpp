#include "windows/controls.hpp"

#include "windows/form.hpp"

namespace pw::win {
namespace {
Rect box_px(float left, float top, float width, float height, int tx, int ty) {
    const int l = twips_to_screen_px(left, tx), t = twips_to_screen_px(top, ty);
    return {l, t, l + twips_to_screen_px(width, tx), t + twips_to_screen_px(height, ty)};
}
}  // namespace

Control::Control(Form& owner) : owner_(owner) {
    owner_.add_control(this);
}
Control::~Control() {
    owner_.remove_control(this);
}
void Control::changed() {
    owner_.items_changed();
}

void Label::Move(float left, float top, float width, float height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    changed();
}
void Label::SetLeft(float v) {
    Left = v;
    changed();
}
void Label::SetTop(float v) {
    Top = v;
    changed();
}
void Label::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    changed();
}
void Label::SetBackColor(Colour c) {
    if (back_ == c) return;
    back_ = c;
    changed();
}
void Label::SetForeColor(Colour c) {
    fore_ = c;
    changed();
}
void Label::SetFont(platform::Font font) {
    font_ = std::move(font);
    changed();
}
void Label::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    changed();
}

void Label::draw(std::vector<platform::DrawItem>& out, int tx, int ty) const {
    if (!visible_) return;
    out.emplace_back(platform::LabelItem{box_px(Left, Top, Width, Height, tx, ty), back_, caption_,
                                         font_, fore_});
}

bool Label::hit(int x, int y, int tx, int ty) const {
    if (!visible_) return false;
    const Rect b = box_px(Left, Top, Width, Height, tx, ty);
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

void Label::mouse_down(int button, float x, float y) {
    // Copies: a handler may unload the window that owns this label.
    auto down = MouseDown;
    auto click = button == platform::kLeftButton ? Click : nullptr;
    if (down) down(button, 0, x - Left, y - Top);
    if (click) click();
}

void Line::Set(float x1, float y1, float x2, float y2) {
    X1 = x1;
    Y1 = y1;
    X2 = x2;
    Y2 = y2;
    changed();
}

void Line::draw(std::vector<platform::DrawItem>& out, int tx, int ty) const {
    out.emplace_back(platform::LineItem{twips_to_screen_px(X1, tx), twips_to_screen_px(Y1, ty),
                                        twips_to_screen_px(X2, tx), twips_to_screen_px(Y2, ty),
                                        BorderColor});
}

void Image::draw(std::vector<platform::DrawItem>& out, int tx, int ty) const {
    out.emplace_back(
        platform::ImageItem{twips_to_screen_px(left_, tx), twips_to_screen_px(top_, ty), picture_});
}

void PictureBox::Move(float left, float top) {
    left_ = left;
    top_ = top;
    changed();
}
void PictureBox::SetWidth(float v) {
    width_ = v;
    changed();
}
void PictureBox::SetHeight(float v) {
    height_ = v;
    changed();
}
void PictureBox::SetPicture(platform::Picture, std::optional<int>) {
    // The only picture box shows its colour, never a picture.
}
bool PictureBox::ApplyRegion(Region region) {
    shape_ = std::move(region);
    changed();
    return true;
}
void PictureBox::SetBackColor(Colour c) {
    if (back_ == c) return;
    back_ = c;
    changed();
}
void PictureBox::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    changed();
}

void PictureBox::draw(std::vector<platform::DrawItem>& out, int tx, int ty) const {
    if (!visible_) return;
    const Rect box = box_px(left_, top_, width_, height_, tx, ty);
    Region area = Region::rectangle({0, 0, box.right - box.left, box.bottom - box.top});
    if (shape_) area.combine(area, *shape_, CombineMode::And);
    area.offset(box.left, box.top);
    out.emplace_back(platform::FillItem{std::move(area), back_});
}

void Timer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    rearm();
}

void Timer::SetInterval(std::uint32_t interval) {
    interval_ = interval;
    rearm();  // a new interval restarts the count
}

void Timer::disarm() {
    if (id_) ws_.desktop().remove_timer(id_);
    id_ = 0;
}

void Timer::rearm() {
    disarm();
    if (enabled_ && interval_ > 0)
        id_ = ws_.desktop().add_timer(interval_, [this] {
            if (auto handler = OnTimer) handler();
        });
}

}  // namespace pw::win
