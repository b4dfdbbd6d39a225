// Feeds arbitrary bytes to the product's state readers: the state container
// with its XML document, the document parser on its own and the plain tree
// view. Under AddressSanitizer any read outside the data is caught; the
// checks below catch a position outside the chunk, a refused state that
// changed values, and a NaN or out-of-range value reaching a parameter.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/IByteChunk.h"
#include "framework/PluginBase.h"
#include "plugin/PresetDocument.h"
#include "plugin/Tolvane3Params.h"
#include "plugin/XMLPresets.h"
#include "plugin/XmlDocView.h"

namespace {

class FuzzPlugin : public plugkit::PluginBase
{
public:
  FuzzPlugin() : PluginBase(tolvane3::kNumParams, 1, plugkit::kAPIAU)
  {
    mMfrName.Set("Kestrova");
    mPluginName.Set("Tolvane3");
    tolvane3::InitProductParams(*this);
  }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

std::vector<double> Values(const FuzzPlugin& plug)
{
  std::vector<double> v;
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const plugkit::IParam& p = *plug.GetParam(i);
    if (std::isnan(p.Value()) || p.Value() < p.GetMin() || p.Value() > p.GetMax())
      __builtin_trap();
    v.push_back(p.Value());
  }
  return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > 1 << 20)
    return 0;
  plugkit::IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  const int start = size ? data[0] % 8 : 0;

  FuzzPlugin plug;
  const std::vector<double> before = Values(plug);
  const int pos = tolvane3::UnserializeStateContainer(plug, chunk, start);
  if (pos != start && (pos < -1 || pos > chunk.Size() || (pos >= 0 && pos < start)))
    __builtin_trap();
  if (pos <= start && Values(plug) != before)
    __builtin_trap();
  Values(plug);

  tolvane3::PresetDocument doc;
  if (tolvane3::ParsePresetDocument(plug, reinterpret_cast<const char*>(data), size, doc))
  {
    tolvane3::ApplyPresetValues(plug, doc);
    Values(plug);
  }

  const std::string text(reinterpret_cast<const char*>(data), size);
  tolvane3::XmlDocViewFree(tolvane3::XmlDocViewParse(text.c_str(), std::strlen(text.c_str()), "fuzz"));
  return 0;
}
