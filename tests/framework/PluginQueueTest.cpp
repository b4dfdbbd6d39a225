#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "framework/PluginQueue.h"
#include "framework/QueueRecords.h"

namespace {

using plugkit::ISysExMsg;
using plugkit::ParamTuple;
using plugkit::PluginQueue;
using plugkit::SysExData;

TEST(PluginQueue, HoldsItsCapacityThenDropsUntilAnEntryIsTaken)
{
  // With one slot the turn numbers of consecutive laps would coincide and a
  // second push would overwrite the first: the queue keeps at least two.
  for (const int capacity : {512, 1})
  {
    PluginQueue<ParamTuple> queue(capacity);
    const int held = capacity < 2 ? 2 : capacity;
    for (int i = 0; i < held; ++i)
      ASSERT_TRUE(queue.Push({i, i * 0.5})) << "entry " << i;
    EXPECT_FALSE(queue.Push({held, 0.0}));
    EXPECT_EQ(queue.ElementsAvailable(), static_cast<size_t>(held));
    ParamTuple out;
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.idx, 0);
    EXPECT_TRUE(queue.Push({513, 1.0}));
    EXPECT_FALSE(queue.Push({514, 1.0}));
  }
}

TEST(PluginQueue, DeliversInOrderAcrossManyLaps)
{
  PluginQueue<ParamTuple> queue(4);
  ParamTuple out;
  EXPECT_FALSE(queue.Pop(out));
  int next = 0;
  for (int lap = 0; lap < 10; ++lap)
  {
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(queue.Push({lap * 3 + i, 0.0}));
    while (queue.Pop(out))
      EXPECT_EQ(out.idx, next++);
    EXPECT_EQ(queue.ElementsAvailable(), 0u);
  }
  EXPECT_EQ(next, 30);
}

TEST(SysExRecord, KeepsTheSizeOfWhatItHolds)
{
  uint8_t bytes[700];
  for (int i = 0; i < 700; ++i)
    bytes[i] = static_cast<uint8_t>(i * 7);
  const SysExData longMsg = SysExData::From(ISysExMsg{3, 700, bytes});
  EXPECT_TRUE(longMsg.mOffset == 3 && longMsg.mSize == SysExData::kMaxSize && longMsg.mData[511] == bytes[511]);
  EXPECT_EQ(SysExData::From(ISysExMsg{0, -40, bytes}).mSize, 0);
  const SysExData shortMsg = SysExData::From(ISysExMsg{0, 5, bytes});
  EXPECT_TRUE(shortMsg.mSize == 5 && shortMsg.mData[4] == bytes[4] && shortMsg.mData[5] == 0);
  const SysExData noData = SysExData::From(ISysExMsg{0, 8, nullptr});
  EXPECT_EQ(noData.mSize, 8);
  EXPECT_EQ(std::vector<uint8_t>(noData.mData, noData.mData + 8), std::vector<uint8_t>(8, 0));
  const ISysExMsg view = longMsg.AsMsg();
  EXPECT_TRUE(view.mSize == 512 && view.mData == longMsg.mData);
}

} // namespace
