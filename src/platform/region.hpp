// Region: a set of pixels kept as a banded rectangle list in canonical y-x form, with the
// semantics of the Windows GDI region calls the game was designed around. A Region is a
// value: copies are deep, moves transfer ownership, and the destructor frees it, so no region
// can leak or be freed twice. On Linux it wraps pixman_region32_t, on Windows an HRGN.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace pw {

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What CombineRgn reports about its result.
enum class RegionKind : int { Error = 0, Null = 1, Simple = 2, Complex = 3 };

enum class CombineMode : int { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

class Region {
  public:
    Region();  // empty
    ~Region();
    Region(const Region& other);
    Region& operator=(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(Region&& other) noexcept;

    // CreateRectRgn: the corners are ordered first; an empty box gives an empty region.
    static Region rectangle(Rect box);
    // CreateEllipticRgn: the ellipse inscribed in the box, right and bottom exclusive; a box
    // under 2 pixels wide or high is a plain rectangle.
    static Region ellipse(Rect box);
    // ExtCreateRegion with the identity transform over a region-data block: 8 header words
    // (dwSize = 32, iType = 1, nCount, nRgnSize, rcBound) followed by nCount rectangles.
    // `bytes` is the byte count the caller hands over (dwSize + nRgnSize). Returns nullopt
    // where the real call returns a null handle: a malformed header or too few bytes.
    static std::optional<Region> from_data(std::span<const std::int32_t> block, std::size_t bytes);

    // CombineRgn into *this; `a` and `b` may be *this.
    RegionKind combine(const Region& a, const Region& b, CombineMode mode);
    RegionKind kind() const;
    void offset(std::int32_t dx, std::int32_t dy);
    // RectInRegion: true when any pixel of the rectangle lies in the region.
    bool rect_in(Rect r) const;
    bool contains(std::int32_t x, std::int32_t y) const;
    bool empty() const;
    Rect bounds() const;
    std::vector<Rect> rects() const;  // canonical band order
    std::size_t rect_count() const;

    friend bool operator==(const Region& a, const Region& b);

    // The backend's own representation, for the platform layer only.
    struct Impl;
    const Impl& impl() const { return *impl_; }

  private:
    // The backend's own parts; the checks around them are shared by both builds.
    // Rectangles of 4 words each, in any order; nullopt where the platform refuses them.
    static std::optional<Region> from_rect_words(std::span<const std::int32_t> words);
    void translate(std::int32_t dx, std::int32_t dy);  // the move must fit in 32 bits

    std::unique_ptr<Impl> impl_;
};

}  // namespace pw
