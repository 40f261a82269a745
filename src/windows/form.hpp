// A loaded window: one instance of a window kind, with its design-time properties, its
// controls and its native window. Destroying it unloads the window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "windows/shapeable.hpp"
#include "windows/window_system.hpp"

namespace pw::win {

class Control;

struct FormDesign {
    platform::WindowRole role = platform::WindowRole::Sprite;
    float width = 0, height = 0;  // twips
    Colour back{212, 208, 200};
    platform::Picture picture;
    std::optional<int> picture_number;
};

class Form : public Shapeable {
  public:
    Form(WindowSystem& ws, std::string name, FormDesign design);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    WindowSystem& system() const { return ws_; }
    const std::string& name() const { return name_; }
    platform::WindowHandle hwnd() const { return hwnd_; }

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const override { return width_; }
    float Height() const override { return height_; }
    void SetLeft(float v);
    void SetTop(float v);
    void SetWidth(float v) override;
    void SetHeight(float v) override;
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    Colour BackColor() const { return back_; }
    void SetBackColor(Colour c);

    const platform::Picture& Picture() const { return picture_; }
    std::optional<int> PictureNumber() const { return picture_number_; }
    void SetPicture(platform::Picture picture, std::optional<int> number) override;
    void ClearPicture() { SetPicture({}, std::nullopt); }

    bool ApplyRegion(Region region) override;
    // GetWindowRgn: the window's current shape, or nullopt when it has none.
    const std::optional<Region>& WindowRgn() const { return shape_; }

    void SetFocus();

    // What the window shows over its picture: its controls, then printed text.
    std::vector<platform::DrawItem> draw_items() const;

    // Inner width in twips (the windows are borderless).
    float ScaleWidth() const { return width_; }

    // Form_MouseDown(Button, Shift, X, Y), X and Y in twips; Form_GotFocus.
    std::function<void(int, int, float, float)> Form_MouseDown;
    std::function<void()> Form_GotFocus;

  protected:
    // Printed text (Print/Cls), drawn after the controls.
    std::vector<platform::TextItem>& printed() { return printed_; }
    void items_changed();

  private:
    friend class Control;
    void add_control(Control* c) { controls_.push_back(c); }
    void remove_control(Control* c);
    void update_geometry();
    void on_mouse_down(int button, int x, int y);

    WindowSystem& ws_;
    std::string name_;
    platform::WindowHandle hwnd_ = 0;
    float left_ = 0, top_ = 0, width_, height_;
    bool visible_ = false;
    Colour back_;
    platform::Picture picture_;
    std::optional<int> picture_number_;
    std::optional<Region> shape_;
    std::vector<Control*> controls_;
    std::vector<platform::TextItem> printed_;
};

}  // namespace pw::win
