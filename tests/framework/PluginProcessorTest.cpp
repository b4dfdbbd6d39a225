#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::RecordingProcessor;
using plugkit::kInput;
using plugkit::kOutput;
using plugkit::PluginConfig;

namespace {

using Floats = std::vector<float>;

PluginConfig ConfigWith(const char* channelIO, int pluginType = 0, bool midiIn = false)
{
  PluginConfig config;
  config.channelIOStr = channelIO;
  config.pluginType = pluginType;
  config.midiIn = midiIn;
  return config;
}

const char* const kProductIO = "1-1 1.1-1 1.2-1 2-2 2.1-2 2.2-2";

// A processor of the given layouts and block size with every channel
// connected, and the host buffers of one block attached.
struct Processor : RecordingProcessor
{
  explicit Processor(const char* io, int blockSize = 0) : RecordingProcessor(ConfigWith(io))
  {
    if (blockSize == 0)
      return;
    SetBlockSize(blockSize);
    SetChannelConnections(kInput, 0, MaxNChannels(kInput), true);
    SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), true);
  }
  void Attach(std::vector<Floats*> ins, std::vector<Floats*> outs, int frames)
  {
    std::vector<float*> i, o;
    for (Floats* f : ins)
      i.push_back(f->data());
    for (Floats* f : outs)
      o.push_back(f->data());
    AttachInputBuffers(kInput, 0, static_cast<int>(i.size()), i.data(), frames);
    if (!o.empty())
      AttachInputBuffers(kOutput, 0, static_cast<int>(o.size()), o.data(), frames);
  }
};

} // namespace

// Channel layouts ---------------------------------------------------------------------------------

TEST(ChannelIO, TheProductLayoutsAndTheirLimits)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  ASSERT_EQ(proc.NIOConfigs(), 6);
  EXPECT_EQ((std::vector<int>{proc.MaxNChannels(kInput), proc.MaxNChannels(kOutput), proc.MaxNBuses(kInput),
              proc.MaxNBuses(kOutput)}),
    (std::vector<int>{4, 2, 2, 1}));
  const std::vector<std::vector<int>> inputs = {{1}, {1, 1}, {1, 2}, {2}, {2, 1}, {2, 2}};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(proc.GetIOConfigWithChanCounts(inputs[static_cast<size_t>(i)], {i < 3 ? 1 : 2}), i);
  EXPECT_EQ(proc.GetIOConfigWithChanCounts({2, 2}, {}), -1);
  // The channels of each bus; none past the last bus.
  EXPECT_EQ((std::vector<int>{proc.MaxNChannelsForBus(kInput, 0), proc.MaxNChannelsForBus(kInput, 1),
              proc.MaxNChannelsForBus(kInput, 2), proc.MaxNChannelsForBus(kInput, -1),
              proc.MaxNChannelsForBus(kOutput, 0), proc.MaxNChannelsForBus(kOutput, 1)}),
    (std::vector<int>{2, 2, 0, 0, 2, 0}));
  struct Case { int in, out; bool legal; };
  for (const Case& c : {Case{2, 2, true}, Case{3, 1, true}, Case{2, 1, true}, Case{-1, 2, true}, Case{-1, -1, true},
         Case{4, -1, true}, Case{5, 2, false}, Case{1, 2, false}, Case{-1, 3, false}, Case{0, 0, false}})
    EXPECT_EQ(proc.IsLegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;
  RecordingProcessor none(ConfigWith(""));
  EXPECT_FALSE(none.IsLegalIO(-1, -1));
  EXPECT_EQ(none.MaxNBuses(kInput), 0);
  EXPECT_EQ(none.MaxNChannelsForBus(kInput, 0), 0);
  RecordingProcessor tied(ConfigWith("1-1 2-2"));
  int idx = -1;
  EXPECT_EQ(tied.MaxNBuses(kInput, &idx), 1);
  EXPECT_EQ(idx, 1) << "the last of the tied layouts";
}

