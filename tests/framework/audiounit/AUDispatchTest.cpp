#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "StandIn/Bundles.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

class AUDispatch : public testing::TestWithParam<Road>
{
protected:
  void TearDown() override { standin::ResetBundles(); }
};

INSTANTIATE_TEST_SUITE_P(Roads, AUDispatch, testing::Values(Road::Factory, Road::Entry));

TEST_P(AUDispatch, InitializeIdentifiesTheHostOnceFromTheMainBundle)
{
  standin::SetMainBundle({"com.apple.logic10", "10.4", "", ""});
  HostedUnit host(GetParam());
  ASSERT_EQ(host.Initialize(), noErr);
  EXPECT_EQ(host.Plugin().GetHost(), plugkit::kHostLogic);
  EXPECT_EQ(host.Plugin().GetHostVersion(false), 0x000A0400);

  // Identified once: a later main bundle changes nothing.
  standin::SetMainBundle({"com.example.other", "2.1.7", "", ""});
  ASSERT_EQ(host.Initialize(), noErr);
  EXPECT_EQ(host.Plugin().GetHost(), plugkit::kHostLogic);
}

TEST_P(AUDispatch, InitializeWithoutMainBundleNamesNoHost)
{
  standin::ResetBundles();
  HostedUnit host(GetParam());
  ASSERT_EQ(host.Initialize(), noErr);
  EXPECT_EQ(host.Plugin().GetHost(), plugkit::kHostUnknown);
  EXPECT_EQ(host.Plugin().GetHostVersion(false), 0);
}

TEST_P(AUDispatch, InitializeRunsEveryParameterActivatesAndResetsWithTheFormatsRate)
{
  HostedUnit host(GetParam());
  AUTestPlugin& p = host.Plugin();
  ASSERT_EQ(host.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(2, 96000.0)), noErr);
  EXPECT_TRUE(p.resets.empty()); // a format write alone does not reset
  p.paramChanges.clear();
  ASSERT_EQ(host.Initialize(), noErr);
  EXPECT_TRUE(p.IsInitialized());
  ASSERT_EQ(p.paramChanges.size(), static_cast<size_t>(kAUTestNParams));
  for (int i = 0; i < kAUTestNParams; ++i)
    EXPECT_EQ(p.paramChanges[static_cast<size_t>(i)], (AUTestPlugin::ParamChange{i, plugkit::kSourceReset, -1}));
  EXPECT_EQ(p.activations, std::vector<bool>{true});
  EXPECT_EQ(p.resets, std::vector<double>{96000.0});

  EXPECT_EQ(AudioUnitUninitialize(host.Unit()), noErr);
  EXPECT_FALSE(p.IsInitialized());
  EXPECT_EQ(p.activations, (std::vector<bool>{true, false}));
}

TEST_P(AUDispatch, InitializeRefusesALayoutNoConfigurationHasAndChangesNothing)
{
  // Each side alone is legal, but no layout pairs a stereo main input with
  // a mono output.
  HostedUnit host(GetParam(), AUTestKind::Effect);
  AUTestPlugin& p = host.Plugin();
  ASSERT_EQ(host.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(2)), noErr);
  ASSERT_EQ(host.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(1)), noErr);
  p.paramChanges.clear();
  EXPECT_EQ(host.Initialize(), badComponentSelector);
  EXPECT_FALSE(p.IsInitialized());
  EXPECT_TRUE(p.paramChanges.empty());
  EXPECT_TRUE(p.activations.empty());
  EXPECT_TRUE(p.resets.empty());

  ASSERT_EQ(host.Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(2)), noErr);
  EXPECT_EQ(host.Initialize(), noErr);
}

