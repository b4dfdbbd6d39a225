// Writes the three preset source statements of the original preset to the
// file named by its argument (replacing it), for the test program to compile.
#include <cstdio>

#include "framework/PresetSource.h"
#include "tests/framework/presetsource/SourcePresetPlugin.h"

int main(int argc, char** argv)
{
  if (argc != 2)
    return 2;
  std::remove(argv[1]);
  fakes::StandalonePlugin plugin(presetsource::kNumParams, 1);
  presetsource::MakeOriginal(plugin);
  const bool written = plugkit::WritePresetSource(plugin, argv[1]) &&
                       plugkit::WriteNamedPresetSource(plugin, argv[1], presetsource::kParamEnumNames,
                         presetsource::kNumParams) &&
                       plugkit::WritePresetBlobSource(plugin, argv[1]);
  return written ? 0 : 1;
}
