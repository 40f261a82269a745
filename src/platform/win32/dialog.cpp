// The modal dialog: a captioned window of the program's own class that shows the dialog's
// items and real push buttons, run by a nested message loop until a button or the close box
// ends it. Its timers keep running meanwhile, but, as under any modal form, the program's
// other windows are disabled: they take no click until it closes.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/win32/text.hpp"
#include "platform/win32/win32_desktop.hpp"

namespace pw::win32 {

namespace {

constexpr wchar_t kDialogClass[] = L"PetalwingDialog";
constexpr int kFirstButtonId = 1000;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
const platform::Font kButtonFont{"ＭＳ Ｐゴシック", 9.0, false};

platform::Colour face_colour() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The window icon from a picture: its colours, and a mask of its clear pixels.
Icon icon_from(const platform::Picture& picture) {
    if (!picture) return nullptr;
    const int w = picture.width(), h = picture.height();
    void* bits = nullptr;
    GdiObject<HBITMAP> colour = top_down_bitmap(nullptr, w, h, &bits);
    if (!colour || !bits) return nullptr;
    const auto px = picture.pixels();
    const std::size_t row_bytes = ((static_cast<std::size_t>(w) + 15) / 16) * 2;
    std::vector<std::uint8_t> mask(row_bytes * static_cast<std::size_t>(h), 0);
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            const bool clear = (px[i] >> 24) == 0;
            out[i] = clear ? 0 : px[i];
            if (clear) mask[y * row_bytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    GdiObject<HBITMAP> mono(CreateBitmap(w, h, 1, 1, mask.data()));
    if (!mono) return nullptr;
    ICONINFO icon{TRUE, 0, 0, mono.get(), colour.get()};
    return Icon(CreateIconIndirect(&icon));
}

}  // namespace

struct Win32Desktop::Dialog {
    Win32Desktop* desktop = nullptr;
    const platform::DialogLayout* layout = nullptr;
    platform::Colour face;
    bool done = false;
    int result = 0;
};

void Win32Desktop::register_dialog_class(HINSTANCE instance) {
    register_class(instance, kDialogClass, &Win32Desktop::dialog_proc);
}

int Win32Desktop::run_dialog(const platform::DialogLayout& layout) {
    Dialog state{this, &layout, face_colour()};

    RECT frame{0, 0, layout.client_width, layout.client_height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - w) / 2;
    const int y = work.top + (work.bottom - work.top - h) / 2;

    const Icon icon = icon_from(layout.icon);  // outlives the window that shows it
    // Owned by the lamp window: a dialog of the game's, without a taskbar button of its own.
    OwnedWindow dialog(CreateWindowExW(kExStyle, kDialogClass, widen(layout.title).c_str(), kStyle,
                                       x, y, w, h, lamp_window(), nullptr, instance_, &state));
    if (!dialog) return 0;
    if (icon) {
        SendMessageW(dialog.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
        SendMessageW(dialog.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    }
    const HFONT button_font = fonts_.get(kButtonFont);
    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
        const auto& b = layout.buttons[i];
        const DWORD style =
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = CreateWindowExW(
            0, L"BUTTON", widen(b.caption).c_str(), style, b.box.left, b.box.top,
            b.box.right - b.box.left, b.box.bottom - b.box.top, dialog.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)), instance_, nullptr);
        if (!button) continue;
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(button_font), TRUE);
        if (i == 0) SetFocus(button);
    }
    ShowWindow(dialog.get(), SW_SHOW);
    SetForegroundWindow(dialog.get());
    if (HWND first = GetDlgItem(dialog.get(), kFirstButtonId)) SetFocus(first);

    std::vector<HWND> disabled;
    for (const auto& entry : windows_)
        if (HWND w = native_window(entry.first); w && IsWindowEnabled(w)) {
            EnableWindow(w, FALSE);
            disabled.push_back(w);
        }
    struct Enable {
        const std::vector<HWND>& windows;
        ~Enable() {
            for (HWND w : windows)
                if (IsWindow(w)) EnableWindow(w, TRUE);
        }
    } enable{disabled};

    const HWND outer = std::exchange(open_dialog_, dialog.get());
    struct Restore {
        HWND& slot;
        HWND value;
        ~Restore() { slot = value; }
    } restore{open_dialog_, outer};
    Dispatching scope(*this, 0);
    while (!state.done && dispatch_one(true)) {
    }
    return state.result;
}

LRESULT CALLBACK Win32Desktop::dialog_proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    auto* state = window_state<Dialog>(hwnd, message, lp);
    if (!state) return DefWindowProcW(hwnd, message, wp, lp);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paint(dc, state->layout->client_width, state->layout->client_height,
                  {state->face, nullptr, &state->layout->items}, state->desktop->fonts_);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            const int count = static_cast<int>(state->layout->buttons.size());
            if (id >= kFirstButtonId && id < kFirstButtonId + count) {
                state->result = id - kFirstButtonId;
                state->done = true;
            } else if (id == IDOK || id == IDCANCEL) {  // Enter and Escape
                state->result = 0;
                state->done = true;
            }
            return 0;
        }
        case WM_CLOSE:
            state->result = 0;
            state->done = true;
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

}  // namespace pw::win32
