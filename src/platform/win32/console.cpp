#include "platform/win32/entry.hpp"

#include <windows.h>

#include "platform/win32/text.hpp"

namespace pw::win32 {

void show_text(std::string_view text, std::string_view title) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    bool attached = false;
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        attached = true;
        out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    }
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        const std::wstring wide = widen(text);
        DWORD written = 0;
        // A console takes UTF-16 as it is; a pipe or file gets the UTF-8 bytes.
        if (!WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr))
            WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        if (attached) {
            CloseHandle(out);
            FreeConsole();
        }
        return;
    }
    MessageBoxW(nullptr, widen(text).c_str(), widen(title).c_str(), MB_OK);
}

}  // namespace pw::win32
