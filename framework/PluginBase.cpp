#include "framework/PluginBase.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plugkit {

PluginBase::PluginBase(int nParams, int nPresets, EAPI api) : gfx::IGEditorDelegate(nParams), mAPI(api)
{
  for (int i = 0; i < nPresets; ++i)
  {
    auto* preset = new IPreset;
    if (!mPresets.Add(preset))
    {
      delete preset;
      break;
    }
  }
}

PluginBase::~PluginBase()
{
  mPresets.Empty(true);
}

// Identity ------------------------------------------------------------------------

int PluginBase::VersionOf(int packed, bool decimal)
{
  if (!decimal)
    return packed;
  const int major = (packed >> 16) & 0xFFFF;
  const int minor = (packed >> 8) & 0xFF;
  const int patch = packed & 0xFF;
  return major * 1000 + minor * 100 + patch * 10;
}

void PluginBase::VersionStrOf(int packed, PK_String& str)
{
  str.SetFormatted(32, "v%d.%d.%d", (packed >> 16) & 0xFFFF, (packed >> 8) & 0xFF, packed & 0xFF);
}

const char* PluginBase::GetAPIStr() const
{
  static const char* const kNames[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB"};
  const int api = static_cast<int>(mAPI);
  return (api >= 0 && api < 8) ? kNames[api] : "";
}

void PluginBase::GetBuildInfoStr(PK_String& str) const
{
  PK_String version;
  GetPluginVersionStr(version);
  str.SetFormatted(256, "%s version %s %s (%s), built on %s at %.5s ", GetPluginName(), version.Get(), GetAPIStr(),
                   GetArchStr(), __DATE__, __TIME__);
}

// Parameter helpers ---------------------------------------------------------------

void PluginBase::ForParamInRange(int startIdx, int endIdx, const std::function<void(int, IParam&)>& func)
{
  const int first = std::max(startIdx, 0);
  const int last = std::min(endIdx, NParams() - 1);
  for (int i = first; i <= last; ++i)
    func(i, *GetParam(i));
}

void PluginBase::ForParamInGroup(const char* group, const std::function<void(int, IParam&)>& func)
{
  if (!group)
    return;
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    IParam& param = *GetParam(i);
    if (std::strcmp(param.GetGroup(), group) == 0)
      func(i, param);
  }
}

void PluginBase::InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmt, double defaultVal,
                                double minVal, double maxVal, double step, const char* label, int flags,
                                const char* group, const IParam::Shape& shape, IParam::UnitCode unit,
                                IParam::DisplayFunction displayFunc)
{
  ForParamInRange(startIdx, endIdx, [&](int i, IParam& param) {
    PK_String name;
    name.SetFormatted(32, nameFmt ? nameFmt : "", countStart + (i - startIdx));
    param.InitDouble(name.Get(), defaultVal, minVal, maxVal, step, label, flags, group, shape, unit, displayFunc);
  });
}

void PluginBase::CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr,
                                 const char* replaceStr, const char* newGroup)
{
  for (int i = cloneStartIdx; i <= cloneEndIdx; ++i)
  {
    const IParam* source = GetParam(i);
    IParam* target = GetParam(startIdx + (i - cloneStartIdx));
    if (!source || !target)
      continue;
    target->InitFromParam(*source, searchStr, replaceStr, newGroup);
    target->Set(source->Value());
  }
}

void PluginBase::CopyParamValues(int startIdx, int destIdx, int nParams)
{
  // Bounded by the parameters as well as by the count: a huge count must
  // not spin (nor overflow an index) past the end.
  const int n = NParams();
  for (int k = 0; k < nParams && startIdx < n - k && destIdx < n - k; ++k)
  {
    const IParam* source = GetParam(startIdx + k);
    IParam* target = GetParam(destIdx + k);
    if (source && target)
      target->Set(source->Value());
  }
}

void PluginBase::CopyParamValues(const char* inGroup, const char* outGroup)
{
  std::vector<IParam*> sources, targets;
  ForParamInGroup(inGroup, [&](int, IParam& param) { sources.push_back(&param); });
  ForParamInGroup(outGroup, [&](int, IParam& param) { targets.push_back(&param); });
  const size_t n = std::min(sources.size(), targets.size());
  for (size_t k = 0; k < n; ++k)
    targets[k]->Set(sources[k]->Value());
}

void PluginBase::DefaultParamValues()
{
  DefaultParamValues(0, NParams() - 1);
}

void PluginBase::DefaultParamValues(int startIdx, int endIdx)
{
  ForParamInRange(startIdx, endIdx, [](int, IParam& param) { param.SetToDefault(); });
}

void PluginBase::DefaultParamValues(const char* group)
{
  ForParamInGroup(group, [](int, IParam& param) { param.SetToDefault(); });
}

namespace {

// A value in 0..1 from the C library's generator, which the framework never
// seeds: the same sequence in every process unless the product seeds it.
void SetRandomNormalized(IParam& param)
{
  const float x = static_cast<float>(std::rand()) * 4.656613e-10f;
  param.SetNormalized(x);
}

} // namespace

void PluginBase::RandomiseParamValues()
{
  RandomiseParamValues(0, NParams() - 1);
}

void PluginBase::RandomiseParamValues(int startIdx, int endIdx)
{
  ForParamInRange(startIdx, endIdx, [](int, IParam& param) { SetRandomNormalized(param); });
}

void PluginBase::RandomiseParamValues(const char* group)
{
  ForParamInGroup(group, [](int, IParam& param) { SetRandomNormalized(param); });
}

void PluginBase::PrintParamValues()
{
  ForParamInRange(0, NParams() - 1, [](int, IParam& param) { param.PrintDetails(); });
}

// State ------------------------------------------------------------------------------

bool PluginBase::SerializeParams(IByteChunk& chunk) const
{
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    if (chunk.PutDouble(GetParam(i)->Value()) < 0)
      return false;
  }
  return true;
}

int PluginBase::UnserializeParams(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  const int n = NParams();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    double value = 0.0;
    pos = chunk.GetDouble(value, pos);
    // A value that is not in the chunk was never stored: leave the
    // parameter as it is rather than invent one.
    if (pos >= 0)
      GetParam(i)->Set(value);
  }
  OnParamReset(kSourcePresetRecall);
  return pos;
}

} // namespace plugkit