TEST_P(AUDispatch, SetParameterStepsAndClampsButSendsTheEditorTheHostsValue)
{
  HostedUnit host(GetParam());
  AUTestPlugin& p = host.Plugin();
  struct Case
  {
    AudioUnitParameterID id;
    float value;
    float stored;
  };
  const Case cases[] = {
    {2, 2.5f, 3.0f},    // stepped by 1: halves away from zero
    {2, 99.0f, 10.0f},  // above the maximum
    {0, -40.0f, -12.0f}, // below the minimum
    {1, 1.0f, 1.0f},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.value);
    p.paramChanges.clear();
    p.DrainToEditor();
    ASSERT_EQ(AudioUnitSetParameter(host.Unit(), c.id, kAudioUnitScope_Global, 0, c.value, 17), noErr);
    EXPECT_FLOAT_EQ(host.Param(c.id), c.stored);
    const auto toEditor = p.DrainToEditor();
    ASSERT_EQ(toEditor.size(), 1u);
    EXPECT_EQ(toEditor[0].idx, static_cast<int>(c.id));
    EXPECT_EQ(toEditor[0].value, static_cast<double>(c.value));
    EXPECT_EQ(p.paramChanges, (std::vector<AUTestPlugin::ParamChange>{{static_cast<int>(c.id), plugkit::kSourceHost, 17}}));
  }
}

TEST_P(AUDispatch, ParameterCallsRefuseBadScopesIdsAndRecords)
{
  HostedUnit host(GetParam());
  AUTestPlugin& p = host.Plugin();
  const float before = host.Param(0);
  p.paramChanges.clear();
  EXPECT_EQ(AudioUnitSetParameter(host.Unit(), 0, kAudioUnitScope_Input, 0, 5.0f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(host.Unit(), kAUTestNParams, kAudioUnitScope_Global, 0, 5.0f, 0),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitSetParameter(host.Unit(), 0xFFFFFFFF, kAudioUnitScope_Global, 0, 5.0f, 0),
            kAudioUnitErr_InvalidParameter);
  float value = 0.0f;
  EXPECT_EQ(AudioUnitGetParameter(host.Unit(), 0, kAudioUnitScope_Output, 0, &value), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetParameter(host.Unit(), 1000, kAudioUnitScope_Global, 0, &value),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(host.Unit(), 0, kAudioUnitScope_Global, 0, nullptr),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(host.Param(0), before);
  EXPECT_TRUE(p.paramChanges.empty());
  EXPECT_TRUE(p.DrainToEditor().empty());
}

TEST_P(AUDispatch, ScheduledParametersApplyImmediateEventsInOrderUntilOneIsRefused)
{
  HostedUnit host(GetParam());
  auto immediate = [](AudioUnitParameterID id, float v, AudioUnitScope scope = kAudioUnitScope_Global) {
    AudioUnitParameterEvent e{};
    e.scope = scope;
    e.parameter = id;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate = {5, v};
    return e;
  };
  AudioUnitParameterEvent ramp{};
  ramp.parameter = 0;
  ramp.eventType = kParameterEvent_Ramped;
  ramp.eventValues.ramp = {0, 64, 1.0f, 2.0f};

  const AudioUnitParameterEvent applied[] = {ramp, immediate(0, 4.0f), immediate(2, 7.0f)};
  EXPECT_EQ(AudioUnitScheduleParameters(host.Unit(), applied, 3), noErr);
  EXPECT_FLOAT_EQ(host.Param(0), 4.0f);
  EXPECT_FLOAT_EQ(host.Param(2), 7.0f);

  const AudioUnitParameterEvent stopped[] = {immediate(0, 5.0f), immediate(2, 1.0f, kAudioUnitScope_Input),
                                             immediate(0, 6.0f)};
  EXPECT_EQ(AudioUnitScheduleParameters(host.Unit(), stopped, 3), kAudioUnitErr_InvalidProperty);
  EXPECT_FLOAT_EQ(host.Param(0), 5.0f);
  EXPECT_FLOAT_EQ(host.Param(2), 7.0f);
  EXPECT_EQ(AudioUnitScheduleParameters(host.Unit(), nullptr, 1), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitScheduleParameters(host.Unit(), nullptr, 0), noErr);
}

TEST_P(AUDispatch, ListenersKeepOnePerIdAndFunctionRenderNotificationsKeepDuplicates)
{
  HostedUnit host(GetParam());
  const AUTestPlugin& p = host.Plugin();
  int a = 0, b = 0;
  AudioUnitAddPropertyListener(host.Unit(), 8, RecordingListener, &a);
  AudioUnitAddPropertyListener(host.Unit(), 8, RecordingListener, &b); // same id and function: ignored
  AudioUnitAddPropertyListener(host.Unit(), 9, RecordingListener, &a);
  AudioUnitAddPropertyListener(host.Unit(), 8, OtherListener, &a);
  EXPECT_EQ(p.NPropertyListeners(), 3);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(host.Unit(), 8, RecordingListener, &b), noErr); // no match
  EXPECT_EQ(p.NPropertyListeners(), 3);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(host.Unit(), 8, RecordingListener, &a), noErr);
  EXPECT_EQ(p.NPropertyListeners(), 2);
  // Without user data: the first record with that id and function goes.
  if (GetParam() == Road::Factory)
  {
    using Remove = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitPropertyListenerProc);
    auto remove = reinterpret_cast<Remove>(host.Record()->Lookup(kAudioUnitRemovePropertyListenerSelect));
    EXPECT_EQ(remove(host.Record(), 8, OtherListener), noErr);
  }
  else
    EXPECT_EQ(standin::CallComponent(host.Unit(), kAudioUnitRemovePropertyListenerSelect,
                                     {ComponentWordFromPointer(host.Unit()), 8,
                                      ComponentWordFromPointer(reinterpret_cast<const void*>(OtherListener))}),
              noErr);
  EXPECT_EQ(p.NPropertyListeners(), 1);

  auto notify = [](void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                   AudioBufferList*) -> OSStatus { return noErr; };
  AudioUnitAddRenderNotify(host.Unit(), notify, &a);
  AudioUnitAddRenderNotify(host.Unit(), notify, &a);
  EXPECT_EQ(p.NRenderNotify(), 2);
  AudioUnitRemoveRenderNotify(host.Unit(), notify, &b); // user data not compared
  EXPECT_EQ(p.NRenderNotify(), 1);
}

