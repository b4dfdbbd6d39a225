#include "framework/ProgramFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/FileReplacement.h"
#include "framework/NumberText.h"

namespace plugkit {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kNameField = 28;
constexpr int kProgramHeader = 56; // up to the values or the chunk size
constexpr int kBankHeader = 156;
constexpr int kProgramChunkStart = 60;
constexpr int kBankChunkStart = 160;
constexpr uint32_t kFrameworkChunkVersion = 0x00010000;
// Larger files are not program files; this also keeps every offset inside
// the range of a chunk position.
constexpr long kMaxFileSize = 1L << 30;

constexpr uint32_t FourCC(const char (&s)[5])
{
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
         uint32_t(uint8_t(s[3]));
}

constexpr uint32_t kCcnK = FourCC("CcnK");
constexpr uint32_t kFxCk = FourCC("FxCk");
constexpr uint32_t kFPCh = FourCC("FPCh");
constexpr uint32_t kFxBk = FourCC("FxBk");
constexpr uint32_t kFBCh = FourCC("FBCh");
constexpr uint32_t kTffp = FourCC("tffp");

void PutBE32(Bytes& out, uint32_t v)
{
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void PutFloatBE(Bytes& out, float f)
{
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutBE32(out, bits);
}

void PutName(Bytes& out, const char* name)
{
  char field[kNameField];
  CopyToField(field, sizeof(field), name);
  std::memset(field + std::strlen(field), 0, sizeof(field) - std::strlen(field));
  out.insert(out.end(), field, field + kNameField);
}

// The file's contents with bounds-checked big-endian readers: every read
// says whether the bytes were there.
struct FileView
{
  Bytes bytes;

  long Size() const { return static_cast<long>(bytes.size()); }
  bool Holds(long pos, long n) const { return pos >= 0 && n >= 0 && pos <= Size() - n; }
  bool BE32(long pos, uint32_t& v) const
  {
    if (!Holds(pos, 4))
      return false;
    const uint8_t* p = bytes.data() + pos;
    v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    return true;
  }
  float FloatBE(long pos) const
  {
    uint32_t bits = 0;
    BE32(pos, bits);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  // The 28-byte name field, always terminated (a name of 28 bytes is taken
  // whole).
  void Name(long pos, char (&out)[kNameField + 1]) const
  {
    std::memset(out, 0, sizeof(out));
    if (Holds(pos, kNameField))
      std::memcpy(out, bytes.data() + pos, kNameField);
  }
};

bool ReadFile(const char* path, FileView& file)
{
  std::FILE* f = std::fopen(path, "rb");
  if (!f)
    return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxFileSize && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok)
  {
    file.bytes.resize(static_cast<size_t>(size));
    ok = std::fread(file.bytes.data(), 1, file.bytes.size(), f) == file.bytes.size();
  }
  std::fclose(f);
  return ok;
}

const char* CurrentPresetName(const PluginBase& plugin)
{
  const IPreset* preset = plugin.GetPreset(plugin.GetCurrentPresetIdx());
  return preset ? preset->mName : "";
}

// Fills in the byte size (everything after its own field) and writes. A
// save that fails leaves the file it would replace as it was.
bool Finish(const char* path, Bytes& out)
{
  const uint32_t byteSize = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i)
    out[4 + static_cast<size_t>(i)] = uint8_t(byteSize >> (24 - 8 * i));
  return WriteFileReplacing(path, out.data(), out.size());
}

void PutHeader(Bytes& out, uint32_t fxMagic, uint32_t version, const PluginBase& plugin, uint32_t count)
{
  PutBE32(out, kCcnK);
  PutBE32(out, 0); // byte size, filled in by Finish
  PutBE32(out, fxMagic);
  PutBE32(out, version);
  PutBE32(out, static_cast<uint32_t>(plugin.GetUniqueID()));
  PutBE32(out, static_cast<uint32_t>(plugin.GetPluginVersion(true)));
  PutBE32(out, count);
}

// "tffp", the framework version (little-endian), then the payload, preceded
// by its big-endian size.
void PutFrameworkChunk(Bytes& out, const IByteChunk& payload)
{
  PutBE32(out, static_cast<uint32_t>(8 + payload.Size()));
  PutBE32(out, kTffp);
  for (int i = 0; i < 4; ++i)
    out.push_back(uint8_t(kFrameworkChunkVersion >> (8 * i)));
  if (payload.Size() > 0)
    out.insert(out.end(), payload.GetData(), payload.GetData() + payload.Size());
}

// A preset as a program record. Its values come from its chunk read as the
// framework state chunk (one little-endian double per parameter); once the
// chunk runs short, the rest read 0.0.
void PutProgramRecord(Bytes& out, const PluginBase& plugin, const IPreset& preset)
{
  const size_t start = out.size();
  PutHeader(out, kFxCk, 1, plugin, static_cast<uint32_t>(plugin.NParams()));
  PutName(out, preset.mName);
  int pos = 0;
  for (int i = 0; i < plugin.NParams(); ++i)
  {
    double value = 0.0;
    if (pos >= 0)
      pos = preset.mChunk.GetDouble(value, pos);
    if (pos < 0)
      value = 0.0;
    PutFloatBE(out, static_cast<float>(plugin.GetParam(i)->ToNormalized(value)));
  }
  const uint32_t byteSize = static_cast<uint32_t>(out.size() - start - 8);
  for (int i = 0; i < 4; ++i)
    out[start + 4 + static_cast<size_t>(i)] = uint8_t(byteSize >> (24 - 8 * i));
}

// The state and every preset slot as they are now, to put back when a load
// fails half-way through the plug-in's own readers. The slots are copied
// field by field: reading them back through the presets chunk would restore
// the current preset, which fills a free current slot as a user preset.
struct Snapshot
{
  struct Slot
  {
    bool initialized;
    std::string name;
    IByteChunk chunk;
  };
  IByteChunk state;
  std::vector<Slot> slots;
  bool taken = false;

