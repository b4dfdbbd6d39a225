#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::RecordingProcessor;
using plugkit::kInput;
using plugkit::kOutput;
using plugkit::PluginConfig;

namespace {

PluginConfig ConfigWith(const char* channelIO, int pluginType = 0, bool midiIn = false)
{
  PluginConfig config;
  config.channelIOStr = channelIO;
  config.pluginType = pluginType;
  config.midiIn = midiIn;
  return config;
}

const char* const kProductIO = "1-1 1.1-1 1.2-1 2-2 2.1-2 2.2-2";

std::string BusName(const RecordingProcessor& proc, plugkit::EChannelDirection dir, int idx, int n)
{
  PK_String s;
  proc.GetBusName(dir, idx, n, s);
  return s.Get();
}

std::string FourCC(uint32_t code)
{
  return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
          static_cast<char>(code)};
}

} // namespace

// Channel layouts ---------------------------------------------------------------------------------

TEST(ChannelIO, TheProductLayouts)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  ASSERT_EQ(proc.NIOConfigs(), 6);
  EXPECT_EQ(proc.MaxNChannels(kInput), 4);
  EXPECT_EQ(proc.MaxNChannels(kOutput), 2);
  EXPECT_EQ(proc.MaxNBuses(kInput), 2);
  EXPECT_EQ(proc.MaxNBuses(kOutput), 1);

  const std::vector<std::vector<int>> inputs = {{1}, {1, 1}, {1, 2}, {2}, {2, 1}, {2, 2}};
  const std::vector<int> outputs = {1, 1, 1, 2, 2, 2};
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_EQ(proc.GetIOConfigWithChanCounts(inputs[static_cast<size_t>(i)], {outputs[static_cast<size_t>(i)]}), i);
  }
  EXPECT_EQ(proc.GetIOConfigWithChanCounts({2, 2}, {}), -1);
  EXPECT_EQ(proc.MaxNChannelsForBus(kInput, 0), 2);
  EXPECT_EQ(proc.MaxNChannelsForBus(kInput, 1), 2);
  EXPECT_EQ(proc.MaxNChannelsForBus(kOutput, 0), 2);
}

