// The game takes the keyboard focus when the user starts it, and afterwards only from itself.
#include "platform/focus_manners.hpp"

#include <gtest/gtest.h>

namespace pw::platform {
namespace {

TEST(FocusManners, TheFirstRequestTakesItLaterOnesOnlyFromTheGameItself) {
    FocusManners manners;
    EXPECT_TRUE(manners.may_take(false));   // the user has just started the game
    EXPECT_FALSE(manners.may_take(false));  // the user turned to another program
    EXPECT_TRUE(manners.may_take(true));    // the lamp still has it
    EXPECT_FALSE(manners.may_take(false));
}

}  // namespace
}  // namespace pw::platform
