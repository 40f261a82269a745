#include "rgn/mod_RGN_Proc.hpp"

#include <algorithm>
#include <array>
#include <span>

#include "game/game_state.hpp"

namespace pw {
namespace {

// ExtCreateRegion over one block of the store, with the byte count its own header gives.
std::optional<Region> create_from_slot(Game& g, int slot) {
    const auto& block = g.rgnStore.RGNData.at(static_cast<std::size_t>(slot));
    const auto bytes = static_cast<std::size_t>(block[0]) + static_cast<std::size_t>(block[3]);
    // The words the region is read from: the header and the rectangles it counts.
    const std::size_t used = std::min(
        block.size(), kRgnHeaderWords + 4 * static_cast<std::size_t>(
                                                static_cast<std::uint32_t>(block[kRgnNCount])));
    const std::span<const std::int32_t> words(block.data(), used);
    auto& made = g.rgnStore.made.at(static_cast<std::size_t>(slot));
    if (!std::ranges::equal(made.words, words)) {
        made.words.assign(words.begin(), words.end());
        made.region = Region::from_data(block, bytes);
    }
    return made.region;
}

constexpr std::array<SpriteSize, 16> kSizes{{
    {375, 165},     // 0 lamp window
    {2445, 1425},   // 1 staff roll window
    {2655, 9195},   // 2 credits
    {2655, 870},    // 3 maker line
    {4500, 720},    // 4 title banner
    {555, 990},     // 5 boss core
    {15360, 1485},  // 6 scenery
    {15360, 1485},  // 7 scenery, boss stage
    {15360, 1485},  // 8 scenery in bloom
    {555, 990},     // 9 boss
    {915, 675},     // 10 beaten boss
    {285, 150},     // 11 ship
    {285, 150},     // 12 ship, invincible
    {315, 150},     // 13 enemy
    {180, 180},     // 14 flame A
    {180, 180},     // 15 flame B
}};

}  // namespace

std::optional<SpriteSize> SpriteSizeOf(int n) {
    if (n < 0 || n >= static_cast<int>(kSizes.size())) return std::nullopt;
    return kSizes[static_cast<std::size_t>(n)];
}

Region RGNCreate(Game& g, int slot) {
    auto region = create_from_slot(g, slot);
    if (!region) Fatal(g, kMsgRegionData);
    return std::move(*region);
}

void RGNApply(Game& g, Region region, win::Shapeable& window) {
    if (!window.ApplyRegion(std::move(region))) Fatal(g, kMsgWindowShape);
}

std::optional<Region> RGNSetWindow(Game& g, int slot, win::Shapeable& window) {
    RGNApply(g, RGNCreate(g, slot), window);
    // The hit mask: no failure test, a failed creation goes back to the caller as none.
    return create_from_slot(g, slot);
}

void RGNSetPicture(Game& g, int n, win::Shapeable& window) {
    window.SetPicture(g.pictures.pPicture(n), n);
}

void RGNSetSize(int n, win::Shapeable& window) {
    if (const auto size = SpriteSizeOf(n)) {
        window.SetHeight(size->height);
        window.SetWidth(size->width);
    }
}

}  // namespace pw