TEST(ChannelIO, Legality)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  const struct { int in, out; bool legal; } cases[] = {
    {2, 2, true}, {3, 1, true}, {2, 1, true}, {-1, 2, true}, {-1, -1, true},
    {4, -1, true}, {5, 2, false}, {1, 2, false}, {-1, 3, false}, {0, 0, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(proc.IsLegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;

  RecordingProcessor none(ConfigWith(""));
  EXPECT_FALSE(none.IsLegalIO(-1, -1));
  EXPECT_EQ(none.MaxNBuses(kInput), 0);
}

TEST(ChannelIO, SeparatorRunsWildcardsAndBadPieces)
{
  RecordingProcessor proc(ConfigWith("  *-2   1..x.1--1 3 -4 "));
  // "3" and "-4" name only one side and are skipped.
  ASSERT_EQ(proc.NIOConfigs(), 2);
  EXPECT_EQ(proc.GetIOConfig(0)->GetBusInfo(kInput, 0)->mNChans, -64);
  EXPECT_EQ(proc.GetIOConfig(1)->NBuses(kInput), 2);
  EXPECT_EQ(proc.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_TRUE(proc.IsLegalIO(-1, 2));
  EXPECT_FALSE(proc.IsLegalIO(64, 2));
  EXPECT_TRUE(proc.IsLegalIO(2, 1));
}

TEST(ChannelIO, MaxBusesReportsTheLastTiedLayout)
{
  RecordingProcessor proc(ConfigWith("1-1 2-2"));
  int idx = -1;
  EXPECT_EQ(proc.MaxNBuses(kInput, &idx), 1);
  EXPECT_EQ(idx, 1);
}

TEST(ChannelIO, BusNames)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  EXPECT_EQ(BusName(proc, kInput, 0, 1), "Input");
  EXPECT_EQ(BusName(proc, kInput, 0, 2), "Main");
  EXPECT_EQ(BusName(proc, kInput, 1, 2), "Aux");
  EXPECT_EQ(BusName(proc, kInput, 3, 4), "Input 3");
  EXPECT_EQ(BusName(proc, kOutput, 0, 1), "Output");
  EXPECT_EQ(BusName(proc, kOutput, 1, 3), "Output 1");
}

TEST(ChannelIO, ComponentTypes)
{
  EXPECT_EQ(FourCC(RecordingProcessor(ConfigWith(kProductIO, 0)).GetAUComponentType()), "aufx");
  EXPECT_EQ(FourCC(RecordingProcessor(ConfigWith(kProductIO, 0, true)).GetAUComponentType()), "aumf");
  EXPECT_EQ(FourCC(RecordingProcessor(ConfigWith(kProductIO, 1)).GetAUComponentType()), "aumu");
  EXPECT_EQ(FourCC(RecordingProcessor(ConfigWith(kProductIO, 2)).GetAUComponentType()), "aumi");
  EXPECT_EQ(FourCC(RecordingProcessor(ConfigWith(kProductIO, 7)).GetAUComponentType()), "aufx");
}

// The buffer road ---------------------------------------------------------------------------------

TEST(ProcessorBuffers, UnconnectedInputsConsumeNoHostBuffer)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  proc.SetBlockSize(8);
  proc.SetChannelConnections(kInput, 0, 4, false);
  proc.SetChannelConnections(kInput, 1, 1, true);
  proc.SetChannelConnections(kInput, 3, 1, true);
  EXPECT_EQ(proc.NChannelsConnected(kInput), 2);

  std::vector<float> a(8, 0.5f), b(8, -0.25f);
  float* host[] = {a.data(), b.data()};
  proc.AttachInputBuffers(kInput, 0, 4, host, 8);

  proc.SetChannelConnections(kOutput, 0, 2, true);
  std::vector<float> o0(8, 9.f), o1(8, 9.f), o2(8, 9.f), o3(8, 9.f);
  float* outs[] = {o0.data(), o1.data()};
  proc.AttachInputBuffers(kOutput, 0, 2, outs, 8);
  proc.ProcessBuffers(8);

  // The default block copies input i to output i: input 0 is unconnected
  // (zero scratch), input 1 got the first host buffer.
  EXPECT_EQ(o0, std::vector<float>(8, 0.0f));
  EXPECT_EQ(o1, a);
}

TEST(ProcessorBuffers, FloatSamplesSurviveWideningAndNarrowing)
{
  RecordingProcessor proc(ConfigWith("2-2"));
  proc.SetBlockSize(6);
  proc.SetChannelConnections(kInput, 0, 2, true);
  proc.SetChannelConnections(kOutput, 0, 2, true);
  std::vector<float> l = {0.1f, -0.3f, 1e-30f, 3.4e38f, -0.0f, 0.7071068f};
  std::vector<float> r = {1.0f, -1.0f, 0.5f, 1e-40f, 123.456f, -7.0f};
  std::vector<float> ol(6), orr(6);
  float* ins[] = {l.data(), r.data()};
  float* outs[] = {ol.data(), orr.data()};
  proc.AttachInputBuffers(kInput, 0, 2, ins, 6);
  proc.AttachInputBuffers(kOutput, 0, 2, outs, 6);
  proc.ProcessBuffers(6);
  EXPECT_EQ(ol, l);
  EXPECT_EQ(orr, r);
}

TEST(ProcessorBuffers, DefaultBlockCopiesAndZeroes)
{
  RecordingProcessor proc(ConfigWith("1-2"));
  std::vector<double> in = {1, 2, 3}, out0(3, 9), out1(3, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  proc.ProcessBlock(ins, outs, 3);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<double>(3, 0.0));
}

TEST(ProcessorBuffers, PassThroughIgnoresTheSubclassBlock)
{
  struct Inverting : RecordingProcessor
  {
    using RecordingProcessor::RecordingProcessor;
    void ProcessBlock(double** inputs, double** outputs, int n) override
    {
      for (int s = 0; s < n; ++s)
        outputs[0][s] = -inputs[0][s];
    }
  };
  Inverting proc(ConfigWith("1-1"));
  proc.SetBlockSize(4);
  proc.SetChannelConnections(kInput, 0, 1, true);
  proc.SetChannelConnections(kOutput, 0, 1, true);
  std::vector<float> in = {1, 2, 3, 4}, out(4);
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};

  proc.AttachInputBuffers(kInput, 0, 1, ins, 4);
  proc.AttachInputBuffers(kOutput, 0, 1, outs, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(out, (std::vector<float>{-1, -2, -3, -4}));

  proc.AttachInputBuffers(kInput, 0, 1, ins, 4);
  proc.AttachInputBuffers(kOutput, 0, 1, outs, 4);
  proc.PassThroughBuffers(4);
  EXPECT_EQ(out, in);

  proc.AttachInputBuffers(kInput, 0, 1, ins, 4);
  proc.AttachInputBuffers(kOutput, 0, 1, outs, 4);
  proc.ProcessBuffersAccumulating(4);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0}));
}

