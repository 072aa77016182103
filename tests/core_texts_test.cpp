// The user's texts: placeholders are filled in one pass.
#include <gtest/gtest.h>

#include "res/Texts.h"

TEST(Texts, FormatFillsPlaceholdersOnceAndLeavesTheRest) {
  EXPECT_EQ(res::Format("a%1b%2c", {"x", "y"}), "axbyc");
  EXPECT_EQ(res::Format("%2-%1", {"x", "y"}), "y-x");
  // An argument that looks like a placeholder is not filled again.
  EXPECT_EQ(res::Format("%1 %2", {"%2", "z"}), "%2 z");
  // Missing arguments, a lone percent sign and a final one stay as written.
  EXPECT_EQ(res::Format("%1 %3 100% %", {"x"}), "x %3 100% %");
  EXPECT_EQ(res::Format(res::kOpenFailed, {"why"}), "打开失败：why");
}
