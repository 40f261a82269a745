// What the shaping operations need of a window: a size, a picture and a shape. Forms and the
// picture boxes inside them both qualify.
#pragma once

#include <optional>

#include "platform/picture.hpp"
#include "platform/region.hpp"

namespace pw::win {

class Shapeable {
  public:
    virtual ~Shapeable() = default;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    virtual void SetWidth(float twips) = 0;
    virtual void SetHeight(float twips) = 0;
    // `number` names the picture in traces (a sprite number), or nullopt.
    virtual void SetPicture(platform::Picture picture, std::optional<int> number) = 0;
    // SetWindowRgn: the window takes the region; false where the platform refuses it.
    virtual bool ApplyRegion(Region region) = 0;
};

}  // namespace pw::win
