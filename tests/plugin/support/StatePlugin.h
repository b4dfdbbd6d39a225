#pragma once

#include <vector>

#include "framework/PluginBase.h"
#include "plugin/Tolvane3Params.h"
#include "plugin/XMLPresets.h"

namespace testsupport {

// The product's identity, parameters and one preset slot on the bare plug-in
// base, with the product's state format: what the document, file and
// container code work on, without the Audio Unit wrapper. Records every
// change pass.
class StatePlugin : public plugkit::PluginBase
{
public:
  StatePlugin() : PluginBase(tolvane3::kNumParams, 1, plugkit::kAPIAU)
  {
    mMfrName.Set("Kestrova");
    mPluginName.Set("Tolvane3");
    mProductName.Set("Tolvane3");
    mVersion = 0x0003001C;
    tolvane3::InitProductParams(*this);
    tolvane3::MakeXMLPresetFromNamedParams(*this, mInit, "Init");
    tolvane3::CopyPresetToBank(*this, mInit, 0);
  }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
  void OnParamChange(int idx, plugkit::EParamChangeSource source, int) override { changes.push_back(idx); }
  bool SerializeState(plugkit::IByteChunk& chunk) const override
  {
    return tolvane3::SerializeStateContainer(*this, chunk);
  }
  int UnserializeState(const plugkit::IByteChunk& chunk, int pos) override
  {
    return tolvane3::UnserializeStateContainer(*this, chunk, pos);
  }

  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i)
      v.push_back(GetParam(i)->Value());
    return v;
  }

  plugkit::IPreset mInit;
  std::vector<int> changes;
};

} // namespace testsupport
