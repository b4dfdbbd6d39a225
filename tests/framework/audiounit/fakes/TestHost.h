#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AudioUnit/AudioUnit.h"
#include "tests/framework/audiounit/fakes/AUTestPlugin.h"

extern "C" AudioComponentPlugInInterface* Tolvane3_Factory();
extern "C" ComponentResult Tolvane3_Entry(ComponentParameters* params, void* storage);

namespace fakes {

// The two roads by which a host opens the module.
enum class Road
{
  Factory, // the Audio Component factory and its plug-in interface record
  Entry,   // the Component Manager entry
};

// One unit as a host holds it: opened on construction, closed on
// destruction. Calls go through the stand-in's Audio Unit functions, which
// take the road the unit was opened by.
class HostedUnit
{
public:
  explicit HostedUnit(Road road = Road::Factory, AUTestKind kind = AUTestKind::Effect);
  ~HostedUnit();
  HostedUnit(const HostedUnit&) = delete;
  HostedUnit& operator=(const HostedUnit&) = delete;

  AudioUnit Unit() const { return mUnit; }
  // The plug-in interface record (Factory road only).
  AudioComponentPlugInInterface* Record() const { return mRecord; }
  // The plug-in object, found as the view factory finds it.
  AUTestPlugin& Plugin() const;

  OSStatus Initialize() const { return AudioUnitInitialize(mUnit); }
  template <typename T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T& out) const
  {
    UInt32 size = sizeof(T);
    return AudioUnitGetProperty(mUnit, id, scope, element, &out, &size);
  }
  template <typename T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value) const
  {
    return AudioUnitSetProperty(mUnit, id, scope, element, &value, sizeof(T));
  }
  // The information call: status, size, writable.
  struct Info
  {
    OSStatus status;
    UInt32 size;
    bool writable;
  };
  Info GetInfo(AudioUnitPropertyID id, AudioUnitScope scope = kAudioUnitScope_Global,
               AudioUnitElement element = 0) const;
  float Param(AudioUnitParameterID id) const;

private:
  Road mRoad;
  AudioComponentPlugInInterface* mRecord = nullptr;
  AudioUnit mUnit = nullptr;
};

// A stream format with the fields a host sets.
AudioStreamBasicDescription FloatFormat(UInt32 channels, Float64 sampleRate = 44100.0,
                                        UInt32 flags = kAudioFormatFlagsCanonical);

// The UTF-8 text of a string the host was handed, which it then releases.
std::string TakeText(CFStringRef string);

// A unit opened for each test, a registered bundle for the plug-in, and a
// check that every object handed out has come back when the unit closed.
class HostedUnitTest : public testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;
  HostedUnit& Open(Road road = Road::Factory, AUTestKind kind = AUTestKind::Effect);
  HostedUnit& Host() { return *mHost; }
  AUTestPlugin& Plugin() { return mHost->Plugin(); }

private:
  std::optional<HostedUnit> mHost;
  long mLiveBefore = 0;
};

// A listener that appends each call here.
struct ListenerCall
{
  void* userData;
  AudioUnit unit;
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  AudioUnitElement element;
  bool operator==(const ListenerCall&) const = default;
};
std::vector<ListenerCall>& ListenerCalls();
void RecordingListener(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                       AudioUnitElement element);
void OtherListener(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                   AudioUnitElement element);

} // namespace fakes