  explicit Snapshot(const PluginBase& plugin)
  {
    taken = plugin.SerializeState(state);
    for (int i = 0; i < plugin.NPresets(); ++i)
    {
      const IPreset& preset = *plugin.GetPreset(i);
      slots.push_back(Slot{preset.mInitialized, preset.mName, preset.mChunk});
    }
  }
  void Restore(PluginBase& plugin) const
  {
    for (int i = 0; i < plugin.NPresets() && i < static_cast<int>(slots.size()); ++i)
    {
      IPreset& preset = *plugin.GetPreset(i);
      const Slot& slot = slots[static_cast<size_t>(i)];
      preset.mInitialized = slot.initialized;
      CopyToField(preset.mName, sizeof(preset.mName), slot.name.c_str());
      preset.mChunk.Clear();
      preset.mChunk.PutChunk(slot.chunk);
    }
    if (taken)
      plugin.UnserializeState(state, 0);
  }
};

// The position of the state inside a chunk-form file, or -1 when the file
// is too short for the chunk it announces.
long ChunkPosition(const FileView& file, long sizeAt, long start)
{
  uint32_t chunkSize = 0;
  if (!file.BE32(sizeAt, chunkSize) || !file.Holds(start, static_cast<long>(chunkSize)))
    return -1;
  uint32_t magic = 0;
  if (chunkSize >= 8 && file.BE32(start, magic) && magic == kTffp)
    return start + 8; // the framework version is not needed to read on
  return start;
}

IByteChunk AsChunk(const FileView& file)
{
  IByteChunk chunk;
  if (file.Size() > 0)
    chunk.PutBytes(file.bytes.data(), static_cast<int>(file.Size()));
  return chunk;
}

bool IsOurs(const FileView& file, const PluginBase& plugin, uint32_t& fxMagic)
{
  uint32_t magic = 0, id = 0;
  return file.BE32(0, magic) && magic == kCcnK && file.BE32(8, fxMagic) && file.BE32(16, id) &&
         id == static_cast<uint32_t>(plugin.GetUniqueID());
}

// Replaces preset idx's state with the current one, and its name when the
// file gives one. Aimed at the program's own slot rather than the current
// preset: when restoring that slot failed, another preset is still current
// and must not receive this program.
void StoreInto(PluginBase& plugin, int idx, const char* name)
{
  IPreset* preset = plugin.GetPreset(idx);
  if (!preset)
    return;
  preset->mChunk.Clear();
  plugin.SerializeState(preset->mChunk);
  if (name && name[0])
    CopyToField(preset->mName, sizeof(preset->mName), name);
}

} // namespace

bool SavePresetAsFXP(const PluginBase& plugin, const char* path)
{
  if (!path || !path[0])
    return false;
  Bytes out;
  const bool chunks = plugin.DoesStateChunks();
  PutHeader(out, chunks ? kFPCh : kFxCk, 1, plugin, static_cast<uint32_t>(plugin.NParams()));
  PutName(out, CurrentPresetName(plugin));
  if (chunks)
  {
    IByteChunk state;
    if (!plugin.SerializeState(state))
      return false;
    PutFrameworkChunk(out, state);
  }
  else
  {
    for (int i = 0; i < plugin.NParams(); ++i)
      PutFloatBE(out, static_cast<float>(plugin.GetParam(i)->GetNormalized()));
  }
  return Finish(path, out);
}

