// A window kind's one program-wide instance: created with its design-time properties the
// first time it is touched, destroyed by Unload, created afresh on the next touch.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "windows/window_system.hpp"

namespace pw::win {

template <class T>
class Lazy {
  public:
    Lazy(WindowSystem& ws, std::string name) : ws_(&ws), name_(std::move(name)) {}

    T& get() {
        if (!form_) {
            form_ = std::make_unique<T>(*ws_, name_);
            if (auto load = on_load) load(*form_);
        }
        return *form_;
    }
    T* operator->() { return &get(); }
    T& operator*() { return get(); }

    bool loaded() const { return form_ != nullptr; }
    // The window if it exists, without creating it: for looking, not touching.
    const T* peek() const { return form_.get(); }
    // Unloading a window that does not exist does nothing.
    void Unload() { form_.reset(); }

    // Form_Load: runs on every creation; the place to install the window's event handlers.
    std::function<void(T&)> on_load;

  private:
    WindowSystem* ws_;
    std::string name_;
    std::unique_ptr<T> form_;
};

// A window array: N separate instances of one design, named "base(i)".
template <class T, std::size_t N>
class LazyArray {
  public:
    LazyArray(WindowSystem& ws, const std::string& base)
        : items_(make(ws, base, std::make_index_sequence<N>{})) {}

    Lazy<T>& operator[](std::size_t i) { return items_.at(i); }
    static constexpr std::size_t size() { return N; }

  private:
    template <std::size_t... I>
    static std::array<Lazy<T>, N> make(WindowSystem& ws, const std::string& base,
                                       std::index_sequence<I...>) {
        return {Lazy<T>(ws, base + "(" + std::to_string(I) + ")")...};
    }
    std::array<Lazy<T>, N> items_;
};

}  // namespace pw::win
