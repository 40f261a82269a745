// Dressing a window as a sprite: its size from the size table, its picture from the picture
// store and its outline from the region store.
#pragma once

#include "platform/region.hpp"
#include "windows/shapeable.hpp"

namespace pw {

class Game;

inline constexpr const char* kMsgRegionData = "It failed in reading of region data.";
inline constexpr const char* kMsgWindowShape = "It failed in plastic surgery of a window.";

// A new region with the shape of slot `slot` (0 to 16); the caller owns it.
Region RGNCreate(Game& g, int slot);
// Puts a region on a window, which owns it from then on.
void RGNApply(Game& g, Region region, win::Shapeable& window);
// Shapes the window as slot `slot` and returns a second copy of the shape: the hit mask, in
// window-local pixels.
std::optional<Region> RGNSetWindow(Game& g, int slot, win::Shapeable& window);
// Gives the window picture `n` (0 to 15) of the picture store.
void RGNSetPicture(Game& g, int n, win::Shapeable& window);
// Sizes the window as sprite `n`; a number outside the size table changes nothing.
void RGNSetSize(int n, win::Shapeable& window);

struct SpriteSize {
    float width, height;  // twips
};
// The size table; nullopt for a number it does not list.
std::optional<SpriteSize> SpriteSizeOf(int n);

}  // namespace pw
