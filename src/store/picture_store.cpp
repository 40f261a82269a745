#include "store/picture_store.hpp"

#include "art/art.hpp"

namespace pw {

const platform::Picture& PictureStore::pPicture(int n) {
    auto& p = pictures_.at(static_cast<std::size_t>(n));
    if (!p) p = art::sprite_picture(n);
    return p;
}

}  // namespace pw
