// Feeds damaged program and bank files, in the parameter and the chunk
// forms, to their loaders: under AddressSanitizer any read outside the
// file's bytes is caught.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/PluginAPIBase.h"
#include "framework/ProgramFiles.h"

namespace {

plugkit::PluginConfig Config(bool chunks)
{
  plugkit::PluginConfig config;
  config.paramCount = 3;
  config.presetCount = 2;
  config.uniqueId = ('K' << 24) | ('V' << 16) | ('6' << 8) | '2';
  config.stateChunks = chunks;
  return config;
}

void Define(plugkit::PluginAPIBase& plugin)
{
  plugin.GetParam(0)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1);
  plugin.GetParam(1)->InitInt("Mode", 0, 0, 10);
  plugin.GetParam(2)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 0.0, "Hz", 0, "", plugkit::IParam::ShapeExp());
  plugin.MakeDefaultPreset("A");
}

// A file of its own in the temporary folder for as long as it lives,
// removed when done so that no run leaves files behind.
struct ScratchFile
{
  std::string path;

  ScratchFile()
  {
    char pattern[] = "/tmp/program-files-fuzz-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0)
    {
      close(fd);
      path = pattern;
    }
  }
  ~ScratchFile()
  {
    if (!path.empty())
      unlink(path.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
};

// A saved program or bank of the plug-in, read back as bytes.
std::string Saved(bool chunks, bool bank)
{
  plugkit::PluginAPIBase plugin(Config(chunks), plugkit::kAPIAU);
  Define(plugin);
  const ScratchFile scratch;
  const std::string& path = scratch.path;
  if (bank)
    plugkit::SaveBankAsFXB(plugin, path.c_str());
  else
    plugkit::SavePresetAsFXP(plugin, path.c_str());
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb"))
  {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
      bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

} // namespace

// The input picks a well-formed file of one of the four kinds, a length to
// cut or pad it to, and byte changes to make in it: the loaders are not
// instrumented, so starting from valid files reaches their deeper checks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 3)
    return 0;
  static const std::string templates[4] = {Saved(false, false), Saved(false, true), Saved(true, false),
    Saved(true, true)};
  const int kind = data[0] % 4;
  std::string file = templates[kind];
  file.resize(((size_t(data[1]) << 8) | data[2]) % (file.size() + 64), '\0');
  for (size_t i = 3; i + 2 < size && !file.empty(); i += 3)
    file[((size_t(data[i]) << 8) | data[i + 1]) % file.size()] = static_cast<char>(data[i + 2]);

  const ScratchFile scratch;
  const std::string& path = scratch.path;
  if (std::FILE* f = std::fopen(path.c_str(), "wb"))
  {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  plugkit::PluginAPIBase plugin(Config(kind >= 2), plugkit::kAPIAU);
  Define(plugin);
  if (kind % 2)
    plugkit::LoadBankFromFXB(plugin, path.c_str());
  else
    plugkit::LoadPresetFromFXP(plugin, path.c_str());
  return 0;
}
