#pragma once

#include <cstdint>

namespace plugkit {

// Which host application the plug-in runs in, from the host's name or bundle
// identifier. kHostUninit until the host is identified, kHostUnknown when it
// is not in the table. Several names may share an identity.
enum EHostId : int32_t
{
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostVegas = 6,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyne = 12,
  kHostVSTManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPresonus = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30,
  kHostWaveLab = 31,
  kHostWaveLabElements = 32,
  kHostTwistedWave = 33,
  kHostBitwig = 34,
  kHostWWW = 35,
  kHostReason = 36,
  kHostGWVST = 37,
  kHostWaveform = 38,
  kHostAudacity = 39,
  kHostAcoustica = 40,
  kHostPluginDoctor = 41,
  kHostIZotopeRX = 42,
  kHostSAVIHost = 43,
  kHostBlueCatVSTHost = 44,
  kHostBlueCatVST3Host = 45,
  kHostSadie = 46,
  kHostSpectraLayers = 47,
  kHostVSTHost = 48,
  kHostVSTPluginAnalyser = 49,
  kHostWavosaur = 50,
  kHostMixbus32C = 51,
  kHostElement = 52,
  kHostJuceVSTHost = 53,
  kHostKompleteKontrol = 54,
  kHostVST3Shell = 55,
  kHostReservedBundleID = 56,
  kHostAudioGridderServer = 57,
  kHostVSTLive = 58,
  kHostEqualizerAPO = 59,
  kHostArchitect = 60,
  kHostIZotopeVST3Host = 61,
  kHostCantabile3 = 62,
  kHostPluginBuddy = 63,
  kHostFinalCut = 64,
  kHostDreamII = 65,
  kHostUAVST3Host = 66,
  kHostMetaPlugin = 67
};

// The identity whose key the name contains, ignoring case (the first 255
// characters count); the table is searched in an order where longer keys
// come before the shorter keys they contain ("vst live" before "live").
// Null or no match gives kHostUnknown.
EHostId LookUpHostId(const char* name);

} // namespace plugkit
