#pragma once

#include <string>
#include <vector>

#include "AudioUnit/AudioUnit.h"
#include "plugin/Tolvane3.h"

extern "C" AudioComponentPlugInInterface* Tolvane3_Factory();

namespace testsupport {

// The product opened as a host opens it: through the module's exported
// factory, then driven through the stand-in's Audio Unit calls. Closed on
// destruction. The plug-in object is reached as the view factory reaches it.
class ProductUnit
{
public:
  ProductUnit();
  ~ProductUnit();
  ProductUnit(const ProductUnit&) = delete;
  ProductUnit& operator=(const ProductUnit&) = delete;

  AudioUnit Unit() const { return mUnit; }
  tolvane3::Tolvane3& Plug() const;

  // Initialize with a host application as the main bundle ("" for none).
  OSStatus Initialize(const char* hostBundleId = "com.example.anyhost");
  OSStatus SetParam(int idx, double value) const;
  // A change made in the editor: the normalised value, with the change
  // handler run as for the editor.
  void FromEditor(int idx, double value) const;
  double Param(int idx) const { return Plug().GetParam(idx)->Value(); }
  int Latency() const;
  OSStatus Reset() const { return AudioUnitReset(mUnit, kAudioUnitScope_Global, 0); }

  // Runs one stereo block through ProcessBlock (2 in, 2 out connected) and
  // returns the left output.
  std::vector<double> Process(const std::vector<double>& left);

private:
  AudioComponentPlugInInterface* mRecord = nullptr;
  AudioUnit mUnit = nullptr;
};

// A quiet sine block (-40 dB by default), far below the default target.
std::vector<double> Sine(int n, double amplitude = 0.01);

} // namespace testsupport
