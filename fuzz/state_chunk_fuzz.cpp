// Feeds arbitrary bytes to the readers of stored state: the byte chunk's
// value and text reads, the parameter state reader and the presets chunk
// reader. Under AddressSanitizer any read outside the chunk is caught; the
// checks below catch a NaN or an out-of-range value reaching a parameter.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "framework/IByteChunk.h"
#include "framework/PluginBase.h"
#include "graphics/PK_String.h"

namespace {

class FuzzPlugin : public plugkit::PluginBase
{
public:
  FuzzPlugin() : PluginBase(4, 3, plugkit::kAPIAU)
  {
    GetParam(0)->InitDouble("gain", 0.0, -24.0, 24.0, 0.1);
    GetParam(1)->InitInt("count", 2, 0, 8);
    GetParam(2)->InitBool("on", true);
    GetParam(3)->InitFrequency("freq", 1000.0, 20.0, 20000.0, 1.0);
    MakeDefaultPreset("Init", 1);
  }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

void CheckParams(const FuzzPlugin& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const plugkit::IParam& p = *plug.GetParam(i);
    if (std::isnan(p.Value()) || p.Value() < p.GetMin() || p.Value() > p.GetMax())
      __builtin_trap();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > 1 << 20)
    return 0;
  plugkit::IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));

  const int start = size ? data[0] % 16 : 0;
  PK_String text;
  double d;
  if (chunk.GetStr(text, start) > chunk.Size() || chunk.GetDouble(d, start) > chunk.Size())
    __builtin_trap();

  FuzzPlugin plug;
  plug.UnserializeParams(chunk, start);
  CheckParams(plug);
  if (plug.UnserializePresets(chunk, start) > chunk.Size())
    __builtin_trap();
  CheckParams(plug);
  for (int i = 0; i < plug.NPresets(); ++i)
    plug.RestorePreset(i);
  CheckParams(plug);
  return 0;
}
