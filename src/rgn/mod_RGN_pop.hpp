// Speech balloons: a left cap, a white centre piece with the text and a right cap, each its
// own window.
#pragma once

#include <string>
#include <string_view>

#include "platform/basic_types.hpp"
#include "windows/form.hpp"

namespace pw {

class Game;

inline constexpr const char* kMsgPopData = "リージョンデータの読み込みに失敗しました。";
inline constexpr const char* kMsgPopWindow = "ウィンドウの整形に失敗しました。";

// Fills the cap store.
void RGNPopInit(Game& g);
// Cuts a window to the shape of cap slot `slot` (0 to 4).
void RGNPopSetWindow(Game& g, int slot, win::Form& window);
// Builds, places and shows a balloon saying `sMsg` at the speaker point (nX, nY), twips.
// nDir 0 hangs it to the right of the point (the ship), 1 to the left (the boss).
void RGNPopShow(Game& g, const std::string& sMsg, Single nX, Single nY, Integer nDir,
                Integer bClose, const std::string& sCloseCaption);
// Closes the speech balloon: unloads its three windows.
void CloseBalloon(Game& g);

}  // namespace pw
