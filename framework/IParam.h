#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>

#include "graphics/PK_String.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit {

// One parameter of the plug-in: its current value, range and step, value
// type and unit, names, the shape between the real value and the normalised
// 0..1 value that hosts and controls use, and the rules between values and
// display text.
//
// Threads: the definition (everything set by the Init operations) is written
// once on the main thread before processing starts and is read-only after.
// The value and the previous value are atomics, so the audio thread, the
// host's parameter calls and the editor may read and set them at once; the
// value operations take no lock and allocate nothing.
//
// Bad input: every set and conversion clamps into [min, max], and a NaN
// becomes the minimum, so neither a host nor a file can push a NaN to the
// DSP. Texts longer than the 31 bytes of a name field are cut.
class IParam
{
public:
  enum ValueType : int32_t { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };

  enum UnitCode : int32_t
  {
    kUnitPercentage = 0, kUnitSeconds, kUnitMilliseconds, kUnitSamples, kUnitDB, kUnitLinearGain, kUnitPan,
    kUnitPhase, kUnitDegrees, kUnitMeters, kUnitRate, kUnitRatio, kUnitFrequency, kUnitOctaves, kUnitCents,
    kUnitAbsCents, kUnitSemitones, kUnitMIDINote, kUnitMIDICtrlNum, kUnitBPM, kUnitBeats, kUnitCustom
  };

  enum FlagBits : int32_t
  {
    kFlagsNone = 0,
    kFlagCannotAutomate = 1,
    kFlagStepped = 2,
    kFlagNegateDisplay = 4,
    kFlagSignDisplay = 8,
    kFlagMeta = 16,
  };

  enum DisplayMapping : int32_t { kDisplayMappingNone = 0, kDisplayMappingSignedScale, kDisplayMappingLinearRange };

  // How a host should draw the value axis.
  enum DisplayHint : int32_t
  {
    kDisplayLinear = 0, kDisplayLog, kDisplayExp, kDisplaySquared, kDisplaySquareRoot, kDisplayCubed, kDisplayCubeRoot
  };

  static constexpr int kTextFieldSize = 32;

  using DisplayFunction = std::function<void(double value, PK_String& out)>;

  struct DisplayTextEntry
  {
    double mValue;
    char mText[kTextFieldSize];
  };

