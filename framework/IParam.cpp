#include "framework/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "framework/NumberText.h"

namespace plugkit {

namespace {

bool IsWhole(double x) { return std::isfinite(x) && std::trunc(x) == x; }

// Decimals needed to show the step exactly: 0 for a whole step, else the
// number of multiplications by 10 (at most five) after which it is whole,
// 6 when it never is.
int PrecisionForStep(double step)
{
  if (IsWhole(step))
    return 0;
  double scaled = step;
  for (int n = 1; n <= 5; ++n)
  {
    scaled *= 10.0;
    if (IsWhole(scaled))
      return n;
  }
  return 6;
}

const char* const kNoteNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};

} // namespace

// Shapes ---------------------------------------------------------------------

double IParam::ShapeLinear::ValueFromNormalized(double x, const IParam& param) const
{
  return param.GetMin() + x * (param.GetMax() - param.GetMin());
}

double IParam::ShapeLinear::NormalizedFromValue(double v, const IParam& param) const
{
  const double range = param.GetMax() - param.GetMin();
  return range != 0.0 ? (v - param.GetMin()) / range : 0.0;
}

IParam::DisplayHint IParam::ShapePowCurve::GetDisplayHint() const
{
  if (mShape > 2.5)
    return kDisplayCubeRoot;
  if (mShape > 1.5)
    return kDisplaySquareRoot;
  if (mShape < 0.4)
    return kDisplayCubed;
  if (mShape < 2.0 / 3.0)
    return kDisplaySquared;
  return kDisplayLinear;
}

double IParam::ShapePowCurve::ValueFromNormalized(double x, const IParam& param) const
{
  return param.GetMin() + (param.GetMax() - param.GetMin()) * std::pow(x, mShape);
}

double IParam::ShapePowCurve::NormalizedFromValue(double v, const IParam& param) const
{
  const double range = param.GetMax() - param.GetMin();
  if (range == 0.0 || mShape == 0.0)
    return 0.0;
  return std::pow((v - param.GetMin()) / range, 1.0 / mShape);
}

void IParam::ShapeExp::Init(const IParam& param)
{
  const double lo = param.GetMin() > 0.0 ? param.GetMin() : 1e-8;
  mAdd = std::log(lo);
  mMul = std::log(param.GetMax() / lo);
}

double IParam::ShapeExp::ValueFromNormalized(double x, const IParam& param) const
{
  return std::exp(x * mMul + mAdd);
}

double IParam::ShapeExp::NormalizedFromValue(double v, const IParam& param) const
{
  return mMul != 0.0 ? (std::log(v) - mAdd) / mMul : 0.0;
}

// Construction and initialisation ---------------------------------------------

IParam::IParam() : mShape(new ShapeLinear), mDisplayTexts(512) {}

IParam::~IParam() = default;

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, int flags, const char* group, const Shape& shape, UnitCode unit,
                        DisplayFunction displayFunc)
{
  if (mType == kTypeNone)
    mType = kTypeDouble;

  CopyToField(mName, sizeof(mName), name);
  CopyToField(mLabel, sizeof(mLabel), label);
  CopyToField(mParamGroup, sizeof(mParamGroup), group);

  mMin = minVal;
  mMax = std::max(maxVal, minVal + step);
  mStep = step;
  mDefault = defaultVal;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunction = std::move(displayFunc);

  Set(defaultVal);

  mDisplayPrecision = PrecisionForStep(step);

  // Clone before releasing the old shape: the caller may pass our own.
  std::unique_ptr<Shape> newShape(shape.Clone());
  mShape = std::move(newShape);
  mShape->Init(*this);
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, int flags, const char* group,
                      const char* offText, const char* onText)
{
  if (mType == kTypeNone)
    mType = kTypeBool;
  InitDouble(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, flags | kFlagStepped, group, ShapeLinear(),
             kUnitCustom);
  SetDisplayText(0.0, offText);
  SetDisplayText(1.0, onText);
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label, int flags,
                      const char* group, std::initializer_list<const char*> texts)
{
  if (mType == kTypeNone)
    mType = kTypeEnum;
  InitDouble(name, defaultValue, 0.0, nEnums - 1.0, 1.0, label, flags | kFlagStepped, group, ShapeLinear(),
             kUnitCustom);
  int i = 0;
  for (const char* text : texts)
  {
    if (i >= nEnums)
      break;
    SetDisplayText(i++, text);
  }
}

void IParam::InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags,
                      const char* group)
{
  InitEnum(name, defaultValue, static_cast<int>(texts.size()), "", flags, group, texts);
}

void IParam::InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label, int flags,
                     const char* group)
{
  if (mType == kTypeNone)
    mType = kTypeInt;
  InitDouble(name, defaultValue, minVal, maxVal, 1.0, label, flags | kFlagStepped, group, ShapeLinear(),
             kUnitCustom);
}

