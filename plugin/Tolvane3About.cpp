// The About box: the plug-in, its build and its current host at a glance,
// for a user to copy into a support request.
#include "framework/NumberText.h"
#include "plugin/Tolvane3.h"

namespace tolvane3 {

namespace {

// Display names of the hosts, by host id (1..67).
constexpr const char* kHostDisplayNames[] = {
  "Reaper", "Protools", "Cubase", "Nuendo", "Cakewalk", "Vegas", "FL Studio", "Samplitude", "Ableton Live",
  "Tracktion", "n-Track Studio", "Melodyne", "Vst-Scanner", "Aulab", "Forte", "Chainer", "Audition", "Orion",
  "Bias", "Sawstudio", "Logic Pro", "Garageband", "Digital Performer", "Standalone", "Audiomulch", "Studio One",
  "Vst3 Test Host", "Ardour", "Renoise", "OpenMPT", "Wavelab", "Wavelab Elements", "TwistedWave", "Bitwig Studio",
  "WWW", "Reason", "GoldWave", "Waveform", "Audacity", "Acoustica", "Plugindoctor", "Izotope RX", "Savihost",
  "Blue Cat's Vst Host", "Blue Cat's Vst3 Host", "Sadie", "SpectraLayers", "VSTHost", "VST Plugin Analyser",
  "Wavosaur", "Mixbus32C", "Kushview Element", "Juce VST Host", "NI Komplete Kontrol", "VST3Shell",
  "UAD Luna Mac", "AudioGridderServer", "VST Live", "Equalizer APO", "Architect", "Izotope VST3 Host",
  "Cantabile 3", "Plugin Buddy", "FinalCut", "DaVinci Resolve", "UAD Luna Win", "DDMF MetaPlugin"};
constexpr int kNumHostDisplayNames = sizeof(kHostDisplayNames) / sizeof(kHostDisplayNames[0]);
static_assert(kNumHostDisplayNames == 67, "one display name per identified host");

const char* HostDisplayName(int host)
{
  return host >= 1 && host <= kNumHostDisplayNames ? kHostDisplayNames[host - 1] : "Unknown";
}

} // namespace

void Tolvane3::AboutText(PK_String& text) const
{
  text.Set("");
  text.AppendFormatted(1024, "Manufacturer: %s\n", GetMfrName());
  text.AppendFormatted(1024, "Plugin name: %s\n", GetProductName());
  text.Append("Version: 3.0.28\n");
  text.AppendFormatted(1024, "Build date: %s\n", __DATE__);
  text.AppendFormatted(1024, "Build time: %s\n", __TIME__);
  text.Append("\n");
  text.AppendFormatted(1024, "Format: %s %s (INTEL, NANOVG, METAL)\n", GetAPIStr(), GetArchStr());
  text.AppendFormatted(1024, "Host: %s\n", HostDisplayName(GetHost()));
  // Connected channels first; in parentheses every channel the plug-in has,
  // side-chain included.
  text.AppendFormatted(1024, "Channels: %d-%d (%d-%d)\n", NChannelsConnected(plugkit::kInput),
    NChannelsConnected(plugkit::kOutput), MaxNChannels(plugkit::kInput), MaxNChannels(plugkit::kOutput));
  const int latency = GetLatency();
  // Decimals with a point, whatever the host's locale.
  text.AppendFormatted(1024, "Plugin delay: %d smp (", latency);
  plugkit::AppendFixed(text, latency * 1000.0 / GetSampleRate(), 1);
  text.Append(" ms)\nSample Rate: ");
  plugkit::AppendFixed(text, GetSampleRate(), 2);
  text.Append(" Hz\n");
  text.AppendFormatted(1024, "Block Size: %d smp\n", GetBlockSize());
  text.Append("\n");
  text.Append("Trademarks:\n");
  text.Append("VST/VST3: Steinberg Media Technologies GmbH\n");
  text.Append("AAX: Avid Technology Inc.\n");
  text.Append("AU: Apple Inc.\n");
}

void Tolvane3::ShowAboutBox()
{
  plugkit::gfx::IGfx* graphics = GetUI();
  if (!graphics)
    return;
  PK_String text;
  AboutText(text);
  graphics->ShowMessageBox(text.Get(), "About", plugkit::gfx::kMB_OK, nullptr);
}

} // namespace tolvane3
