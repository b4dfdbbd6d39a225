// The scope history: its push rule, clearing and snapshots.
#include <gtest/gtest.h>

#include "dsp/ScopeHistory.h"

TEST(ScopeHistory, StartsEmptyWithItsFixedLayout)
{
  ScopeHistory h;
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.WriteIndex(), 0);
  EXPECT_EQ(h.LastIndex(), 705);
  EXPECT_EQ(h.Capacity(), 706);
  ScopeSnapshot s;
  EXPECT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, 0);
}

TEST(ScopeHistory, EntriesGoInOrderAndTheOldestDropsOnceFull)
{
  ScopeHistory h;
  for (int k = 0; k < 10; ++k)
    h.Push(k, k + 0.5, -k, k % 2);
  ScopeSnapshot s;
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, 10);
  EXPECT_EQ(s.writeIndex, 10);
  for (int k = 0; k < 10; ++k)
  {
    EXPECT_EQ(s.inputLevel[k], k);
    EXPECT_EQ(s.outputLevel[k], k + 0.5);
    EXPECT_EQ(s.gain[k], -k);
    EXPECT_EQ(s.ride[k], k % 2);
  }
  for (int k = 10; k < 706; ++k)
    h.Push(k, 0, 0, 0);
  // The 706th push lands on the last index: everything moves one place
  // toward the start and the last two entries both hold the newest value.
  EXPECT_EQ(h.Count(), 706);
  EXPECT_EQ(h.WriteIndex(), 705);
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.inputLevel[0], 1.0);
  EXPECT_EQ(s.inputLevel[704], 705.0);
  EXPECT_EQ(s.inputLevel[705], 705.0);
  h.Push(1000.0, 0, 0, 0);
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, 706);
  EXPECT_EQ(s.writeIndex, 705);
  EXPECT_EQ(s.inputLevel[0], 2.0);
  EXPECT_EQ(s.inputLevel[703], 705.0);
  EXPECT_EQ(s.inputLevel[704], 1000.0);
  EXPECT_EQ(s.inputLevel[705], 1000.0);
  h.Push(2000.0, 0, 0, 0);
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.inputLevel[703], 1000.0);
  EXPECT_EQ(s.inputLevel[704], 2000.0);
  EXPECT_EQ(s.inputLevel[705], 2000.0);
}

TEST(ScopeHistory, ClearEmptiesTheIndexes)
{
  ScopeHistory h;
  for (int k = 0; k < 20; ++k)
    h.Push(k, 0, 0, 0);
  const uint32_t version = h.Version();
  h.Clear();
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.WriteIndex(), 0);
  EXPECT_GT(h.Version(), version);
  h.Push(7.0, 0, 0, 0);
  ScopeSnapshot s;
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.inputLevel[0], 7.0);
}
