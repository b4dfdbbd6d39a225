#include "tests/framework/fakes/ApiTestPlugin.h"

namespace fakes {

using plugkit::IParam;

plugkit::PluginConfig ApiTestConfig(bool hasUI, bool stateChunks)
{
  plugkit::PluginConfig config;
  config.paramCount = 3;
  config.presetCount = 2;
  config.pluginName = "Tolvane3";
  config.productName = "Tolvane3";
  config.vendorName = "Kestrova";
  config.vendorVersion = 0x0003001C;
  config.uniqueId = ('K' << 24) | ('V' << 16) | ('6' << 8) | '2';
  config.vendorId = ('K' << 24) | ('V' << 16) | ('R' << 8) | 'A';
  config.stateChunks = stateChunks;
  config.hasUI = hasUI;
  config.width = 1008;
  config.height = 584;
  config.minWidth = 1512;
  config.maxWidth = 504;
  config.minHeight = 292;
  config.maxHeight = 876;
  config.bundleId = "com.kestrova.audiounit.Tolvane3";
  return config;
}

ApiTestPlugin::ApiTestPlugin(const plugkit::PluginConfig& config)
  : PluginAPIBase(config, plugkit::kAPIAU)
{
  // As many of the three parameters as the configuration asks for.
  if (IParam* gain = GetParam(0))
    gain->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB");
  if (IParam* mode = GetParam(1))
    mode->InitInt("Mode", 0, 0, 10);
  if (IParam* mix = GetParam(2))
    mix->InitDouble("Mix", 50.0, 0.0, 100.0, 0.01, "%");
}

void ApiTestPlugin::OnParamChange(int idx, plugkit::EParamChangeSource source, int)
{
  paramChanges.emplace_back(idx, static_cast<int>(source));
}

void ApiTestPlugin::OnParamChangeUI(int idx, plugkit::EParamChangeSource source)
{
  paramChangesUI.emplace_back(idx, static_cast<int>(source));
}

void ApiTestPlugin::SendParameterValueFromDelegate(int idx, double value, bool normalized)
{
  valuesToEditor.push_back(plugkit::ParamTuple{idx, value});
  PluginAPIBase::SendParameterValueFromDelegate(idx, value, normalized);
}

void ApiTestPlugin::SendSysexMsgFromDelegate(const plugkit::ISysExMsg& msg)
{
  sysexToEditor.emplace_back(reinterpret_cast<const char*>(msg.mData), static_cast<size_t>(msg.mSize));
}

bool ApiTestPlugin::OnMessage(int msgTag, int ctrlTag, int dataSize, const void* pData)
{
  messages.push_back(msgTag);
  return true;
}

} // namespace fakes