TEST(ChannelIO, SeparatorRunsWildcardsAndBadPieces)
{
  RecordingProcessor proc(ConfigWith("  *-2   1..x.1--1 3 -4 "));
  // "3" and "-4" name only one side and are skipped.
  ASSERT_EQ(proc.NIOConfigs(), 2);
  EXPECT_EQ(proc.GetIOConfig(0)->GetBusInfo(kInput, 0)->mNChans, -64);
  EXPECT_EQ(proc.GetIOConfig(1)->NBuses(kInput), 2);
  EXPECT_EQ(proc.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_TRUE(proc.IsLegalIO(-1, 2) && proc.IsLegalIO(2, 1));
  EXPECT_FALSE(proc.IsLegalIO(64, 2));
}

TEST(ChannelIO, BusNamesAndComponentTypes)
{
  RecordingProcessor proc(ConfigWith(kProductIO));
  struct Bus { plugkit::EChannelDirection dir; int idx, n; const char* name; };
  for (const Bus& b : {Bus{kInput, 0, 1, "Input"}, Bus{kInput, 0, 2, "Main"}, Bus{kInput, 1, 2, "Aux"},
         Bus{kInput, 3, 4, "Input 3"}, Bus{kOutput, 0, 1, "Output"}, Bus{kOutput, 1, 3, "Output 1"}})
  {
    PK_String name;
    proc.GetBusName(b.dir, b.idx, b.n, name);
    EXPECT_STREQ(name.Get(), b.name) << b.idx << " of " << b.n;
  }
  // The component type follows the plug-in kind, and for an effect the MIDI
  // input flag.
  struct Type { int kind; bool midiIn; const char* fourCC; };
  for (const Type& t : {Type{0, false, "aufx"}, Type{0, true, "aumf"}, Type{1, false, "aumu"}, Type{1, true, "aumu"},
         Type{2, false, "aumi"}, Type{7, true, "aufx"}})
  {
    const uint32_t code = RecordingProcessor(ConfigWith(kProductIO, t.kind, t.midiIn)).GetAUComponentType();
    const std::string text{static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
                           static_cast<char>(code)};
    EXPECT_EQ(text, t.fourCC) << t.kind << " " << t.midiIn;
  }
}

// The buffer road ---------------------------------------------------------------------------------

TEST(ProcessorBuffers, UnconnectedInputsConsumeNoHostBufferAndReadZeros)
{
  Processor proc(kProductIO, 8);
  proc.SetChannelConnections(kInput, 0, 4, false);
  proc.SetChannelConnections(kInput, 1, 1, true);
  proc.SetChannelConnections(kInput, 3, 1, true);
  EXPECT_EQ(proc.NChannelsConnected(kInput), 2);
  Floats a(8, 0.5f), b(8, -0.25f), o0(8, 9.f), o1(8, 9.f);
  proc.AttachInputBuffers(kInput, 0, 4, std::vector<float*>{a.data(), b.data()}.data(), 8);
  proc.Attach({}, {&o0, &o1}, 8);
  proc.ProcessBuffers(8);
  // The default block copies input i to output i: input 0 is unconnected
  // (zero scratch), input 1 got the first host buffer.
  EXPECT_EQ(o0, Floats(8, 0.0f));
  EXPECT_EQ(o1, a);
}

TEST(ProcessorBuffers, FloatSamplesSurviveWideningAndNarrowingAndTheDefaultBlockCopiesAndZeroes)
{
  Processor proc("2-2", 6);
  Floats l = {0.1f, -0.3f, 1e-30f, 3.4e38f, -0.0f, 0.7071068f}, r = {1.0f, -1.0f, 0.5f, 1e-40f, 123.456f, -7.0f};
  Floats ol(6), orr(6);
  proc.Attach({&l, &r}, {&ol, &orr}, 6);
  proc.ProcessBuffers(6);
  EXPECT_EQ(ol, l);
  EXPECT_EQ(orr, r);
  RecordingProcessor one(ConfigWith("1-2"));
  std::vector<double> in = {1, 2, 3}, out0(3, 9), out1(3, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  one.ProcessBlock(ins, outs, 3);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<double>(3, 0.0));
}

TEST(ProcessorBuffers, PassThroughIgnoresTheSubclassBlock)
{
  struct Inverting : Processor
  {
    using Processor::Processor;
    void ProcessBlock(double** inputs, double** outputs, int n) override
    {
      for (int s = 0; s < n; ++s)
        outputs[0][s] = -inputs[0][s];
    }
  };
  Inverting proc("1-1", 4);
  Floats in = {1, 2, 3, 4}, out(4);
  proc.Attach({&in}, {&out}, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(out, (Floats{-1, -2, -3, -4}));
  proc.Attach({&in}, {&out}, 4);
  proc.PassThroughBuffers(4);
  EXPECT_EQ(out, in);
  proc.Attach({&in}, {&out}, 4);
  proc.ProcessBuffersAccumulating(4);
  EXPECT_EQ(out, (Floats{0, 0, 0, 0}));
}

TEST(ProcessorBuffers, AnOutputWithoutAnAttachedBufferIsNotWritten)
{
  Processor proc("2-2", 4);
  Floats in0 = {1, 1, 1, 1}, in1 = {2, 2, 2, 2}, a(4), b(4);
  // Both outputs connected, neither ever attached: no buffer to write to.
  proc.Attach({&in0, &in1}, {}, 4);
  proc.ProcessBuffers(4);
  // A block with both attached, then one with only the first: the second
  // output's buffer of the earlier block must not be written again.
  proc.Attach({&in0, &in1}, {&a, &b}, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(b, in1);
  std::fill(b.begin(), b.end(), 5.0f);
  in1.assign(4, 3.0f);
  proc.Attach({&in0, &in1}, {&a}, 4);
  proc.ProcessBuffers(4);
  EXPECT_EQ(a, in0);
  EXPECT_EQ(b, Floats(4, 5.0f));
}

TEST(ProcessorBuffers, ABlockLongerThanTheBlockSizeStaysInsideTheScratch)
{
  Processor proc("1-1", 4);
  Floats in(10, 0.5f), out(10, 9.0f);
  proc.Attach({&in}, {&out}, 10);
  proc.ProcessBuffers(10);
  EXPECT_EQ(out, (Floats{0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0}));
}

TEST(ProcessorBuffers, ChannelsStartUnconnectedAndBlockSizeChangesZeroTheScratch)
{
  Processor proc("1-1");
  proc.SetBlockSize(4);
  proc.SetChannelConnections(kInput, 0, 1, true);
  Floats in = {1, 2, 3, 4};
  proc.Attach({&in}, {}, 4);
  proc.SetChannelConnections(kInput, 0, 1, false);
  // Unconnected: the channel reads its own scratch, which still holds the
  // block, then is zeroed by a new size. The output was never connected.
  std::vector<double> out(4);
  double* outs[] = {out.data()};
  proc.SetBlockSize(4);
  proc.AttachBuffers(kOutput, 0, 1, outs);
  proc.ProcessDoubleBuffers(4);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 0})) << "unconnected outputs take no buffer";
  for (int size : {4, 2})
  {
    proc.SetBlockSize(size);
    proc.SetChannelConnections(kOutput, 0, 1, true);
    proc.AttachBuffers(kOutput, 0, 1, outs);
    proc.ProcessDoubleBuffers(size);
  }
  EXPECT_EQ(out, (std::vector<double>{0, 0, 3, 4}));
}

// Other defaults -----------------------------------------------------------------------------------

TEST(ProcessorDefaults, TimeInfoMidiAndLabels)
{
  RecordingProcessor proc(ConfigWith("2-2"));
  EXPECT_EQ(proc.GetSampleRate(), 44100.0);
  EXPECT_EQ(proc.GetBlockSize(), 0);
  const auto& t = proc.GetTimeInfo();
  EXPECT_EQ((std::vector<double>{t.mTempo, t.mPPQPos, 1.0 * t.mNumerator, 1.0 * t.mDenominator}),
    (std::vector<double>{120.0, -1.0, 4.0, 4.0}));
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
  proc.SetChannelLabel(kOutput, 0, "Out %d", true);
  proc.SetChannelLabel(kOutput, 5, "Out %d", true);
  EXPECT_STREQ(proc.GetChannelLabel(kInput, 1), "In 2");
  EXPECT_STREQ(proc.GetChannelLabel(kOutput, 0), "Out 0");
  EXPECT_STREQ(proc.GetChannelLabel(kOutput, 5), "");
}
