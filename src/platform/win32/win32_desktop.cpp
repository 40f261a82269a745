#include "platform/win32/win32_desktop.hpp"

#include <mmsystem.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/display_scale.hpp"
#include "platform/region_gdi.hpp"
#include "platform/win32/entry.hpp"
#include "platform/win32/text.hpp"

namespace pw::win32 {

using platform::WindowHandle;
using platform::WindowRole;

struct Win32Desktop::Window {
    Win32Desktop* desktop = nullptr;
    WindowRole role{};
    platform::WindowEvents events;
    HWND hwnd = nullptr;
    int left = 0, top = 0, width = 0, height = 0;
    std::optional<Region> shape;  // the window's region as last set
    platform::Colour back{};
    platform::Picture picture;
    std::vector<platform::DrawItem> items;
};

namespace {

constexpr wchar_t kWindowClass[] = L"PetalwingWindow";
constexpr wchar_t kHostClass[] = L"PetalwingHost";
// Focus arrives while the system is busy with something else (a window being shown or
// destroyed); the game hears of it at its next pump.
constexpr UINT kGotFocus = WM_APP + 1;

}  // namespace

void register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register a window class");
}

namespace {

int vk_for(platform::Key key) {
    switch (key) {
        case platform::Key::Space:
            return VK_SPACE;
        case platform::Key::Left:
            return VK_LEFT;
        case platform::Key::Up:
            return VK_UP;
        case platform::Key::Right:
            return VK_RIGHT;
        case platform::Key::Down:
            return VK_DOWN;
        case platform::Key::Home:
            return VK_HOME;
        case platform::Key::Escape:
            return VK_ESCAPE;
    }
    return 0;
}

}  // namespace

Win32Desktop::Win32Desktop() : instance_(GetModuleHandleW(nullptr)), fonts_(platform::kLogicalDpi) {
    register_class(instance_, kWindowClass, &Win32Desktop::window_proc);
    register_class(instance_, kHostClass, &Win32Desktop::host_proc);
    register_dialog_class(instance_);
    host_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kHostClass, L"Petalwing", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance_, this));
    if (!host_) throw std::runtime_error("cannot create the program's hidden window");
    // Frames are paced by 1 ms sleeps: ask for a 1 ms timer resolution while the game runs.
    timeBeginPeriod(1);
}

Win32Desktop::~Win32Desktop() {
    for (const auto& [id, timer] : timers_)
        KillTimer(host_.get(), id);
    for (auto& [handle, window] : windows_)
        DestroyWindow(window->hwnd);
    timeEndPeriod(1);
}

std::uint32_t Win32Desktop::time_ms() {
    return timeGetTime();
}

void Win32Desktop::sleep_ms(std::uint32_t ms) {
    Sleep(ms);
}

std::uint16_t Win32Desktop::key_state(platform::Key key) {
    return static_cast<std::uint16_t>(GetAsyncKeyState(vk_for(key)));
}

platform::ScreenMetrics Win32Desktop::screen() {
    platform::ScreenMetrics m;
    m.width_px = GetSystemMetrics(SM_CXSCREEN);
    m.height_px = GetSystemMetrics(SM_CYSCREEN);
    // The program declares no DPI awareness: Windows shows it a logical 96 dpi and scales it.
    m.twips_per_pixel_x = m.twips_per_pixel_y = platform::kLogicalTwipsPerPixel;
    m.cy_caption = GetSystemMetrics(SM_CYCAPTION);
    // SM_CYFULLSCREEN is the work area's height less one caption. Taken from the work area
    // itself, because Wine's SM_CYFULLSCREEN can exceed the screen (779 on a 768-pixel one).
    RECT work{};
    m.cy_fullscreen = SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)
                          ? static_cast<int>(work.bottom - work.top) - m.cy_caption
                          : GetSystemMetrics(SM_CYFULLSCREEN);
    return m;
}

Win32Desktop::Window* Win32Desktop::find(WindowHandle w) {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : it->second.get();
}

HWND Win32Desktop::native_window(WindowHandle w) const {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : it->second->hwnd;
}

