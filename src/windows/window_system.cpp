#include "windows/window_system.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/json.hpp"
#include "windows/controls.hpp"
#include "windows/form.hpp"

namespace pw::win {

int twips_to_screen_px(double twips, int twips_per_pixel) {
    const double px = std::floor(twips / twips_per_pixel + 0.5);
    return static_cast<int>(std::clamp(px, -1e9, 1e9));
}

float WindowSystem::ScreenWidth() {
    const auto m = desktop_.screen();
    return static_cast<float>(m.width_px) * static_cast<float>(m.twips_per_pixel_x);
}

float WindowSystem::ScreenHeight() {
    const auto m = desktop_.screen();
    return static_cast<float>(m.height_px) * static_cast<float>(m.twips_per_pixel_y);
}

void WindowSystem::remove(Form* form) {
    std::erase(forms_, form);
}

void WindowSystem::PopupMenu(Menu& menu) {
    std::vector<platform::MenuItem> items;
    for (const auto& item : menu.items())
        items.push_back({item.caption});
    trace("menu", {});
    std::optional<int> chosen;
    {
        ModalScope modal(*this);
        chosen = desktop_.popup_menu(items);
    }
    if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(menu.items().size())) return;
    const MenuItem& item = menu.items()[static_cast<std::size_t>(*chosen)];
    json::Fields f;
    f.str("item", item.caption);
    trace("command", f.text());
    if (auto click = item.Click) click();
}

void WindowSystem::trace_windows(json::Fields& record) const {
    const auto m = desktop_.screen();
    record.array("windows");
    for (const Form* form : forms_) {
        record.item()
            .str("name", form->name())
            .boolean("visible", form->Visible())
            .num("left", twips_to_screen_px(form->Left(), m.twips_per_pixel_x))
            .num("top", twips_to_screen_px(form->Top(), m.twips_per_pixel_y))
            .num("width", twips_to_screen_px(form->Width(), m.twips_per_pixel_x))
            .num("height", twips_to_screen_px(form->Height(), m.twips_per_pixel_y));
        if (const auto& shape = form->WindowRgn())
            record.num("rects", shape->rect_count());
        else
            record.raw("rects", "null");
        const Colour c = form->BackColor();
        std::string back = "#";
        for (const std::uint8_t b : {c.r, c.g, c.b})
            json::append_hex_byte(back, b);
        record.str("back", back);
        if (const auto n = form->PictureNumber())
            record.num("picture", *n);
        else
            record.raw("picture", "null");
        record.close_object();
    }
    record.close_array();
}

}  // namespace pw::win
