// The preset slots of the plug-in base: making, restoring, naming and the
// presets chunk.

#include <cstring>
#include <vector>

#include "framework/NumberText.h"
#include "framework/PluginBase.h"

namespace plugkit {

namespace {

// Marks the entries of a named-values preset that no pair has set.
constexpr double kUnsetMarker = 9.999e-8;

int Base64Digit(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}

// Decodes standard base64 into out (size bytes, already zero) until the
// first character outside the alphabet ("=" and the end included) or until
// out is full.
void DecodeBase64(const char* text, uint8_t* out, int size)
{
  uint32_t bits = 0;
  int nBits = 0;
  int written = 0;
  for (const char* p = text; p && *p && written < size; ++p)
  {
    const int digit = Base64Digit(*p);
    if (digit < 0)
      break;
    bits = (bits << 6) | static_cast<uint32_t>(digit);
    nBits += 6;
    if (nBits >= 8)
    {
      nBits -= 8;
      out[written++] = static_cast<uint8_t>(bits >> nBits);
      bits &= (1u << nBits) - 1u;
    }
  }
}

} // namespace

IPreset* PluginBase::FirstFreePreset() const
{
  const int n = NPresets();
  for (int i = 0; i < n; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    if (!preset->mInitialized)
      return preset;
  }
  return nullptr;
}

IPreset* PluginBase::ClaimFreePreset(const char* name)
{
  IPreset* preset = FirstFreePreset();
  if (!preset)
    return nullptr;
  preset->mInitialized = true;
  CopyToField(preset->mName, sizeof(preset->mName), name);
  // A free slot may still hold bytes (its flag cleared by a presets chunk,
  // or a state stored into it as the current preset): the new preset starts
  // from nothing, or its readers would find the old bytes first.
  preset->mChunk.Clear();
  return preset;
}

bool PluginBase::CaptureStateInto(IPreset& preset, const char* name) const
{
  // Named first: a state that carries the preset's name must carry the new
  // one. Captured aside, so a writer that fails leaves the slot as it was.
  char oldName[sizeof(preset.mName)];
  std::memcpy(oldName, preset.mName, sizeof(oldName));
  if (name && *name)
    CopyToField(preset.mName, sizeof(preset.mName), name);
  IByteChunk captured;
  if (!SerializeState(captured))
  {
    std::memcpy(preset.mName, oldName, sizeof(oldName));
    return false;
  }
  // A slot may already hold a state (a program stored into the current
  // slot before it is restored); keep exactly one, or readers of the
  // presets chunk would lose their place after this slot.
  preset.mChunk.Clear();
  preset.mChunk.PutChunk(captured);
  return true;
}

void PluginBase::MakeDefaultPreset(const char* name, int count)
{
  for (int i = 0; i < count; ++i)
  {
    IPreset* preset = FirstFreePreset();
    // A state that cannot be captured now cannot be on the next round.
    if (!preset || !CaptureStateInto(*preset, name ? name : "Empty"))
      return;
    preset->mInitialized = true;
  }
}

void PluginBase::FillEmptyPresets()
{
  MakeDefaultPreset(nullptr, NPresets());
}

bool PluginBase::MakePreset(const char* name, std::initializer_list<double> values)
{
  if (static_cast<int>(values.size()) != NParams())
    return false;
  IPreset* preset = ClaimFreePreset(name);
  if (!preset)
    return false;
  for (double value : values)
    preset->mChunk.PutDouble(value);
  return true;
}

bool PluginBase::MakePresetFromNamedParams(const char* name, std::initializer_list<std::pair<int, double>> values)
{
  IPreset* preset = ClaimFreePreset(name);
  if (!preset)
    return false;

  const int n = NParams();
  std::vector<double> entries(static_cast<size_t>(n), kUnsetMarker);
  for (const auto& [idx, value] : values)
  {
    if (idx >= 0 && idx < n)
      entries[static_cast<size_t>(idx)] = value;
  }
  for (int i = 0; i < n; ++i)
  {
    double entry = entries[static_cast<size_t>(i)];
    if (entry == kUnsetMarker)
      entry = GetParam(i)->Value();
    preset->mChunk.PutDouble(entry);
  }
  return true;
}

bool PluginBase::MakePresetFromChunk(const char* name, const IByteChunk& chunk)
{
  IPreset* preset = ClaimFreePreset(name);
  if (!preset)
    return false;
  preset->mChunk.PutChunk(chunk);
  return true;
}

bool PluginBase::MakePresetFromBlob(const char* name, const char* blob, int chunkSize)
{
  IByteChunk decoded;
  if (decoded.Resize(chunkSize) < 0)
    return false;
  DecodeBase64(blob, decoded.GetData(), decoded.Size());
  return MakePresetFromChunk(name, decoded);
}

void PluginBase::PruneUninitializedPresets()
{
  for (int i = NPresets() - 1; i >= 0; --i)
  {
    if (!mPresets.Get(i)->mInitialized)
      mPresets.Delete(i, true);
  }
}

bool PluginBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset)
    return false;

  if (preset->mInitialized)
  {
    if (UnserializeState(preset->mChunk, 0) <= 0)
      return false;
  }
  else
  {
    // A free slot is filled from the current state instead of read.
    int nUserPresets = 0;
    const int n = NPresets();
    for (int i = 0; i < n; ++i)
    {
      if (std::strstr(mPresets.Get(i)->mName, "user preset"))
        ++nUserPresets;
    }
    PK_String name;
    name.SetFormatted(IPreset::kNameFieldSize - 1, "%s %d", "user preset", nUserPresets + 1);
    if (!CaptureStateInto(*preset, name.Get()))
      return false;
    preset->mInitialized = true;
  }

  mCurrentPresetIdx = idx;
  OnPresetRestored();
  OnRestoreState();
  return true;
}