WindowHandle Win32Desktop::create_window(std::string_view name, WindowRole role,
                                         platform::WindowEvents events) {
    auto window = std::make_unique<Window>();
    window->desktop = this;
    window->role = role;
    window->events = std::move(events);
    // No taskbar button for any of them; sprites never take the focus, the lamp window keeps
    // above everything and may.
    const DWORD ex =
        WS_EX_TOOLWINDOW | (role == WindowRole::Sprite ? WS_EX_NOACTIVATE : WS_EX_TOPMOST);
    window->hwnd = CreateWindowExW(ex, kWindowClass, widen(name).c_str(), WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, instance_, window.get());
    if (!window->hwnd) throw std::runtime_error("cannot create a window");
    const WindowHandle handle = next_handle_++;
    windows_.emplace(handle, std::move(window));
    return handle;
}

void Win32Desktop::destroy_window(WindowHandle w) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    std::unique_ptr<Window> window = std::move(it->second);
    windows_.erase(it);
    DestroyWindow(window->hwnd);
}

void Win32Desktop::set_geometry(WindowHandle w, int left, int top, int width, int height) {
    Window* win = find(w);
    if (!win) return;
    width = std::max(0, width);
    height = std::max(0, height);
    if (win->left == left && win->top == top && win->width == width && win->height == height)
        return;
    win->left = left;
    win->top = top;
    win->width = width;
    win->height = height;
    SetWindowPos(win->hwnd, nullptr, left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32Desktop::set_visible(WindowHandle w, bool visible) {
    Window* win = find(w);
    if (!win || (IsWindowVisible(win->hwnd) != FALSE) == visible) return;
    if (visible) {
        // Shown on top of the others in its band, without taking the focus.
        const HWND where = win->role == WindowRole::Lamp ? HWND_TOPMOST : HWND_TOP;
        SetWindowPos(win->hwnd, where, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
        ShowWindow(win->hwnd, SW_HIDE);
    }
}

bool Win32Desktop::set_shape(WindowHandle w, std::optional<Region> shape) {
    Window* win = find(w);
    if (!win) return false;
    // An unchanged outline costs nothing: no new region, no repaint of the window.
    if (shape == win->shape) return true;
    // SetWindowRgn takes over the handle it is given: the window gets its own copy.
    HRGN rgn = shape ? duplicate_handle(*shape) : nullptr;
    if (!SetWindowRgn(win->hwnd, rgn, TRUE)) {
        if (rgn) DeleteObject(rgn);
        return false;
    }
    win->shape = std::move(shape);
    return true;
}

void Win32Desktop::set_background(WindowHandle w, platform::Colour colour) {
    Window* win = find(w);
    if (!win || win->back == colour) return;
    win->back = colour;
    InvalidateRect(win->hwnd, nullptr, FALSE);
}

void Win32Desktop::set_picture(WindowHandle w, platform::Picture picture) {
    Window* win = find(w);
    if (!win || win->picture == picture) return;
    win->picture = std::move(picture);
    InvalidateRect(win->hwnd, nullptr, FALSE);
}

void Win32Desktop::set_items(WindowHandle w, std::vector<platform::DrawItem> items) {
    Window* win = find(w);
    if (!win || win->items == items) return;
    win->items = std::move(items);
    InvalidateRect(win->hwnd, nullptr, FALSE);
}

void Win32Desktop::focus(WindowHandle w) {
    Window* win = find(w);
    if (!win || win->role != WindowRole::Lamp) return;  // sprites never take the focus
    if (!focus_manners_.may_take(game_has_focus())) return;
    SetForegroundWindow(win->hwnd);
    SetFocus(win->hwnd);
}

bool Win32Desktop::game_has_focus() const {
    DWORD owner = 0;
    const HWND foreground = GetForegroundWindow();
    return foreground && GetWindowThreadProcessId(foreground, &owner) &&
           owner == GetCurrentProcessId();
}

HWND Win32Desktop::lamp_window() const {
    for (const auto& [handle, win] : windows_)
        if (win->role == WindowRole::Lamp && IsWindowVisible(win->hwnd)) return win->hwnd;
    return nullptr;
}

int Win32Desktop::text_width(const platform::Font& font, std::string_view text) {
    return fonts_.text_width(font, text);
}

platform::TimerId Win32Desktop::add_timer(std::uint32_t interval_ms,
                                          std::function<void()> handler) {
    const platform::TimerId id = next_timer_++;
    if (!SetTimer(host_.get(), id, std::max<std::uint32_t>(interval_ms, USER_TIMER_MINIMUM),
                  nullptr))
        throw std::runtime_error("cannot start a timer");
    timers_.emplace(id, Timer{std::move(handler)});
    return id;
}

void Win32Desktop::remove_timer(platform::TimerId id) {
    if (timers_.erase(id)) KillTimer(host_.get(), id);
}

template <class F>
void Win32Desktop::deliver(F&& handler) {
    if (dispatch_depth_ == 0 || silenced_ > 0 || pending_) return;
    try {
        handler();
    } catch (...) {
        pending_ = std::current_exception();
        if (menu_open_) EndMenu();  // the menu's loop must not outlive the game's end
    }
}

void Win32Desktop::rethrow_pending() {
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
}

void Win32Desktop::on_timer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second.running) return;
    // Ticks coalesce: a timer runs at most once in one pump.
    if (current_pump_ != 0 && it->second.fired_in == current_pump_) return;
    it->second.fired_in = current_pump_;
    auto handler = it->second.handler;  // the handler may remove its own timer
    deliver([&] {
        it->second.running = true;
        struct Done {
            Win32Desktop& d;
            platform::TimerId id;
            ~Done() {
                if (auto t = d.timers_.find(id); t != d.timers_.end()) t->second.running = false;
            }
        } done{*this, id};
        handler();
    });
}

bool Win32Desktop::dispatch_one(bool wait) {
    MSG msg;
    if (wait) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    } else if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for whoever loops outside the game
        return false;
    }
    // Enter, Escape and Tab work in an open dialog as in any dialog box.
    if (!open_dialog_ || !IsDialogMessageW(open_dialog_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    rethrow_pending();
    return true;
}

void Win32Desktop::pump() {
    Dispatching scope(*this, ++pump_serial_);
    while (dispatch_one(false)) {
    }
}

std::optional<int> Win32Desktop::popup_menu(const std::vector<platform::MenuItem>& items) {
    Menu menu(CreatePopupMenu());
    if (!menu) return std::nullopt;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].caption == "-")
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu.get(), MF_STRING, i + 1, widen(items[i].caption).c_str());
    }
    POINT at{};
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only while its owner is in the foreground.
    SetForegroundWindow(host_.get());
    UINT chosen = 0;
    {
        Dispatching scope(*this, 0);
        menu_open_ = true;
        chosen = static_cast<UINT>(TrackPopupMenu(
            menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y,
            0, host_.get(), nullptr));
        menu_open_ = false;
    }
    PostMessageW(host_.get(), WM_NULL, 0, 0);
    rethrow_pending();
    if (chosen == 0) return std::nullopt;
    return static_cast<int>(chosen - 1);
}

