// The pixman side of Region: the pixman region it owns, for the Linux backends, which hand it
// to pixman themselves rather than copy it rectangle by rectangle.
#pragma once

#include <pixman.h>

#include "platform/region.hpp"

namespace pw {

struct Region::Impl {
    pixman_region32_t region;

    Impl() { pixman_region32_init(&region); }
    ~Impl() { pixman_region32_fini(&region); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
};

// The region's pixman region, still owned by the region.
inline const pixman_region32_t& pixman_region(const Region& r) {
    return r.impl().region;
}

}  // namespace pw