bool PluginBase::RestorePreset(const char* name)
{
  if (!name || !*name)
    return false;
  const int n = NPresets();
  for (int i = 0; i < n; ++i)
  {
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0)
      return RestorePreset(i);
  }
  return false;
}

const char* PluginBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void PluginBase::ModifyCurrentPreset(const char* name)
{
  if (IPreset* preset = mPresets.Get(mCurrentPresetIdx))
    CaptureStateInto(*preset, name);
}

bool PluginBase::SerializePresets(IByteChunk& chunk) const
{
  const int n = NPresets();
  for (int i = 0; i < n; ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    if (chunk.PutStr(preset->mName) < 0 || chunk.PutBool(preset->mInitialized) < 0)
      return false;
    if (preset->mInitialized && chunk.PutChunk(preset->mChunk) < 0)
      return false;
  }
  return true;
}

int PluginBase::UnserializePresets(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  const int n = NPresets();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);

    // A name cut short keeps the slot's old name.
    PK_String name;
    pos = chunk.GetStr(name, pos);
    if (pos < 0)
      break;
    CopyToField(preset->mName, sizeof(preset->mName), name.Get());

    bool initialized = false;
    pos = chunk.GetBool(initialized, pos);
    if (pos < 0)
      break;
    if (!initialized)
    {
      // A slot the chunk marks free holds no state, like any free slot; what
      // it held before must not be written out or read back as its values.
      preset->mInitialized = false;
      preset->mChunk.Clear();
      continue;
    }

    // A state reader that finds no state of its own answers with the
    // position it was given: that is a refusal too, not an empty state.
    const int next = UnserializeState(chunk, pos);
    if (next <= pos)
    {
      pos = -1;
      break;
    }
    pos = next;
    // Keep the state in the form the plug-in writes now. A writer that fails
    // leaves the slot as it was: a slot marked used must hold a state, or
    // the next save would write one without it.
    if (CaptureStateInto(*preset, nullptr))
      preset->mInitialized = true;
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

} // namespace plugkit
