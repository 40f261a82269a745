// Controls that live on a window: labels, lines, picture boxes, images, timers and menus.
// Positions and sizes are in twips relative to the window; a control tells its window when
// something visible about it changed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "windows/shapeable.hpp"
#include "windows/window_system.hpp"

namespace pw::win {

class Form;

class Control {
  public:
    explicit Control(Form& owner);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    virtual void draw(std::vector<platform::DrawItem>& out, int tx, int ty) const = 0;
    // Window-local pixels; true when the control takes the mouse there.
    virtual bool hit(int /*x*/, int /*y*/, int /*tx*/, int /*ty*/) const { return false; }
    virtual void mouse_down(int /*button*/, float /*x*/, float /*y*/) {}

  protected:
    void changed();
    Form& owner_;
};

class Label final : public Control {
  public:
    explicit Label(Form& owner) : Control(owner) {}

    float Left = 0, Top = 0, Width = 0, Height = 0;
    void Move(float left, float top, float width, float height);
    void SetLeft(float v);
    void SetTop(float v);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    std::optional<Colour> BackColor() const { return back_; }
    void SetBackColor(Colour c);  // makes the label opaque
    Colour ForeColor() const { return fore_; }
    void SetForeColor(Colour c);
    void SetFont(platform::Font font);
    const platform::Font& Font() const { return font_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v);

    // MouseDown(Button, Shift, X, Y) and Click.
    std::function<void(int, int, float, float)> MouseDown;
    std::function<void()> Click;

    void draw(std::vector<platform::DrawItem>& out, int tx, int ty) const override;
    bool hit(int x, int y, int tx, int ty) const override;
    void mouse_down(int button, float x, float y) override;

  private:
    std::string caption_;
    std::optional<Colour> back_;
    Colour fore_{0, 0, 0};
    platform::Font font_{"ＭＳ Ｐゴシック", 9.0, false};
    bool visible_ = true;
};

class Line final : public Control {
  public:
    explicit Line(Form& owner) : Control(owner) {}
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    Colour BorderColor{0, 0, 0};
    void Set(float x1, float y1, float x2, float y2);
    void draw(std::vector<platform::DrawItem>& out, int tx, int ty) const override;
};

class Image final : public Control {
  public:
    Image(Form& owner, float left, float top, platform::Picture picture)
        : Control(owner), left_(left), top_(top), picture_(std::move(picture)) {}
    void draw(std::vector<platform::DrawItem>& out, int tx, int ty) const override;

  private:
    float left_, top_;
    platform::Picture picture_;
};

// A child window inside a form: a solid colour cut by its own shape, clipped to its box.
class PictureBox final : public Control, public Shapeable {
  public:
    explicit PictureBox(Form& owner) : Control(owner) {}

    float Left() const { return left_; }
    float Top() const { return top_; }
    void Move(float left, float top);
    float Width() const override { return width_; }
    float Height() const override { return height_; }
    void SetWidth(float v) override;
    void SetHeight(float v) override;
    void SetPicture(platform::Picture picture, std::optional<int> number) override;
    bool ApplyRegion(Region region) override;
    Colour BackColor() const { return back_; }
    void SetBackColor(Colour c);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    const std::optional<Region>& WindowRgn() const { return shape_; }

    void draw(std::vector<platform::DrawItem>& out, int tx, int ty) const override;

  private:
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Colour back_{212, 208, 200};
    bool visible_ = true;
    std::optional<Region> shape_;
};

// A window timer: fires every Interval ms while Enabled, inside the event pump only. An
// interval of 0 never fires.
class Timer {
  public:
    Timer(WindowSystem& ws, bool enabled, std::uint32_t interval)
        : ws_(ws), enabled_(enabled), interval_(interval) {
        rearm();
    }
    ~Timer() { disarm(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t interval);

    std::function<void()> OnTimer;

  private:
    void rearm();
    void disarm();
    WindowSystem& ws_;
    bool enabled_;
    std::uint32_t interval_;
    platform::TimerId id_ = 0;
};

struct MenuItem {
    std::string caption;  // "-" is a separator
    std::function<void()> Click;
};

class Menu {
  public:
    explicit Menu(std::vector<MenuItem> items) : items_(std::move(items)) {}
    std::vector<MenuItem>& items() { return items_; }

  private:
    std::vector<MenuItem> items_;
};

}  // namespace pw::win
