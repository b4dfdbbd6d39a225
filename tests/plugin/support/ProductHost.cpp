#include "tests/plugin/support/ProductHost.h"

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "StandIn/Bundles.h"

namespace testsupport {

namespace {

// The update check of an open editor never leaves the machine in tests: it
// asks a loopback port where nothing listens, unless a test names its own
// server.
const bool kUpdateCheckStaysLocal = setenv("TOLVANE3_UPDATE_CHECK_BASE_URL", "http://127.0.0.1:9", 0) == 0;

} // namespace

ProductUnit::ProductUnit()
{
  mRecord = Tolvane3_Factory();
  mUnit = standin::NewAudioComponentInstance(mRecord);
  EXPECT_EQ(mRecord->Open(mRecord, mUnit), noErr);
}

ProductUnit::~ProductUnit()
{
  mRecord->Close(mRecord);
  standin::DisposeComponentInstance(mUnit);
  standin::ResetBundles();
}

tolvane3::Tolvane3& ProductUnit::Plug() const
{
  void* plugin = nullptr;
  UInt32 size = sizeof(plugin);
  AudioUnitGetProperty(mUnit, plugkit::PluginAU::kPrivatePropertyPluginObject, kAudioUnitScope_Global, 0, &plugin,
                       &size);
  return *static_cast<tolvane3::Tolvane3*>(static_cast<plugkit::PluginAU*>(plugin));
}

OSStatus ProductUnit::Initialize(const char* hostBundleId)
{
  standin::SetMainBundle({hostBundleId, "1.0", "", ""});
  return AudioUnitInitialize(mUnit);
}

OSStatus ProductUnit::SetParam(int idx, double value) const
{
  return AudioUnitSetParameter(mUnit, static_cast<AudioUnitParameterID>(idx), kAudioUnitScope_Global, 0,
                               static_cast<AudioUnitParameterValue>(value), 0);
}

void ProductUnit::FromEditor(int idx, double value) const
{
  Plug().SetParameterValue(idx, true, Plug().GetParam(idx)->ToNormalized(value));
}

int ProductUnit::Latency() const
{
  return Plug().GetLatency();
}

std::vector<double> ProductUnit::Process(const std::vector<double>& left)
{
  tolvane3::Tolvane3& plug = Plug();
  plug.SetChannelConnections(plugkit::kInput, 0, 2, true);
  plug.SetChannelConnections(plugkit::kInput, 2, 2, false);
  plug.SetChannelConnections(plugkit::kOutput, 0, 2, true);
  std::vector<double> inL = left, inR = left, outL(left.size()), outR(left.size());
  double* inputs[4] = {inL.data(), inR.data(), nullptr, nullptr};
  double* outputs[2] = {outL.data(), outR.data()};
  plug.ProcessBlock(inputs, outputs, static_cast<int>(left.size()));
  return outL;
}

std::vector<double> Sine(int n, double amplitude)
{
  std::vector<double> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    v[static_cast<size_t>(i)] = amplitude * std::sin(0.05 * i);
  return v;
}

} // namespace testsupport
