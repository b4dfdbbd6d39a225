#include "tests/framework/audiounit/fakes/AUTestPlugin.h"

#include <cstring>
#include <new>

#include "StandIn/Hooks.h"
#include "framework/audiounit/AUPlugInGlue.h"

namespace fakes {

namespace {

AUTestKind gNextKind = AUTestKind::Effect;

plugkit::PluginConfig ConfigFor(AUTestKind kind)
{
  plugkit::PluginConfig c;
  c.paramCount = kAUTestNParams;
  c.presetCount = 3;
  c.pluginName = "AUTestPlugin";
  c.productName = "AUTestPlugin";
  c.vendorName = "Kestrova";
  c.vendorVersion = 0x0003001C;
  c.uniqueId = kAUTestUniqueId;
  c.vendorId = kAUTestMfrId;
  c.stateChunks = true;
  c.hasUI = true;
  c.width = 100;
  c.height = 50;
  c.bundleId = kAUTestBundleId;
  switch (kind)
  {
    case AUTestKind::Effect: c.channelIOStr = "1-1 1.1-1 1.2-1 2-2 2.1-2 2.2-2"; break;
    case AUTestKind::Instrument:
      c.channelIOStr = "0-2";
      c.pluginType = 1;
      c.midiIn = true;
      break;
    case AUTestKind::Wildcard: c.channelIOStr = "*-2 2-2"; break;
    case AUTestKind::TwoOutputs: c.channelIOStr = "2-2.2"; break;
    case AUTestKind::WideFirstOutput: c.channelIOStr = "2-4.2"; break;
  }
  return c;
}

plugkit::PluginInstanceInfo InfoWithView()
{
  plugkit::PluginInstanceInfo info;
  info.cocoaViewFactoryClassName.Set(kAUTestViewClass);
  return info;
}

constexpr char kTag[] = "TSTS";

} // namespace

void SetNextAUTestKind(AUTestKind kind)
{
  gNextKind = kind;
}

AUTestPlugin::AUTestPlugin(AUTestKind kind) : PluginAU(InfoWithView(), ConfigFor(kind)), mKind(kind)
{
  using plugkit::IParam;
  GetParam(0)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB", 0, "Main", IParam::ShapeLinear(), IParam::kUnitDB);
  GetParam(1)->InitEnum("Mode", 0, {"Soft", "Hard", "Auto"}, 0, "Main");
  GetParam(2)->InitInt("Steps", 2, 0, 10, "", 0, "Setup");
  GetParam(3)->InitBool("Bypass", false, "", IParam::kFlagCannotAutomate);
  GetParam(4)->InitFrequency("Frequency", 1000.0, 20.0, 20000.0, 1.0, 0, "Setup");
  GetParam(5)->InitDouble("Width Of The Stereo Image", 50.0, 0.0, 100.0, 0.5, "widgets",
                          IParam::kFlagMeta | IParam::kFlagCannotAutomate, "Scope", IParam::ShapePowCurve(2.0),
                          IParam::kUnitCustom);
  MakeDefaultPreset("Init");
  GetParam(0)->Set(6.0);
  MakeDefaultPreset("Loud");
  GetParam(0)->Set(0.0);
  timersWhenBuilt = standin::ScheduledTimerCount();
}

int AUTestPlugin::timersWhenDestroyed = -1;

AUTestPlugin::~AUTestPlugin()
{
  timersWhenDestroyed = standin::ScheduledTimerCount();
}

bool AUTestPlugin::SerializeState(plugkit::IByteChunk& chunk) const
{
  if (failSerialize)
    return false;
  chunk.PutBytes(kTag, 4);
  chunk.PutInt32(NParams());
  return SerializeParams(chunk);
}

int AUTestPlugin::UnserializeState(const plugkit::IByteChunk& chunk, int startPos)
{
  char tag[4] = {};
  if (startPos < 0 || chunk.GetBytes(tag, 4, startPos) < 0 || std::memcmp(tag, kTag, 4) != 0)
    return startPos;
  int32_t n = 0;
  int pos = chunk.GetInt32(n, startPos + 4);
  if (pos < 0 || n != NParams())
    return -1;
  std::vector<double> values(static_cast<size_t>(n));
  for (double& v : values)
  {
    pos = chunk.GetDouble(v, pos);
    if (pos < 0)
      return -1;
  }
  for (int i = 0; i < n; ++i)
    GetParam(i)->Set(values[static_cast<size_t>(i)]);
  OnParamReset(plugkit::kSourcePresetRecall);
  return pos;
}

std::vector<plugkit::ParamTuple> AUTestPlugin::DrainToEditor()
{
  std::vector<plugkit::ParamTuple> out;
  plugkit::ParamTuple t;
  while (mParamChangeToUIQueue.Pop(t))
    out.push_back(t);
  return out;
}

} // namespace fakes

namespace plugkit {

PluginAU* CreatePluginInstance(void* memory)
{
  const fakes::AUTestKind kind = fakes::gNextKind;
  return memory ? new (memory) fakes::AUTestPlugin(kind) : new fakes::AUTestPlugin(kind);
}

static_assert(alignof(fakes::AUTestPlugin) <= kPluginInstanceAlignment);

size_t PluginInstanceSize()
{
  return sizeof(fakes::AUTestPlugin);
}

} // namespace plugkit
