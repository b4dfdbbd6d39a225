#include "plugin/Tolvane3.h"

#include <cstdlib>
#include <ctime>

#include "framework/ChannelIOConfig.h"
#include "plugin/PluginIni.h"
#include "plugin/XMLPresets.h"

namespace tolvane3 {

namespace {

constexpr int32_t FourCC(const char (&c)[5])
{
  return static_cast<int32_t>(static_cast<uint32_t>(c[0]) << 24 | static_cast<uint32_t>(c[1]) << 16 |
                              static_cast<uint32_t>(c[2]) << 8 | static_cast<uint32_t>(c[3]));
}

plugkit::PluginConfig MakeConfig()
{
  plugkit::PluginConfig c;
  c.paramCount = kNumParams;
  c.presetCount = 1;
  c.channelIOStr = "1-1 1.1-1 1.2-1 2-2 2.1-2 2.2-2";
  c.pluginName = "Tolvane3";
  c.productName = "Tolvane3";
  c.vendorName = "Kestrova";
  c.vendorVersion = 0x0003001C;
  c.uniqueId = FourCC("KV62");
  c.vendorId = FourCC("KVRA");
  c.latency = 0;
  c.stateChunks = true;
  c.pluginType = 0;
  c.hasUI = true;
  c.width = 1008;
  c.height = 584;
  c.minWidth = 504;
  c.maxWidth = 2016;
  c.minHeight = 292;
  c.maxHeight = 1168;
  c.hostResize = false;
  c.bundleId = "com.kestrova.audiounit.Tolvane3";
  return c;
}

} // namespace

Tolvane3::Tolvane3(const plugkit::PluginInstanceInfo& info) : PluginAU(info, MakeConfig())
{
  CreatePresetFolders(mFolders);
  mUseXMLPresets = true;
  if (ReadPluginIni(mFolders.dataFolder.Get(), "HasUI", 1) == 0)
    mHasUI = false;
  std::srand(static_cast<unsigned>(std::clock()));

  mEngine.SetProcessorFormat(CurrentFormat());
  RideEngineState& s = mEngine.State();
  s.sampleRate = GetSampleRate();
  s.blockSize = GetBlockSize();
  mEngine.DspInit();

  InitParams();
  LoadDefaultPreset(mFolders.presetFolder.Get());
  mGUIScale = GetParam(kGUIScale)->Value();
  InitPlugControls();
}

Tolvane3::~Tolvane3()
{
  mExtraParams.Empty(true);
  mXMLPresets.Empty(true);
  mFilePresets.Empty(true);
}

::ProcessorFormat Tolvane3::CurrentFormat() const
{
  ::ProcessorFormat format;
  format.sampleRate = GetSampleRate();
  format.blockSize = GetBlockSize();
  format.numInputs = MaxNChannels(plugkit::kInput);
  format.numOutputs = MaxNChannels(plugkit::kOutput);
  return format;
}

void Tolvane3::InitParams()
{
  InitProductParams(*this);
  AddInitPreset();
  mFirstExtraParamTag = kFirstExtraParamTag;
  auto* fixedScale = new plugkit::IParam;
  InitFixedGUIScaleParam(*fixedScale);
  if (!mExtraParams.Add(fixedScale))
    delete fixedScale;
}

int Tolvane3::AddInitPreset()
{
  MakeXMLPresetFromNamedParams(*this, mInitPreset, "Init");
  AddXMLPresetFromNamedParams(*this, mXMLPresets, "Init");
  if (mUseXMLPresets)
    CopyPresetToBank(*this, mInitPreset, 0);
  return 1;
}

bool Tolvane3::LoadDefaultPreset(const char* folder)
{
  if (!folder || !*folder)
    return false;
  PK_String path, name;
  path.SetFormatted(4096, "%s/%s%s", folder, "default", ".kps");
  return ReadPresetFileWithData(*this, path.Get(), name, PresetReadMode::kStartUp);
}

int Tolvane3::GetLatencySamples() const
{
  return static_cast<int>(mEngine.ComputeLatencySamples());
}

void Tolvane3::ApplyLatency(int samples)
{
  if (GetHost() != plugkit::kHostUninit)
    SetLatency(samples);
}

bool Tolvane3::SerializeState(plugkit::IByteChunk& chunk) const
{
  return SerializeStateContainer(*this, chunk);
}

int Tolvane3::UnserializeState(const plugkit::IByteChunk& chunk, int startPos)
{
  return UnserializeStateContainer(*this, chunk, startPos);
}

void Tolvane3::SetParameterFromPlugin(int paramIdx, bool normalized, double value)
{
  plugkit::IParam* p = GetParam(paramIdx);
  if (!p)
    return;
  if (normalized)
  {
    if (value == p->GetNormalized())
      return;
    SetParameterValue(paramIdx, false, value);
    SendParameterValueFromDelegate(paramIdx, value, true);
    return;
  }
  if (value == p->Value())
    return;
  SetParameterValue(paramIdx, false, p->ToNormalized(value));
  SendParameterValueFromDelegate(paramIdx, value, false);
}

} // namespace tolvane3