TEST(AUMusicDevice, MidiReachesAnInstrumentAndIsRefusedByAnEffect)
{
  HostedUnit effect(Road::Entry, AUTestKind::Effect);
  EXPECT_EQ(standin::CallComponent(effect.Unit(), kMusicDeviceMIDIEventSelect,
                                   {ComponentWordFromPointer(effect.Unit()), 0x90, 60, 100, 3}),
            badComponentSelector);
  EXPECT_EQ(standin::CallComponent(effect.Unit(), kMusicDeviceSysExSelect, {ComponentWordFromPointer(effect.Unit())}),
            badComponentSelector);

  HostedUnit synth(Road::Entry, AUTestKind::Instrument);
  AUTestPlugin& p = synth.Plugin();
  EXPECT_EQ(standin::CallComponent(synth.Unit(), kMusicDeviceMIDIEventSelect,
                                   {ComponentWordFromPointer(synth.Unit()), 0x190, 60, 100, 3}),
            noErr);
  ASSERT_EQ(p.midiIn.size(), 1u);
  EXPECT_EQ(p.midiIn[0].mStatus, 0x90); // the low byte of the word
  EXPECT_EQ(p.midiIn[0].mData1, 60);
  EXPECT_EQ(p.midiIn[0].mOffset, 3);
  const UInt8 sysex[] = {0xF0, 0x7E, 0xF7};
  EXPECT_EQ(standin::CallComponent(synth.Unit(), kMusicDeviceSysExSelect,
                                   {ComponentWordFromPointer(synth.Unit()), ComponentWordFromPointer(sysex), 3}),
            noErr);
  EXPECT_EQ(p.sysExIn, std::vector<std::string>{std::string("\xF0\x7E\xF7", 3)});

  MusicDeviceNoteParams note{2, 60.7f, 100.0f, {}};
  NoteInstanceID noteId = 0;
  EXPECT_EQ(standin::CallComponent(synth.Unit(), kMusicDeviceStartNoteSelect,
                                   {ComponentWordFromPointer(synth.Unit()), 0, 0, ComponentWordFromPointer(&noteId), 0,
                                    ComponentWordFromPointer(&note)}),
            noErr);
  EXPECT_EQ(noteId, 60u);
  for (int16_t s : {kMusicDevicePrepareInstrumentSelect, kMusicDeviceReleaseInstrumentSelect,
                    kMusicDeviceStopNoteSelect})
    EXPECT_EQ(standin::CallComponent(synth.Unit(), s, {ComponentWordFromPointer(synth.Unit())}), noErr);
  // The factory road offers no music-device methods.
  AudioComponentPlugInInterface* record = Tolvane3_Factory();
  EXPECT_EQ(record->Lookup(kMusicDeviceMIDIEventSelect), nullptr);
  record->Close(record);
}

} // namespace
