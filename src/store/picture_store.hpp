// The picture store: sprite N's bitmap, shared by every window that shows picture N.
#pragma once

#include <array>

#include "platform/picture.hpp"

namespace pw {

class PictureStore {
  public:
    // Picture N (0 to 15), decoded the first time it is asked for.
    const platform::Picture& pPicture(int n);
    // Forgets the decoded pictures; windows that show one keep their shared copy.
    void Unload() { pictures_ = {}; }

  private:
    std::array<platform::Picture, 16> pictures_;
};

}  // namespace pw
