#include "tests/framework/audiounit/fakes/TestHost.h"

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "StandIn/Bundles.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"
#include "framework/audiounit/PluginAU.h"

namespace fakes {

HostedUnit::HostedUnit(Road road, AUTestKind kind) : mRoad(road)
{
  SetNextAUTestKind(kind);
  if (road == Road::Factory)
  {
    mRecord = Tolvane3_Factory();
    mUnit = standin::NewAudioComponentInstance(mRecord);
    EXPECT_EQ(mRecord->Open(mRecord, mUnit), noErr);
  }
  else
  {
    mUnit = standin::NewComponentInstance(Tolvane3_Entry);
    EXPECT_EQ(standin::CallComponent(mUnit, kComponentOpenSelect, {0, ComponentWordFromPointer(mUnit)}), noErr);
  }
}

HostedUnit::~HostedUnit()
{
  if (mRoad == Road::Factory)
    mRecord->Close(mRecord);
  else
    standin::CallComponent(mUnit, kComponentCloseSelect, {ComponentWordFromPointer(mUnit)});
  standin::DisposeComponentInstance(mUnit);
}

AUTestPlugin& HostedUnit::Plugin() const
{
  void* plugin = nullptr;
  UInt32 size = sizeof(plugin);
  AudioUnitGetProperty(mUnit, plugkit::PluginAU::kPrivatePropertyPluginObject, kAudioUnitScope_Global, 0, &plugin,
                       &size);
  return *static_cast<AUTestPlugin*>(static_cast<plugkit::PluginAU*>(plugin));
}

HostedUnit::Info HostedUnit::GetInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element) const
{
  UInt32 size = 0xDEAD;
  Boolean writable = true;
  const OSStatus status = AudioUnitGetPropertyInfo(mUnit, id, scope, element, &size, &writable);
  return {status, size, writable != 0};
}

float HostedUnit::Param(AudioUnitParameterID id) const
{
  float value = -999.0f;
  AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value);
  return value;
}

AudioStreamBasicDescription FloatFormat(UInt32 channels, Float64 sampleRate, UInt32 flags)
{
  AudioStreamBasicDescription d{};
  d.mSampleRate = sampleRate;
  d.mFormatID = kAudioFormatLinearPCM;
  d.mFormatFlags = flags;
  d.mBytesPerPacket = 4;
  d.mFramesPerPacket = 1;
  d.mBytesPerFrame = 4;
  d.mChannelsPerFrame = channels;
  d.mBitsPerChannel = 32;
  return d;
}

std::string TakeText(CFStringRef string)
{
  if (!string)
    return "(null)";
  std::string text = CFStringGetCStringPtr(string, kCFStringEncodingUTF8);
  CFRelease(string);
  return text;
}

void HostedUnitTest::SetUp()
{
  standin::ResetMainLoop();
  standin::ResetBundles();
  ListenerCalls().clear();
  standin::RegisterBundle({kAUTestBundleId, "3.0.28", AU_TEST_BUNDLE_ROOT, "AUTestPlugin"});
  mLiveBefore = standin::LiveObjectCount();
}

void HostedUnitTest::TearDown()
{
  mHost.reset();
  standin::FailCreationsAfter(-1);
  standin::FailArrayCreation(false);
  EXPECT_EQ(standin::LiveObjectCount(), mLiveBefore) << "objects handed out and never released, or leaked";
  EXPECT_EQ(standin::OverReleaseCount(), 0);
  standin::ResetBundles();
  standin::ResetMainLoop();
}

HostedUnit& HostedUnitTest::Open(Road road, AUTestKind kind)
{
  mHost.reset();
  mHost.emplace(road, kind);
  return *mHost;
}

std::vector<ListenerCall>& ListenerCalls()
{
  static std::vector<ListenerCall> calls;
  return calls;
}

void RecordingListener(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                       AudioUnitElement element)
{
  ListenerCalls().push_back({userData, unit, id, scope, element});
}

void OtherListener(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                   AudioUnitElement element)
{
  ListenerCalls().push_back({userData, unit, id + 10000, scope, element});
}

} // namespace fakes
