// The GDI side of Region: the HRGN it owns, for the Windows backend, which hands windows and
// painting calls the handle itself.
#pragma once

#include <windows.h>

#include "platform/region.hpp"

namespace pw {

struct Region::Impl {
    HRGN rgn;

    Impl();  // an empty region
    ~Impl() { DeleteObject(rgn); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
};

// The region's handle, still owned by the region.
inline HRGN native_handle(const Region& region) {
    return region.impl().rgn;
}

// A new handle with the same pixels, owned by the caller (SetWindowRgn takes it over).
HRGN duplicate_handle(const Region& region);

}  // namespace pw
