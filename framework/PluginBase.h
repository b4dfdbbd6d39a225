#pragma once

#include <functional>
#include <initializer_list>
#include <utility>

#include "framework/IByteChunk.h"
#include "framework/IGEditorDelegate.h"
#include "framework/IParam.h"
#include "framework/IPreset.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"

namespace plugkit {

// The plug-in format a plug-in runs as.
enum EAPI : int
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIAUv3 = 3,
  kAPIAAX = 4,
  kAPIAPP = 5,
  kAPIWAM = 6,
  kAPIWEB = 7,
};

// The layer of the plug-in that knows who it is and what its parameters
// are, whatever the plug-in format: names and four-character codes, the
// packed version, the host's identity as the API base found it, the preset
// slots, helpers over ranges and groups of parameters, and the framework's
// own state chunk (the parameter values as little-endian doubles, in index
// order, nothing else).
//
// Never constructed on its own: the API base derives from it and fills the
// identity fields. Everything here runs on the main thread; parameter values
// are set through their atomic operations, so the audio thread may read
// them meanwhile. Nothing takes a lock.
//
// Bad input: ranges and groups are cut to the parameters that exist; state
// and preset readers never read past their chunk and report a short chunk
// with -1, leaving what they could not read unchanged.
class PluginBase : public gfx::IGEditorDelegate
{
public:
  PluginBase(int nParams, int nPresets, EAPI api);
  ~PluginBase() override;

  // Identity ------------------------------------------------------------------
  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMfrName() const { return mMfrName.Get(); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetHostName() const { return mHostName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetHost() const { return mHost; }
  EAPI GetAPI() const { return mAPI; }
  bool HasUI() const { return mHasUI; }
  bool DoesStateChunks() const { return mStateChunks; }

  // The packed version (major << 16 | minor << 8 | patch), or with decimal
  // set major * 1000 + minor * 100 + patch * 10.
  int GetPluginVersion(bool decimal) const { return VersionOf(mVersion, decimal); }
  // "v3.0.28".
  void GetPluginVersionStr(PK_String& str) const { VersionStrOf(mVersion, str); }
  int GetHostVersion(bool decimal) const { return VersionOf(mHostVersion, decimal); }
  void GetHostVersionStr(PK_String& str) const { VersionStrOf(mHostVersion, str); }
  // "AU" and the like; "" for an unknown format.
  const char* GetAPIStr() const;
  const char* GetArchStr() const { return "x64"; }
  // "<name> version v1.2.3 AU (x64), built on <date> at <hh:mm> ".
  void GetBuildInfoStr(PK_String& str) const;

  // Parameter helpers ---------------------------------------------------------
  // Indices are inclusive; parts of a range outside the parameters are
  // skipped.
  // Names each parameter with nameFmt (a printf format taking one int)
  // filled with countStart + (index - startIdx).
  void InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmt, double defaultVal,
                      double minVal, double maxVal, double step, const char* label = "", int flags = 0,
                      const char* group = "", const IParam::Shape& shape = IParam::ShapeLinear(),
                      IParam::UnitCode unit = IParam::kUnitCustom, IParam::DisplayFunction displayFunc = nullptr);
  void CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr = "",
                       const char* replaceStr = "", const char* newGroup = "");
  // Parameter destIdx + k takes the value of startIdx + k for k below
  // nParams; stops where either index passes the last parameter.
  void CopyParamValues(int startIdx, int destIdx, int nParams);
  // The k-th parameter of outGroup takes the value of the k-th of inGroup,
  // for as many pairs as both groups have.
  void CopyParamValues(const char* inGroup, const char* outGroup);
  void ForParamInRange(int startIdx, int endIdx, const std::function<void(int, IParam&)>& func);
  void ForParamInGroup(const char* group, const std::function<void(int, IParam&)>& func);
  void DefaultParamValues();
  void DefaultParamValues(int startIdx, int endIdx);
  void DefaultParamValues(const char* group);
  void RandomiseParamValues();
  void RandomiseParamValues(int startIdx, int endIdx);
  void RandomiseParamValues(const char* group);
  void PrintParamValues();

