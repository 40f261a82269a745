// Region on pixman. pixman keeps regions in the X11 y-x banded form (bands split where rows
// change, maximal runs within a band, identical touching bands coalesced), which is the same
// canonical form GDI uses, so every pixel set has exactly one rectangle list and the
// rectangle counts - and so CombineRgn's Simple/Complex answer - match GDI's. The conformance
// tests check this for every operation against a pixel-by-pixel reference.
#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/ellipse.hpp"
#include "platform/region_pixman.hpp"

namespace pw {

namespace {

// pixman reports allocation failure by returning false and leaving a "broken" region behind.
void check(pixman_bool_t ok) {
    if (!ok) throw std::bad_alloc();
}

pixman_region32_t* raw(const Region& r) {
    // pixman's API takes non-const sources even where it only reads them.
    return const_cast<pixman_region32_t*>(&r.impl().region);
}

Rect ordered(Rect r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

bool is_empty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

pixman_box32_t to_box(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

RegionKind kind_of(const pixman_region32_t* r) {
    switch (pixman_region32_n_rects(const_cast<pixman_region32_t*>(r))) {
        case 0:
            return RegionKind::Null;
        case 1:
            return RegionKind::Simple;
        default:
            return RegionKind::Complex;
    }
}

}  // namespace

Region::Region() : impl_(std::make_unique<Impl>()) {}

Region::~Region() = default;

Region::Region(const Region& other) : Region() {
    check(pixman_region32_copy(raw(*this), raw(other)));
}

Region& Region::operator=(const Region& other) {
    check(pixman_region32_copy(raw(*this), raw(other)));
    return *this;
}

// The source keeps an Impl of its own so it stays a valid empty region; the pixman region
// itself moves by taking over its rectangle storage. Only the small Impl is allocated, and
// running out of memory for that ends the program.
Region::Region(Region&& other) noexcept : Region() {
    std::swap(impl_->region, other.impl_->region);
}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        std::swap(impl_, other.impl_);
        pixman_region32_clear(&other.impl_->region);
    }
    return *this;
}

Region Region::rectangle(Rect box) {
    Region result;
    box = ordered(box);
    if (!is_empty(box)) {
        pixman_region32_init_rect(&result.impl_->region, box.left, box.top,
                                  static_cast<unsigned>(std::int64_t{box.right} - box.left),
                                  static_cast<unsigned>(std::int64_t{box.bottom} - box.top));
    }
    return result;
}

Region Region::ellipse(Rect box) {
    std::vector<pixman_box32_t> rows;
    for (const Rect& r : ellipse_rows(box))
        rows.push_back(to_box(r));
    Region result;
    check(pixman_region32_init_rects(&result.impl_->region, rows.data(),
                                     static_cast<int>(rows.size())));
    return result;
}

std::optional<Region> Region::from_rect_words(std::span<const std::int32_t> words) {
    // The rectangles may come in any order and may touch or overlap; pixman sorts, drops the
    // empty ones and merges the rest into banded form.
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(words.size() / 4);
    for (std::size_t i = 0; i + 3 < words.size(); i += 4)
        boxes.push_back({words[i], words[i + 1], words[i + 2], words[i + 3]});
    Region result;
    check(pixman_region32_init_rects(&result.impl_->region, boxes.data(),
                                     static_cast<int>(boxes.size())));
    return result;
}

RegionKind Region::combine(const Region& a, const Region& b, CombineMode mode) {
    pixman_region32_t* dst = &impl_->region;
    switch (mode) {
        case CombineMode::And:
            check(pixman_region32_intersect(dst, raw(a), raw(b)));
            break;
        case CombineMode::Or:
            check(pixman_region32_union(dst, raw(a), raw(b)));
            break;
        case CombineMode::Diff:
            check(pixman_region32_subtract(dst, raw(a), raw(b)));
            break;
        case CombineMode::Copy:
            check(pixman_region32_copy(dst, raw(a)));
            break;
        case CombineMode::Xor: {
            // pixman has no xor; both halves are taken before dst (which may be a or b) changes.
            Impl a_only, b_only;
            check(pixman_region32_subtract(&a_only.region, raw(a), raw(b)));
            check(pixman_region32_subtract(&b_only.region, raw(b), raw(a)));
            check(pixman_region32_union(dst, &a_only.region, &b_only.region));
            break;
        }
        default:
            return RegionKind::Error;
    }
    return kind_of(dst);
}

RegionKind Region::kind() const {
    return kind_of(&impl_->region);
}

void Region::translate(std::int32_t dx, std::int32_t dy) {
    pixman_region32_translate(&impl_->region, dx, dy);
}

bool Region::rect_in(Rect r) const {
    r = ordered(r);
    if (is_empty(r)) return false;
    pixman_box32_t box = to_box(r);
    return pixman_region32_contains_rectangle(raw(*this), &box) != PIXMAN_REGION_OUT;
}

bool Region::contains(std::int32_t x, std::int32_t y) const {
    return pixman_region32_contains_point(raw(*this), x, y, nullptr);
}

bool Region::empty() const {
    return !pixman_region32_not_empty(raw(*this));
}

Rect Region::bounds() const {
    if (empty()) return {};
    const pixman_box32_t* e = pixman_region32_extents(raw(*this));
    return {e->x1, e->y1, e->x2, e->y2};
}

std::vector<Rect> Region::rects() const {
    int n = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(raw(*this), &n);
    std::vector<Rect> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    return out;
}

std::size_t Region::rect_count() const {
    return static_cast<std::size_t>(pixman_region32_n_rects(raw(*this)));
}

bool operator==(const Region& a, const Region& b) {
    return pixman_region32_equal(raw(a), raw(b));
}

}  // namespace pw