TEST(ProcessorBuffers, AnOutputWithoutAnAttachedBufferIsNotWritten)
{
  RecordingProcessor proc(ConfigWith("2-2"));
  proc.SetBlockSize(4);
  proc.SetChannelConnections(kInput, 0, 2, true);
  proc.SetChannelConnections(kOutput, 0, 2, true);
  std::vector<float> in0 = {1, 1, 1, 1}, in1 = {2, 2, 2, 2};
  float* ins[] = {in0.data(), in1.data()};

  // Both outputs connected, neither ever attached: no buffer to write to.
  proc.AttachInputBuffers(kInput, 0, 2, ins, 4);
  proc.ProcessBuffers(4);

  // A block with both attached, then one with only the first: the second
  // output's buffer of the earlier block must not be written again.
  std::vector<float> a(4), b(4);
  float* both[] = {a.data(), b.data()};
  proc.AttachInputBuffers(kInput, 0, 2, ins, 4);
  proc.AttachInputBuffers(kOutput, 0, 2, both, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(b, in1);

  std::fill(b.begin(), b.end(), 5.0f);
  in1.assign(4, 3.0f);
  float* first[] = {a.data()};
  proc.AttachInputBuffers(kInput, 0, 2, ins, 4);
  proc.AttachInputBuffers(kOutput, 0, 1, first, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(a, in0);
  EXPECT_EQ(b, std::vector<float>(4, 5.0f));
}

TEST(ProcessorBuffers, ABlockLongerThanTheBlockSizeStaysInsideTheScratch)
{
  RecordingProcessor proc(ConfigWith("1-1"));
  proc.SetBlockSize(4);
  proc.SetChannelConnections(kInput, 0, 1, true);
  proc.SetChannelConnections(kOutput, 0, 1, true);
  std::vector<float> in(10, 0.5f), out(10, 9.0f);
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};
  proc.AttachInputBuffers(kInput, 0, 1, ins, 10);
  proc.AttachInputBuffers(kOutput, 0, 1, outs, 10);
  proc.ProcessBuffers(10);
  const std::vector<float> expected = {0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(out, expected);
}

TEST(ProcessorBuffers, BlockSizeChangesZeroTheScratch)
{
  RecordingProcessor proc(ConfigWith("1-1"));
  proc.SetBlockSize(4);
  proc.SetChannelConnections(kInput, 0, 1, true);
  std::vector<float> in = {1, 2, 3, 4};
  float* ins[] = {in.data()};
  proc.AttachInputBuffers(kInput, 0, 1, ins, 4);
  proc.SetChannelConnections(kInput, 0, 1, false);

  // Unconnected: the channel reads its own scratch, which still holds the
  // block, then is zeroed by a new size.
  std::vector<double> out(4);
  double* outs[] = {out.data()};
  proc.SetBlockSize(4);
  proc.AttachBuffers(kOutput, 0, 1, outs);
  proc.ProcessDoubleBuffers(4);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 0})) << "unconnected outputs take no buffer";

  proc.SetChannelConnections(kOutput, 0, 1, true);
  proc.AttachBuffers(kOutput, 0, 1, outs);
  proc.ProcessDoubleBuffers(4);
  EXPECT_EQ(out, (std::vector<double>{1, 2, 3, 4}));

  proc.SetBlockSize(2);
  proc.SetChannelConnections(kOutput, 0, 1, true);
  proc.AttachBuffers(kOutput, 0, 1, outs);
  proc.ProcessDoubleBuffers(2);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 3, 4}));
}

// Other defaults -----------------------------------------------------------------------------------

TEST(ProcessorDefaults, TimeInfoMidiAndLabels)
{
  RecordingProcessor proc(ConfigWith("2-2"));
  EXPECT_EQ(proc.GetSampleRate(), 44100.0);
  EXPECT_EQ(proc.GetBlockSize(), 0);
  EXPECT_EQ(proc.GetTimeInfo().mTempo, 120.0);
  EXPECT_EQ(proc.GetTimeInfo().mPPQPos, -1.0);
  EXPECT_DOUBLE_EQ(proc.GetSamplesPerBeat(), 44100.0 * 60.0 / 120.0);
  proc.GetTimeInfo().mTempo = 0.0;
  EXPECT_EQ(proc.GetSamplesPerBeat(), 0.0);

  plugkit::IMidiMsg msgs[3];
  msgs[1].mStatus = 0x90;
  EXPECT_TRUE(proc.SendMidiMsgs(msgs));
  proc.failEveryOther = true;
  proc.sentMidi.clear();
  EXPECT_FALSE(proc.SendMidiMsgs(msgs));
  EXPECT_EQ(proc.sentMidi.size(), 3u);
  EXPECT_TRUE(proc.SendMidiMsgs({}));
  proc.ProcessMidiMsg(msgs[1]);
  EXPECT_EQ(proc.sentMidi.back().mStatus, 0x90);

  proc.SetChannelLabel(kInput, 1, "In %d", false);
  EXPECT_STREQ(proc.GetChannelLabel(kInput, 1), "In 2");
  proc.SetChannelLabel(kOutput, 0, "Out %d", true);
  EXPECT_STREQ(proc.GetChannelLabel(kOutput, 0), "Out 0");
  proc.SetChannelLabel(kOutput, 5, "Out %d", true);
  EXPECT_STREQ(proc.GetChannelLabel(kOutput, 5), "");
}