void IParam::InitSeconds(const char* name, double defaultVal, double minVal, double maxVal, double step, int flags,
                         const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Seconds", flags, group, ShapeLinear(), kUnitSeconds);
}

void IParam::InitMilliseconds(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                              const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "ms", flags, group, ShapeLinear(), kUnitMilliseconds);
}

void IParam::InitGain(const char* name, double defaultVal, double minVal, double maxVal, double step, int flags,
                      const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "dB", flags, group, ShapeLinear(), kUnitDB);
}

void IParam::InitPercentage(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                            const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "%", flags, group, ShapeLinear(), kUnitPercentage);
}

void IParam::InitDegrees(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                         const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "degrees", flags, group, ShapeLinear(), kUnitDegrees);
}

void IParam::InitFrequency(const char* name, double defaultVal, double minVal, double maxVal, double step,
                           int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Hz", flags, group, ShapeExp(), kUnitFrequency);
}

void IParam::InitNoteNames(const char* name, int defaultValue, int firstNote, int lastNote, int flags,
                           const char* group, bool middleCIsC4)
{
  if (mType == kTypeNone)
    mType = kTypeEnum;
  InitDouble(name, defaultValue, 0.0, static_cast<double>(lastNote) - firstNote, 1.0, "", flags | kFlagStepped,
             group, ShapeLinear(), kUnitCustom);
  const int firstShown = std::max(firstNote, 0);
  for (int note = firstShown; note <= lastNote; ++note)
  {
    std::string text = kNoteNames[note % 12];
    text += std::to_string(note / 12 - 2 + (middleCIsC4 ? 1 : 0));
    SetDisplayText(static_cast<double>(note - firstNote), text.c_str());
  }
}

void IParam::InitFromParam(const IParam& source, const char* searchStr, const char* replaceStr,
                           const char* newGroup)
{
  if (mType == kTypeNone)
    mType = source.mType;

  std::string name = source.mName;
  if (searchStr && *searchStr)
  {
    const size_t at = name.find(searchStr);
    if (at != std::string::npos)
      name.replace(at, std::strlen(searchStr), replaceStr ? replaceStr : "");
  }
  const char* group = (newGroup && *newGroup) ? newGroup : source.mParamGroup;

  // Copy what we read from the source before InitDouble writes: the source
  // may be this parameter itself.
  const std::string label = source.mLabel;
  const std::string groupCopy = group;
  std::unique_ptr<Shape> shape(source.mShape->Clone());
  InitDouble(name.c_str(), source.mDefault, source.mMin, source.mMax, source.mStep, label.c_str(), source.mFlags,
             groupCopy.c_str(), *shape, source.mUnit, source.mDisplayFunction);

  const int n = source.NDisplayTexts();
  for (int i = 0; i < n && &source != this; ++i)
  {
    const DisplayTextEntry& entry = source.mDisplayTexts.Get()[i];
    SetDisplayText(entry.mValue, entry.mText);
  }
}

void IParam::SetDisplayText(double value, const char* text)
{
  const int n = mDisplayTexts.GetSize();
  DisplayTextEntry* entries = mDisplayTexts.Resize(n + 1, false);
  if (!entries || mDisplayTexts.GetSize() != n + 1)
    return;
  entries[n].mValue = value;
  CopyToField(entries[n].mText, sizeof(entries[n].mText), text);
}

// Values -----------------------------------------------------------------------

double IParam::RoundToStep(double value) const
{
  // A step of zero (or one that is not a finite positive number) cannot
  // round anything: the value passes unchanged rather than as NaN.
  if (!(mFlags & kFlagStepped) || !(mStep > 0.0) || !std::isfinite(mStep))
    return value;
  return std::round(value / mStep) * mStep;
}

double IParam::Constrain(double value) const
{
  // This order makes a NaN come out as the minimum.
  return std::min(mMax, std::max(mMin, RoundToStep(value)));
}

void IParam::Set(double value)
{
  mPreviousValue.store(mValue.load(std::memory_order_relaxed), std::memory_order_relaxed);
  mValue.store(Constrain(value), std::memory_order_relaxed);
}

void IParam::SetToDefault()
{
  mPreviousValue.store(mValue.load(std::memory_order_relaxed), std::memory_order_relaxed);
  mValue.store(mDefault, std::memory_order_relaxed);
}

double IParam::FromNormalized(double normalized) const
{
  return Constrain(mShape->ValueFromNormalized(normalized, *this));
}

double IParam::ToNormalized(double value) const
{
  const double normalized = mShape->NormalizedFromValue(Constrain(value), *this);
  return std::min(1.0, std::max(0.0, normalized));
}

} // namespace plugkit
