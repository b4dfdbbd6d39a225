#include <gtest/gtest.h>

#include "graphics/PK_String.h"

// The framework library links with the containers it is built on.
TEST(FrameworkBuild, LinksWithTheContainers)
{
  PK_String s("plugkit");
  EXPECT_EQ(s.GetLength(), 7);
}
