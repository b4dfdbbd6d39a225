#include "framework/HostIds.h"

#include <cstring>

namespace plugkit {

namespace {

struct HostKey
{
  const char* key;
  EHostId id;
};

// Row 56 names one host by its reverse-domain bundle identifier, which we do
// not ship. Its placeholder holds capital letters: names are lower-cased
// before the search, so it can never match (and, unlike an empty key, it does
// not match everything).
constexpr const char* kUnassignedBundleIDKey = "com.UNASSIGNED.host-identifier";

// Order matters: a key that contains another comes first, and the catch-all
// keys "standalone" and "www" come last.
constexpr HostKey kHostTable[] = {
  {"vst live", kHostVSTLive},
  {"reaper", kHostReaper},
  {"protools", kHostProTools},
  {"cubase", kHostCubase},
  {"nuendo", kHostNuendo},
  {"cakewalk", kHostCakewalk},
  {"vegas", kHostVegas},
  {"fruity", kHostFruity},
  {"samplitude", kHostSamplitude},
  {"live", kHostLive},
  {"tracktion", kHostTracktion},
  {"ntracks", kHostNTracks},
  {"melodyne", kHostMelodyne},
  {"vstmanlib", kHostVSTManLib},
  {"aulab", kHostAULab},
  {"forte", kHostForte},
  {"chainer", kHostChainer},
  {"audition", kHostAudition},
  {"orion", kHostOrion},
  {"bias", kHostBias},
  {"sawstudio", kHostSawStudio},
  {"logic", kHostLogic},
  {"garageband", kHostGarageBand},
  {"digital", kHostDigital},
  {"audiomulch", kHostAudioMulch},
  {"presonus", kHostPresonus},
  {"vst3plugintesthost", kHostVST3TestHost},
  {"ardour", kHostArdour},
  {"renoise", kHostRenoise},
  {"openmpt", kHostOpenMPT},
  {"wavelab elements", kHostWaveLabElements},
  {"wavelab", kHostWaveLab},
  {"twistedwave", kHostTwistedWave},
  {"bitwig studio", kHostBitwig},
  {"reason", kHostReason},
  {"gwvst", kHostGWVST},
  {"waveform", kHostWaveform},
  {"audacity", kHostAudacity},
  {"acoustica", kHostAcoustica},
  {"plugindoctor", kHostPluginDoctor},
  {"izotope rx", kHostIZotopeRX},
  {"savihost", kHostSAVIHost},
  {"blue cat's vst host", kHostBlueCatVSTHost},
  {"blue cat's vst3 host", kHostBlueCatVST3Host},
  {"sadie", kHostSadie},
  {"spectralayers", kHostSpectraLayers},
  {"vsthost", kHostVSTHost},
  {"vst plugin analyser", kHostVSTPluginAnalyser},
  {"wavosaur", kHostWavosaur},
  {"mixbus32c", kHostMixbus32C},
  {"kv_elementfx", kHostElement},
  {"element", kHostElement},
  {"juce vst host", kHostJuceVSTHost},
  {"komplete kontrol", kHostKompleteKontrol},
  {"vst3shell", kHostVST3Shell},
  {kUnassignedBundleIDKey, kHostReservedBundleID},
  {"audiogridderserver", kHostAudioGridderServer},
  {"equalizer apo", kHostEqualizerAPO},
  {"architect", kHostArchitect},
  {"izotope vst3 host", kHostIZotopeVST3Host},
  {"cantabile 3", kHostCantabile3},
  {"plugin buddy", kHostPluginBuddy},
  {"finalcut", kHostFinalCut},
  {"dream ii", kHostDreamII},
  {"ua vst3 host", kHostUAVST3Host},
  {"metaplugin", kHostMetaPlugin},
  {"standalone", kHostStandalone},
  {"www", kHostWWW},
};

static_assert(sizeof(kHostTable) / sizeof(kHostTable[0]) == 68, "the host table has 68 rows");

} // namespace

EHostId LookUpHostId(const char* name)
{
  if (!name)
    return kHostUnknown;
  char lower[256];
  size_t n = 0;
  for (; n < sizeof(lower) - 1 && name[n]; ++n)
  {
    // ASCII only, whatever the process locale: every key is ASCII.
    const char c = name[n];
    lower[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  lower[n] = '\0';
  for (const HostKey& row : kHostTable)
    if (std::strstr(lower, row.key))
      return row.id;
  return kHostUnknown;
}

} // namespace plugkit
