#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

// A host may set parameters from its audio thread and its main thread at
// once: every value reaches the parameter and the editor's queue.
TEST(AUParameterConcurrency, TwoHostThreadsSetParametersWithoutLosingEditorUpdates)
{
  HostedUnit host(Road::Factory);
  AUTestPlugin& p = host.Plugin();
  p.DrainToEditor();
  constexpr int kPerThread = 200;
  auto setMany = [&](AudioUnitParameterID id) {
    for (int i = 0; i < kPerThread; ++i)
      AudioUnitSetParameter(host.Unit(), id, kAudioUnitScope_Global, 0, static_cast<float>(i % 10), 0);
  };
  std::thread audio(setMany, 0);
  std::thread main(setMany, 2);
  audio.join();
  main.join();
  const std::vector<plugkit::ParamTuple> queued = p.DrainToEditor();
  ASSERT_EQ(queued.size(), 2u * kPerThread);
  int perParam[3] = {};
  for (const plugkit::ParamTuple& t : queued)
    ++perParam[t.idx];
  EXPECT_EQ(perParam[0], kPerThread);
  EXPECT_EQ(perParam[2], kPerThread);
  EXPECT_FLOAT_EQ(host.Param(0), 9.0f);
  EXPECT_FLOAT_EQ(host.Param(2), 9.0f);
}

} // namespace