void Win32Desktop::message_box(std::string_view text, std::string_view caption) {
    ++silenced_;
    MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(),
                MB_OK | MB_SETFOREGROUND | MB_TOPMOST);
    --silenced_;
}

LRESULT CALLBACK Win32Desktop::host_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    auto* self = window_state<Win32Desktop>(hwnd, message, lp);
    if (message == WM_TIMER && self) {
        self->on_timer(static_cast<platform::TimerId>(wp));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

LRESULT CALLBACK Win32Desktop::window_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    auto* win = window_state<Window>(hwnd, message, lp);
    if (!win) return DefWindowProcW(hwnd, message, wp, lp);

    // A handler may destroy this very window: what it needs is copied first, and nothing
    // touches `win` after it ran.
    const auto mouse = [&](int button) {
        auto handler = win->events.mouse_down;
        // A click that was on its way when a dialog opened, or on a window made since, finds
        // the program's windows disabled all the same.
        if (handler && !win->desktop->open_dialog_)
            win->desktop->deliver([&] { handler(button, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); });
        return 0;
    };
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paint(dc, win->width, win->height, {win->back, &win->picture, &win->items},
                  win->desktop->fonts_);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_MOUSEACTIVATE:
            return win->role == WindowRole::Sprite ? MA_NOACTIVATE : MA_ACTIVATE;
        case WM_LBUTTONDOWN:
            return mouse(platform::kLeftButton);
        case WM_RBUTTONDOWN:
            return mouse(platform::kRightButton);
        case WM_MBUTTONDOWN:
            return mouse(platform::kMiddleButton);
        case WM_SETFOCUS:
            PostMessageW(hwnd, kGotFocus, 0, 0);
            return 0;
        case kGotFocus: {
            auto handler = win->events.got_focus;
            if (handler) win->desktop->deliver(handler);
            return 0;
        }
        case WM_CLOSE:
            return 0;  // the game has one way out: its menu
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

std::unique_ptr<platform::Desktop> make_desktop() {
    return std::make_unique<Win32Desktop>();
}

}  // namespace pw::win32