bool SaveBankAsFXB(const PluginBase& plugin, const char* path)
{
  if (!path || !path[0])
    return false;
  Bytes out;
  const bool chunks = plugin.DoesStateChunks();
  PutHeader(out, chunks ? kFBCh : kFxBk, 2, plugin, static_cast<uint32_t>(plugin.NPresets()));
  PutBE32(out, static_cast<uint32_t>(plugin.GetCurrentPresetIdx()));
  out.resize(kBankHeader, 0);
  if (chunks)
  {
    IByteChunk presets;
    if (!plugin.SerializePresets(presets))
      return false;
    PutFrameworkChunk(out, presets);
  }
  else
  {
    for (int i = 0; i < plugin.NPresets(); ++i)
      PutProgramRecord(out, plugin, *plugin.GetPreset(i));
  }
  return Finish(path, out);
}

bool LoadPresetFromFXP(PluginBase& plugin, const char* path)
{
  FileView file;
  if (!path || !path[0] || !ReadFile(path, file))
    return false;
  uint32_t fxMagic = 0, version = 0;
  if (!IsOurs(file, plugin, fxMagic) || !file.BE32(12, version) || version != 1 || !file.Holds(0, kProgramHeader))
    return false;
  char name[kNameField + 1];
  file.Name(28, name);

  if (fxMagic == kFPCh && plugin.DoesStateChunks())
  {
    const long pos = ChunkPosition(file, kProgramHeader, kProgramChunkStart);
    if (pos < 0)
      return false;
    const Snapshot before(plugin);
    // A reader that finds no state of its own answers with the position it
    // was given: a foreign chunk is refused like a damaged one.
    if (plugin.UnserializeState(AsChunk(file), static_cast<int>(pos)) <= pos)
    {
      before.Restore(plugin);
      return false;
    }
  }
  else if (fxMagic == kFxCk)
  {
    const int n = plugin.NParams();
    if (!file.Holds(kProgramHeader, 4L * n))
      return false;
    for (int i = 0; i < n; ++i)
      plugin.GetParam(i)->SetNormalized(file.FloatBE(kProgramHeader + 4L * i));
  }
  else
    return false;

  // Stored into the current preset (when the index names one), which is then
  // restored. Values set from the file without a preset to restore still
  // reach the DSP through a change pass, as every other load's do.
  plugin.ModifyCurrentPreset(name[0] ? name : nullptr);
  if (!plugin.RestorePreset(plugin.GetCurrentPresetIdx()) && fxMagic == kFxCk)
    plugin.OnParamReset(kSourcePresetRecall);
  plugin.NotifyPresetChange();
  return true;
}

bool LoadBankFromFXB(PluginBase& plugin, const char* path)
{
  FileView file;
  if (!path || !path[0] || !ReadFile(path, file))
    return false;
  uint32_t fxMagic = 0;
  if (!IsOurs(file, plugin, fxMagic) || !file.Holds(0, kBankHeader))
    return false;

  if (fxMagic == kFBCh && plugin.DoesStateChunks())
  {
    const long pos = ChunkPosition(file, kBankHeader, kBankChunkStart);
    if (pos < 0)
      return false;
    const Snapshot before(plugin);
    if (plugin.UnserializePresets(AsChunk(file), static_cast<int>(pos)) < 0)
    {
      before.Restore(plugin);
      return false;
    }
    plugin.NotifyPresetChange();
    return true;
  }
  if (fxMagic != kFxBk)
    return false;

  uint32_t programs = 0, current = 0;
  file.BE32(24, programs);
  file.BE32(28, current);
  const int nPrograms = static_cast<int32_t>(programs) > 0 ? static_cast<int32_t>(programs) : 0;
  const int nParams = plugin.NParams();
  const long recordSize = kProgramHeader + 4L * nParams;

  // Every record the bank claims must be there and match before the first
  // one is applied.
  if (!file.Holds(kBankHeader, recordSize * nPrograms))
    return false;
  for (int i = 0; i < nPrograms; ++i)
  {
    const long rec = kBankHeader + recordSize * i;
    uint32_t magic = 0, fxMagicRec = 0, version = 0, count = 0;
    file.BE32(rec, magic);
    file.BE32(rec + 8, fxMagicRec);
    file.BE32(rec + 12, version);
    file.BE32(rec + 24, count);
    if (magic != kCcnK || fxMagicRec != kFxCk || version != 1 || count != static_cast<uint32_t>(nParams))
      return false;
  }

  // Programs beyond the plug-in's presets have no slot of their own.
  const int nApplied = nPrograms < plugin.NPresets() ? nPrograms : plugin.NPresets();
  for (int i = 0; i < nApplied; ++i)
  {
    const long rec = kBankHeader + recordSize * i;
    char name[kNameField + 1];
    file.Name(rec + 28, name);
    plugin.RestorePreset(i);
    for (int k = 0; k < nParams; ++k)
      plugin.GetParam(k)->SetNormalized(file.FloatBE(rec + kProgramHeader + 4L * k));
    StoreInto(plugin, i, name);
  }
  plugin.RestorePreset(static_cast<int32_t>(current));
  plugin.NotifyPresetChange();
  return true;
}

} // namespace plugkit
