// Region on gdi32: each Region owns one HRGN and every operation is the GDI call of the same
// name, so on Windows the game's shapes are exactly what the system makes of them. The checks
// made before a call keep the Linux and Windows builds to one behaviour where GDI leaves a
// case open (malformed region blocks, coordinates pushed past the 32-bit range); the same
// conformance tests hold both builds to it.
#include "platform/region_gdi.hpp"

#include "platform/ellipse.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace pw {

namespace {

HRGN new_empty() {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (!rgn) throw std::bad_alloc();
    return rgn;
}

// GDI answers ERROR only when it could not allocate or was handed a bad handle.
RegionKind checked(int result) {
    if (result == ERROR) throw std::bad_alloc();
    return static_cast<RegionKind>(result);
}

Rect ordered(Rect r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

bool is_empty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// ExtCreateRegion over rectangles in any order, overlapping or empty; GDI merges them into
// banded form. Null where GDI refuses.
HRGN rgn_from_rects(std::span<const std::int32_t> rect_words) {
    constexpr std::size_t header_words = sizeof(RGNDATAHEADER) / sizeof(std::int32_t);
    const std::size_t count = rect_words.size() / 4;
    std::vector<std::int32_t> data(header_words + rect_words.size());
    std::copy(rect_words.begin(), rect_words.end(), data.begin() + header_words);
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(count);
    header->nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    SetRectEmpty(&header->rcBound);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size() * sizeof(std::int32_t)),
                           reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace

Region::Impl::Impl() : rgn(new_empty()) {}

HRGN duplicate_handle(const Region& region) {
    HRGN copy = new_empty();
    if (CombineRgn(copy, native_handle(region), nullptr, RGN_COPY) == ERROR) {
        DeleteObject(copy);
        throw std::bad_alloc();
    }
    return copy;
}

Region::Region() : impl_(std::make_unique<Impl>()) {}

Region::~Region() = default;

Region::Region(const Region& other) : Region() {
    checked(CombineRgn(impl_->rgn, other.impl_->rgn, nullptr, RGN_COPY));
}

Region& Region::operator=(const Region& other) {
    checked(CombineRgn(impl_->rgn, other.impl_->rgn, nullptr, RGN_COPY));
    return *this;
}

// The source keeps a handle of its own so it stays a valid empty region.
Region::Region(Region&& other) noexcept : Region() {
    std::swap(impl_->rgn, other.impl_->rgn);
}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        std::swap(impl_->rgn, other.impl_->rgn);
        SetRectRgn(other.impl_->rgn, 0, 0, 0, 0);
    }
    return *this;
}

Region Region::rectangle(Rect box) {
    Region result;
    box = ordered(box);
    if (!is_empty(box)) SetRectRgn(result.impl_->rgn, box.left, box.top, box.right, box.bottom);
    return result;
}

// The rows come from the walk both builds share rather than from CreateEllipticRgn itself,
// whose pixels differ between Windows and Wine (and Wine's are not always in banded form).
Region Region::ellipse(Rect box) {
    std::vector<std::int32_t> rows;
    for (const Rect& r : ellipse_rows(box))
        rows.insert(rows.end(), {r.left, r.top, r.right, r.bottom});
    if (rows.empty()) return Region();
    auto result = from_rect_words(rows);
    if (!result) throw std::bad_alloc();
    return std::move(*result);
}

std::optional<Region> Region::from_rect_words(std::span<const std::int32_t> words) {
    HRGN rgn = rgn_from_rects(words);
    if (!rgn) return std::nullopt;
    Region result;
    std::swap(result.impl_->rgn, rgn);
    DeleteObject(rgn);
    return result;
}

RegionKind Region::combine(const Region& a, const Region& b, CombineMode mode) {
    switch (mode) {
        case CombineMode::And:
        case CombineMode::Or:
        case CombineMode::Xor:
        case CombineMode::Diff:
            return checked(
                CombineRgn(impl_->rgn, a.impl_->rgn, b.impl_->rgn, static_cast<int>(mode)));
        case CombineMode::Copy:
            return checked(CombineRgn(impl_->rgn, a.impl_->rgn, nullptr, RGN_COPY));
        default:
            return RegionKind::Error;
    }
}

RegionKind Region::kind() const {
    RECT box;
    return checked(GetRgnBox(impl_->rgn, &box));
}

void Region::translate(std::int32_t dx, std::int32_t dy) {
    checked(OffsetRgn(impl_->rgn, dx, dy));
}

bool Region::rect_in(Rect r) const {
    r = ordered(r);
    if (is_empty(r)) return false;
    const RECT box{r.left, r.top, r.right, r.bottom};
    return RectInRegion(impl_->rgn, &box) != FALSE;
}

bool Region::contains(std::int32_t x, std::int32_t y) const {
    return PtInRegion(impl_->rgn, x, y) != FALSE;
}

bool Region::empty() const {
    return kind() == RegionKind::Null;
}

Rect Region::bounds() const {
    RECT box;
    if (checked(GetRgnBox(impl_->rgn, &box)) == RegionKind::Null) return {};
    return {box.left, box.top, box.right, box.bottom};
}

std::vector<Rect> Region::rects() const {
    const DWORD size = GetRegionData(impl_->rgn, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) throw std::bad_alloc();
    // DWORD-aligned storage for the header and the rectangles behind it.
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(impl_->rgn, size, data) == 0) throw std::bad_alloc();
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    std::vector<Rect> out;
    out.reserve(data->rdh.nCount);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        out.push_back({rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    return out;
}

std::size_t Region::rect_count() const {
    // The size query alone tells the count: the header and one RECT per rectangle.
    const DWORD size = GetRegionData(impl_->rgn, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) throw std::bad_alloc();
    return (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
}

bool operator==(const Region& a, const Region& b) {
    return EqualRgn(a.impl_->rgn, b.impl_->rgn) != FALSE;
}

}  // namespace pw
