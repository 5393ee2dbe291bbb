// Checks that the TrueType text engine starts, stops and starts again with
// the FreeType modules each build links (the web build adds its own set).
#include "engine/render/sprite.h"

#include <gtest/gtest.h>

namespace {

TEST(TrueType, StartsStopsAndStartsAgain) {
  ASSERT_EQ(TrueTypeInit(), 0);
  EXPECT_EQ(TrueTypeInit(), 0);  // a second start keeps the running library
  TrueTypeRelease();
  TrueTypeRelease();  // a second stop does nothing
  EXPECT_EQ(TrueTypeInit(), 0);
  TrueTypeRelease();
}

}  // namespace
