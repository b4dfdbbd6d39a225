#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/PluginQueue.h"
#include "framework/QueueRecords.h"

namespace {

using plugkit::ParamTuple;
using plugkit::PluginQueue;

constexpr int kPerProducer = 20000;

// Pushes kPerProducer entries tagged with the producer's id, retrying while
// the queue is full, so every entry must arrive exactly once.
void Produce(PluginQueue<ParamTuple>& queue, int producer)
{
  for (int i = 0; i < kPerProducer; ++i)
  {
    while (!queue.Push({producer, static_cast<double>(i)}))
      std::this_thread::yield();
  }
}

// Takes entries until `expected` have arrived; each producer's entries must
// come in the order it pushed them, with none lost or repeated.
void ConsumeAndCheck(PluginQueue<ParamTuple>& queue, int producers)
{
  std::vector<int> next(static_cast<size_t>(producers), 0);
  int received = 0;
  ParamTuple out;
  while (received < producers * kPerProducer)
  {
    if (!queue.Pop(out))
    {
      std::this_thread::yield();
      continue;
    }
    ASSERT_GE(out.idx, 0);
    ASSERT_LT(out.idx, producers);
    ASSERT_EQ(out.value, static_cast<double>(next[static_cast<size_t>(out.idx)])) << "producer " << out.idx;
    ++next[static_cast<size_t>(out.idx)];
    ++received;
  }
  EXPECT_EQ(queue.ElementsAvailable(), 0u);
  EXPECT_FALSE(queue.Pop(out));
}

TEST(PluginQueueThreads, OneProducerAndOneConsumerLoseNothing)
{
  PluginQueue<ParamTuple> queue(512);
  std::thread producer(Produce, std::ref(queue), 0);
  ConsumeAndCheck(queue, 1);
  producer.join();
}

TEST(PluginQueueThreads, TwoProducersAtOnceLoseNothingAndReplayNothing)
{
  // A host may set parameters from its audio thread and its main thread at
  // the same time; both feed the queue toward the editor.
  PluginQueue<ParamTuple> queue(512);
  std::thread audio(Produce, std::ref(queue), 0);
  std::thread main(Produce, std::ref(queue), 1);
  ConsumeAndCheck(queue, 2);
  audio.join();
  main.join();
}

TEST(PluginQueueThreads, ProducersRacingIntoAFullQueueDropWithoutCorruption)
{
  // Nobody drains while four producers push: exactly the capacity arrives,
  // every entry whole.
  PluginQueue<ParamTuple> queue(64);
  std::atomic<int> accepted{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < 4; ++p)
    producers.emplace_back([&, p] {
      for (int i = 0; i < 1000; ++i)
        if (queue.Push({p, static_cast<double>(p * 1000 + i)}))
          ++accepted;
    });
  for (std::thread& t : producers)
    t.join();
  EXPECT_EQ(accepted.load(), 64);
  ParamTuple out;
  int popped = 0;
  while (queue.Pop(out))
  {
    EXPECT_EQ(static_cast<int>(out.value) / 1000, out.idx);
    ++popped;
  }
  EXPECT_EQ(popped, 64);
}

} // namespace
