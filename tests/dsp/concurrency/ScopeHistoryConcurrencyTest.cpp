// The scope history read on one thread while another pushes: every snapshot
// is consistent, and the writer never waits.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "dsp/ScopeHistory.h"

TEST(ScopeHistoryConcurrency, SnapshotsAreConsistentWhileTheAudioThreadPushes)
{
  ScopeHistory h;
  std::atomic<bool> done{false};
  constexpr int kPushes = 4000;

  std::thread writer([&] {
    for (int v = 0; v < kPushes; ++v)
    {
      // Entry v: four related values, so a torn entry shows.
      h.Push(v, v + 1.0, v + 2.0, v + 3.0);
      if (v % 500 == 499)
        h.Clear();
    }
    done.store(true, std::memory_order_release);
  });

  int good = 0;
  ScopeSnapshot s;
  while (!done.load(std::memory_order_acquire) || good == 0)
  {
    if (!h.ReadSnapshot(s))
      continue;
    ++good;
    ASSERT_GE(s.count, 0);
    ASSERT_LE(s.count, ScopeSnapshot::kCapacity);
    for (int k = 0; k < s.count; ++k)
    {
      ASSERT_EQ(s.outputLevel[k], s.inputLevel[k] + 1.0) << k;
      ASSERT_EQ(s.gain[k], s.inputLevel[k] + 2.0) << k;
      ASSERT_EQ(s.ride[k], s.inputLevel[k] + 3.0) << k;
      if (k + 1 < s.count)
      {
        // Consecutive pushes; once full, the last two entries are equal.
        const double step = s.inputLevel[k + 1] - s.inputLevel[k];
        ASSERT_TRUE(step == 1.0 || (step == 0.0 && k + 2 == s.count)) << k << " step " << step;
      }
    }
  }
  writer.join();
  EXPECT_GT(good, 0);
  ASSERT_TRUE(h.ReadSnapshot(s));
  EXPECT_EQ(s.count, (kPushes % 500 == 0) ? 0 : kPushes % 500);
}
