// A deliberately broken component for the host's validator: a stereo
// effect whose output is not a number. Everything else about it is sound,
// so the validator must find this fault by rendering. It also exports a
// factory that gives no instance, as one out of memory does, for a bundle
// whose Info.plist names it.
#include <cmath>
#include <new>

#include "framework/audiounit/AUPlugInGlue.h"
#include "framework/audiounit/PluginAU.h"

namespace {

plugkit::PluginConfig BrokenConfig()
{
  plugkit::PluginConfig c;
  c.paramCount = 1;
  c.presetCount = 1;
  c.channelIOStr = "1-1 2-2";
  c.pluginName = "BrokenComponent";
  c.productName = "BrokenComponent";
  c.vendorName = "Kestrova";
  c.vendorVersion = 0x00010000;
  c.uniqueId = 0x42726B6E; // "Brkn"
  c.vendorId = 0x4B565241; // "KVRA"
  c.stateChunks = false;
  c.bundleId = "com.kestrova.audiounit.BrokenComponent";
  return c;
}

class BrokenComponent : public plugkit::PluginAU
{
public:
  BrokenComponent() : PluginAU(plugkit::PluginInstanceInfo{}, BrokenConfig())
  {
    GetParam(0)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB");
    MakeDefaultPreset("Init");
  }
  void ProcessBlock(double**, double** outputs, int nFrames) override
  {
    for (int c = 0; c < NChannelsConnected(plugkit::kOutput); ++c)
      for (int i = 0; i < nFrames; ++i)
        outputs[c][i] = std::nan("");
  }
};

} // namespace

namespace plugkit {

PluginAU* CreatePluginInstance(void* memory)
{
  return memory ? new (memory) BrokenComponent : new BrokenComponent;
}

size_t PluginInstanceSize()
{
  return sizeof(BrokenComponent);
}

} // namespace plugkit

extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface* BrokenComponentNoInstance()
{
  return nullptr;
}
