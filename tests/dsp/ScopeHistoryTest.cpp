// The scope history: its push rule, clearing and snapshots.
#include <vector>

#include <gtest/gtest.h>

#include "dsp/ScopeHistory.h"

namespace
{
std::vector<double> InputLevels(const ScopeHistory& h)
{
  ScopeSnapshot s;
  EXPECT_TRUE(h.ReadSnapshot(s));
  return std::vector<double>(s.inputLevel.begin(), s.inputLevel.begin() + s.count);
}
}  // namespace

TEST(ScopeHistory, EntriesGoInOrderAndOnceFullTheOldestDropsAndTheNewestFillsTheLastTwo)
{
  ScopeHistory h;
  EXPECT_TRUE(InputLevels(h).empty());
  for (int k = 0; k < 10; ++k)
    h.Push(k, k + 0.5, -k, k % 2);
  ScopeSnapshot s;
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, 10);
  EXPECT_EQ(s.writeIndex, 10);
  for (int k = 0; k < 10; ++k)
    EXPECT_TRUE(s.inputLevel[k] == k && s.outputLevel[k] == k + 0.5 && s.gain[k] == -k && s.ride[k] == k % 2) << k;
  for (int k = 10; k < 706; ++k)
    h.Push(k, 0, 0, 0);
  // The 706th push lands on the last index: everything moves one place
  // toward the start and the last two entries both hold the newest value.
  std::vector<double> expected;
  for (int k = 1; k <= 705; ++k)
    expected.push_back(k);
  expected.push_back(705.0);
  EXPECT_EQ(InputLevels(h), expected);
  EXPECT_EQ(h.WriteIndex(), 705);
  for (double v : {1000.0, 2000.0})
  {
    h.Push(v, 0, 0, 0);
    expected.erase(expected.begin());
    expected.back() = v;
    expected.push_back(v);
    EXPECT_EQ(InputLevels(h), expected);
    EXPECT_EQ(h.WriteIndex(), 705);
  }
}
