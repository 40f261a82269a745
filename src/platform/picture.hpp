// Picture: an immutable bitmap shared by every window that shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pw::platform {

class Picture {
  public:
    Picture() = default;  // no picture
    // Pixels are 0xAARRGGBB, row by row; alpha is 0 (transparent) or 255.
    Picture(int width, int height, std::vector<std::uint32_t> argb)
        : data_(std::make_shared<const Data>(Data{width, height, std::move(argb)})) {}

    explicit operator bool() const { return data_ != nullptr; }
    int width() const { return data_ ? data_->width : 0; }
    int height() const { return data_ ? data_->height : 0; }
    std::span<const std::uint32_t> pixels() const {
        return data_ ? std::span<const std::uint32_t>(data_->argb)
                     : std::span<const std::uint32_t>();
    }
    // Identity of the shared bitmap, for backends that cache converted copies.
    const void* id() const { return data_.get(); }
    friend bool operator==(const Picture& a, const Picture& b) { return a.data_ == b.data_; }

  private:
    struct Data {
        int width;
        int height;
        std::vector<std::uint32_t> argb;
    };
    std::shared_ptr<const Data> data_;
};

}  // namespace pw::platform