  // State ---------------------------------------------------------------------
  // Appends every parameter's value as an 8-byte little-endian double;
  // false when memory ran out.
  bool SerializeParams(IByteChunk& chunk) const;
  // Reads the values back from startPos and runs OnParamReset with
  // kSourcePresetRecall. Returns the next position, or -1 when the chunk
  // ends too early: the values read before stay set, the parameter whose
  // bytes are missing and all after it keep their values. A negative
  // startPos changes no value and is returned.
  int UnserializeParams(const IByteChunk& chunk, int startPos);

  virtual void NotifyHostParamInfoChange() {}
  virtual bool SerializeState(IByteChunk& chunk) const { return SerializeParams(chunk); }
  virtual int UnserializeState(const IByteChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  virtual bool SerializeExtraState(IByteChunk& chunk) const { return true; }
  virtual int UnserializeExtraState(const IByteChunk& chunk, int startPos) { return startPos; }
  virtual void NotifyPresetChange() {}
  virtual void OnPresetRestored() {}

  // Presets -------------------------------------------------------------------
  // The make operations fill the first free slot; without one they do
  // nothing and return false.
  // count times: a free slot named name (or "Empty") with the current state;
  // stops at the first state that cannot be captured, leaving that slot free.
  void MakeDefaultPreset(const char* name = nullptr, int count = 1);
  // Every free slot becomes "Empty" with the current state.
  void FillEmptyPresets();
  // One value per parameter, in index order; a list of another length is
  // refused.
  bool MakePreset(const char* name, std::initializer_list<double> values);
  // (index, value) pairs; parameters not named keep their current value,
  // pairs naming no parameter are ignored.
  bool MakePresetFromNamedParams(const char* name, std::initializer_list<std::pair<int, double>> values);
  bool MakePresetFromChunk(const char* name, const IByteChunk& chunk);
  // Decodes base64 text into chunkSize bytes (zero-filled, decoding stops
  // at the first character outside the alphabet or when full).
  bool MakePresetFromBlob(const char* name, const char* blob, int chunkSize);
  void PruneUninitializedPresets();
  // Applies preset idx; a free slot is filled with the current state and
  // named "user preset N" instead. False for a bad index or when the state
  // could not be read or captured.
  bool RestorePreset(int idx);
  // The first preset with exactly this name.
  bool RestorePreset(const char* name);
  // "" outside the list.
  const char* GetPresetName(int idx) const;
  // Renames the current preset when a name is given, then replaces its state
  // with the current one (which so carries the new name). A state that
  // cannot be captured leaves the preset as it was, name included.
  void ModifyCurrentPreset(const char* name = nullptr);
  int NPresets() const { return mPresets.GetSize(); }
  // The slot at idx; null outside the list.
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }

  // The presets chunk: per slot, its name (u32 length and bytes), its
  // initialised byte and, when initialised, its state. Appended to chunk.
  bool SerializePresets(IByteChunk& chunk) const;
  // Reads the presets chunk back into the slots (the list must be as long
  // as when it was written), then restores the current preset. Returns the
  // next position, or -1 when the chunk is short or a state is refused (a
  // state reader that answers with the position it was given found no state
  // of its own); the refused slot keeps its flag and state.
  int UnserializePresets(const IByteChunk& chunk, int startPos);

protected:
  static int VersionOf(int packed, bool decimal);
  static void VersionStrOf(int packed, PK_String& str);
  IPreset* FirstFreePreset() const;
  // The first free slot, made initialised, named and emptied; null when no
  // slot is free.
  IPreset* ClaimFreePreset(const char* name);
  // Names the slot (when a name is given), then fills it with the current
  // state alone; false, and the slot as it was, when the state cannot be
  // captured. The initialised flag is the caller's.
  bool CaptureStateInto(IPreset& preset, const char* name) const;

  int mCurrentPresetIdx = 0;
  bool mStateChunks = false;
  PK_String mPluginName;
  PK_String mProductName;
  PK_String mMfrName;
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  int mHostVersion = 0;
  int mHost = -1;
  EAPI mAPI;
  PK_String mBundleID;
  bool mHasUI = false;
  // Distinct group names, not owned (they point into the parameters).
  PK_PtrList<const char> mParamGroups;
  PK_PtrList<IPreset> mPresets;
  PK_String mHostName;
};

} // namespace plugkit
