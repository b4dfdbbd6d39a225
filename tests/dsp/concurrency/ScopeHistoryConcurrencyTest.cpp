// The scope history read on one thread while another pushes: every snapshot
// is consistent, and the writer never waits.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "dsp/ScopeHistory.h"

TEST(ScopeHistoryConcurrency, SnapshotsAreConsistentWhileTheAudioThreadPushes)
{
  ScopeHistory h;
  std::atomic<bool> stop{false};
  std::atomic<int> pushes{0};
  // The history is cleared now and then, and in between it is full most of
  // the time: then every push moves all entries, which is when a reader
  // could see a torn copy.
  constexpr int kClearEvery = 5000;

  std::thread writer([&] {
    for (int v = 0; !stop.load(std::memory_order_acquire); ++v)
    {
      // Entry v: four related values, so a torn entry shows.
      h.Push(v, v + 1.0, v + 2.0, v + 3.0);
      if (v % kClearEvery == kClearEvery - 1)
        h.Clear();
      pushes.store(v + 1, std::memory_order_release);
      // Bursts of pushes with pauses: the reader, copying all the time,
      // overlaps every burst, and finishes its copies in the pauses even
      // when a copy is slower than a push (as under ThreadSanitizer). The
      // audio thread pushes only once per 0.1 s.
      if (v % 10 == 9)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });

  // Describes the first inconsistency of a snapshot, or returns empty.
  auto check = [](const ScopeSnapshot& snap) -> std::string {
    if (snap.count < 0 || snap.count > ScopeSnapshot::kCapacity)
      return "count " + std::to_string(snap.count);
    for (int k = 0; k < snap.count; ++k)
    {
      if (snap.outputLevel[k] != snap.inputLevel[k] + 1.0 || snap.gain[k] != snap.inputLevel[k] + 2.0 ||
          snap.ride[k] != snap.inputLevel[k] + 3.0)
        return "torn entry " + std::to_string(k);
      if (k + 1 < snap.count)
      {
        // Consecutive pushes; once full, the last two entries are equal.
        const double step = snap.inputLevel[k + 1] - snap.inputLevel[k];
        if (!(step == 1.0 || (step == 0.0 && k + 2 == snap.count)))
          return "entries out of order at " + std::to_string(k);
      }
    }
    return {};
  };

  int good = 0, full = 0;
  std::string problem;
  ScopeSnapshot s;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((good < 1500 || full < 50 || pushes.load(std::memory_order_acquire) < 4000) && problem.empty() &&
         std::chrono::steady_clock::now() < deadline)
  {
    if (!h.ReadSnapshot(s))
      continue;
    ++good;
    if (s.count == ScopeSnapshot::kCapacity)
      ++full;
    problem = check(s);
  }
  stop.store(true, std::memory_order_release);
  writer.join();
  EXPECT_EQ(problem, "");
  EXPECT_GT(good, 100);
  EXPECT_GT(pushes.load(), 0);
}