  // The mapping between the real value and the normalised value. Shapes
  // neither clamp nor step; the parameter does.
  class Shape
  {
  public:
    virtual ~Shape() = default;
    virtual Shape* Clone() const = 0;
    // Precomputes what the shape needs from the parameter's range.
    virtual void Init(const IParam& param) {}
    virtual DisplayHint GetDisplayHint() const = 0;
    virtual double ValueFromNormalized(double x, const IParam& param) const = 0;
    virtual double NormalizedFromValue(double v, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape
  {
  public:
    Shape* Clone() const override { return new ShapeLinear(*this); }
    DisplayHint GetDisplayHint() const override { return kDisplayLinear; }
    double ValueFromNormalized(double x, const IParam& param) const override;
    double NormalizedFromValue(double v, const IParam& param) const override;
  };

  // min + (max - min) * x^exponent.
  class ShapePowCurve : public Shape
  {
  public:
    explicit ShapePowCurve(double exponent) : mShape(exponent) {}
    Shape* Clone() const override { return new ShapePowCurve(*this); }
    DisplayHint GetDisplayHint() const override;
    double ValueFromNormalized(double x, const IParam& param) const override;
    double NormalizedFromValue(double v, const IParam& param) const override;
    double GetExponent() const { return mShape; }

  private:
    double mShape;
  };

  // exp(x * mul + add): equal ratios per equal normalised step, for
  // frequencies. A range starting at or below 0 maps from 1e-8.
  class ShapeExp : public Shape
  {
  public:
    Shape* Clone() const override { return new ShapeExp(*this); }
    void Init(const IParam& param) override;
    DisplayHint GetDisplayHint() const override { return kDisplayLog; }
    double ValueFromNormalized(double x, const IParam& param) const override;
    double NormalizedFromValue(double v, const IParam& param) const override;

  private:
    double mMul = 1.0;
    double mAdd = 1.0;
  };

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisation: one of these per parameter, on the main thread, before
  // processing starts. Every form ends in InitDouble. A second call
  // overwrites the definition but keeps a type already set and appends its
  // display texts after the existing ones.
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", int flags = 0, const char* group = "",
                  const Shape& shape = ShapeLinear(), UnitCode unit = kUnitCustom,
                  DisplayFunction displayFunc = nullptr);
  void InitBool(const char* name, bool defaultValue, const char* label = "", int flags = 0,
                const char* group = "", const char* offText = "off", const char* onText = "on");
  // A text where the default belongs would convert silently to true.
  void InitBool(const char* name, const char* notADefault, const char* label = "", int flags = 0,
                const char* group = "", const char* offText = "off", const char* onText = "on") = delete;
  // texts name the values 0, 1, ... in order; texts beyond the count are
  // ignored, values without a text show their number.
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "", int flags = 0,
                const char* group = "", std::initializer_list<const char*> texts = {});
  void InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags = 0,
                const char* group = "");
  void InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label = "",
               int flags = 0, const char* group = "");
  void InitSeconds(const char* name, double defaultVal = 1., double minVal = 0., double maxVal = 10.,
                   double step = 0.1, int flags = 0, const char* group = "");
  void InitMilliseconds(const char* name, double defaultVal = 1., double minVal = 0., double maxVal = 100.,
                        int flags = 0, const char* group = "");
  void InitGain(const char* name, double defaultVal = 0., double minVal = -70., double maxVal = 24.,
                double step = 0.5, int flags = 0, const char* group = "");
  void InitPercentage(const char* name, double defaultVal = 0., double minVal = 0., double maxVal = 100.,
                      int flags = 0, const char* group = "");
  void InitDegrees(const char* name, double defaultVal = 0., double minVal = 0., double maxVal = 360.,
                   int flags = 0, const char* group = "");
  void InitFrequency(const char* name, double defaultVal = 1000., double minVal = 0.1, double maxVal = 10000.,
                     double step = 0.1, int flags = 0, const char* group = "");
  // Values 0 .. last - first named after the notes first .. last ("C#3");
  // middleCIsC4 names note 60 "C 4" instead of "C 3". Notes are >= 0.
  void InitNoteNames(const char* name, int defaultValue, int firstNote, int lastNote, int flags = 0,
                     const char* group = "", bool middleCIsC4 = false);
  // Copies the source's definition; the first occurrence of searchStr in
  // its name becomes replaceStr, and newGroup (when not empty) replaces its
  // group.
  void InitFromParam(const IParam& source, const char* searchStr = nullptr, const char* replaceStr = "",
                     const char* newGroup = "");

  // Appends a value/text pair (no replacement of an equal value).
  void SetDisplayText(double value, const char* text);
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }

  // Values (any thread, lock-free).
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  // The value before the most recent set.
  double PreviousValue() const { return mPreviousValue.load(std::memory_order_relaxed); }
  void Set(double value);
  // The default as stored, without rounding or clamping.
  void SetToDefault();
  void SetNormalized(double normalized) { Set(FromNormalized(normalized)); }
  double GetNormalized() const { return ToNormalized(Value()); }
  double FromNormalized(double normalized) const;
  double ToNormalized(double value) const;
  // Rounded to the step when stepped, then clamped into [min, max] (NaN
  // gives min).
  double Constrain(double value) const;

  // Description.
  const char* GetName() const { return mName; }
  const char* GetLabel() const { return mLabel; }
  const char* GetGroup() const { return mParamGroup; }
  ValueType Type() const { return mType; }
  UnitCode Unit() const { return mUnit; }
  int GetFlags() const { return mFlags; }
  bool GetCanAutomate() const { return !(mFlags & kFlagCannotAutomate); }
  bool GetStepped() const { return mFlags & kFlagStepped; }
  bool GetNegateDisplay() const { return mFlags & kFlagNegateDisplay; }
  bool GetSignDisplay() const { return mFlags & kFlagSignDisplay; }
  bool GetMeta() const { return mFlags & kFlagMeta; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetDefault() const { return mDefault; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  void GetBounds(double& lo, double& hi) const { lo = mMin; hi = mMax; }
  const Shape& GetShape() const { return *mShape; }
  DisplayHint GetDisplayHint() const { return mShape->GetDisplayHint(); }

  // Display texts. An index outside 0 .. NDisplayTexts() - 1 gives the
  // empty text and leaves the value untouched.
  int NDisplayTexts() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayTextAtIdx(int idx, double* pValue = nullptr) const;
  // The text of the first entry whose value equals value exactly; "" when
  // none does.
  const char* GetDisplayTextForValue(double value) const;
  // The value of the first entry whose text equals text exactly.
  bool MapDisplayText(const char* text, double* pValue) const;

  // Display text of value (normalised when the flag says so), cut to 32
  // characters. Independent of the process locale.
  void GetDisplay(double value, bool normalized, PK_String& display, bool withDisplayText = true) const;
  void GetDisplay(PK_String& display, bool withDisplayText = true) const
  {
    GetDisplay(Value(), false, display, withDisplayText);
  }
  // The display text of the current value, then a blank and the unit label
  // when there is one.
  void GetDisplayWithLabel(PK_String& display, bool withDisplayText = true) const
  {
    GetDisplay(display, withDisplayText);
    if (GetLabel()[0] != '\0')
    {
      display.Append(" ");
      display.Append(GetLabel());
    }
  }
  // Parses display text back into a real value: a display text first, then
  // a number ("1.5k" reads as 1500), negated, stepped and clamped.
  double StringToValue(const char* text) const;
  // Reads a number in which the first "k" (else "K") stands for the
  // decimal point of a value in thousands: "2k2" is 2200.
  static double ParseNumber(const char* text);

  // Appends the JSON description of this parameter as entry paramIdx.
  void GetJSON(PK_String& json, int paramIdx) const;
  void PrintDetails() const {}

private:
  double RoundToStep(double value) const;

  ValueType mType = kTypeNone;
  UnitCode mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mPreviousValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = 0;
  DisplayMapping mDisplayMapping = kDisplayMappingNone;
  double mDisplayMin = 0.0;
  double mDisplayMax = 1.0;
  double mDisplayFloor = -1.0;
  char mName[kTextFieldSize] = {};
  char mLabel[kTextFieldSize] = {};
  char mParamGroup[kTextFieldSize] = {};
  std::unique_ptr<Shape> mShape;
  DisplayFunction mDisplayFunction;
  PK_TypedBuf<DisplayTextEntry> mDisplayTexts;
};

} // namespace plugkit
