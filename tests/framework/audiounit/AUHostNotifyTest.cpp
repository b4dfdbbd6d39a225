#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "CoreMIDI/CoreMIDI.h"
#include "StandIn/AudioUnitEvents.h"
#include "tests/framework/audiounit/fakes/RenderHost.h"

namespace {

using namespace fakes;

using AUHostNotify = HostedUnitTest;

TEST_F(AUHostNotify, EditorGesturesAndValuesReachTheHostAsParameterEvents)
{
  Open();
  standin::ClearRecordedAudioUnitEvents();
  Plugin().BeginInformHostOfParamChangeFromUI(2);
  Plugin().SendParameterValueFromUI(2, false, 0.5);
  Plugin().EndInformHostOfParamChangeFromUI(2);
  std::vector<std::vector<UInt64>> got;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
  {
    const AudioUnitParameter& p = e.mArgument.mParameter;
    got.push_back({e.mEventType, p.mAudioUnit == Host().Unit(), p.mParameterID, p.mScope, p.mElement});
  }
  EXPECT_EQ(got, (std::vector<std::vector<UInt64>>{{1, 1, 2, 0, 0}, {0, 1, 2, 0, 0}, {2, 1, 2, 0, 0}}));
}

std::vector<int> gLatencySeen;
void LatencyListener(void* plugin, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  gLatencySeen.push_back(static_cast<AUTestPlugin*>(plugin)->GetLatency());
}

TEST_F(AUHostNotify, PresetParameterListAndLatencyChangesCallTheirListeners)
{
  struct Case
  {
    const char* name;
    std::vector<AudioUnitPropertyID> listenTo;
    void (*change)(AUTestPlugin&);
    std::vector<AudioUnitPropertyID> wantCalls;
  };
  const Case cases[] = {
    {"preset", {36, 12, 3}, [](AUTestPlugin& p) { p.NotifyPresetChange(); }, {36}},
    {"parameter list, added 4 then 3", {4, 36, 3}, [](AUTestPlugin& p) { p.NotifyHostParamInfoChange(); }, {3, 4}},
    {"latency", {12, 36}, [](AUTestPlugin& p) { p.SetLatency(64); }, {12}},
    {"latency without a listener", {36}, [](AUTestPlugin& p) { p.SetLatency(64); }, {}},
  };
  int user = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    for (AudioUnitPropertyID id : c.listenTo)
      AudioUnitAddPropertyListener(Host().Unit(), id, RecordingListener, &user);
    ListenerCalls().clear();
    c.change(Plugin());
    std::vector<ListenerCall> want;
    for (AudioUnitPropertyID id : c.wantCalls)
      want.push_back({&user, Host().Unit(), id, kAudioUnitScope_Global, 0});
    EXPECT_EQ(ListenerCalls(), want);
  }
  // Two latency listeners are called once each, and find the new latency.
  Open();
  gLatencySeen.clear();
  AudioUnitAddPropertyListener(Host().Unit(), kAudioUnitProperty_Latency, RecordingListener, &user);
  AudioUnitAddPropertyListener(Host().Unit(), kAudioUnitProperty_Latency, LatencyListener, &Plugin());
  ListenerCalls().clear();
  Plugin().SetLatency(480);
  EXPECT_EQ(ListenerCalls().size(), 1u);
  EXPECT_EQ(gLatencySeen, std::vector<int>{480});
}

// What the host's MIDI output callback received: per packet list, each
// packet's time stamp and bytes.
struct MidiOut
{
  using Packet = std::pair<MIDITimeStamp, std::vector<Byte>>;
  std::vector<std::vector<Packet>> lists;
  std::vector<double> sampleTimes;
  OSStatus answer = noErr;

  static OSStatus Callback(void* self, const AudioTimeStamp* ts, UInt32 outNum, const MIDIPacketList* list)
  {
    auto* out = static_cast<MidiOut*>(self);
    out->sampleTimes.push_back(ts->mSampleTime + outNum);
    std::vector<Packet>& packets = out->lists.emplace_back();
    const MIDIPacket* p = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p))
      packets.emplace_back(MIDITimeStamp{p->timeStamp}, std::vector<Byte>(p->data, p->data + p->length));
    return out->answer;
  }
  void Install(const HostedUnit& host)
  {
    host.Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, AUMIDIOutputCallbackStruct{Callback, this});
  }
};

std::vector<Byte> Bytes(size_t n)
{
  std::vector<Byte> bytes(n);
  std::iota(bytes.begin(), bytes.end(), Byte{0});
  return bytes;
}

TEST_F(AUHostNotify, MidiAndSysExGoOutAsPacketListsOfAtMost256Bytes)
{
  using P = MidiOut::Packet;
  static const std::vector<Byte> b300 = Bytes(300), b1000 = Bytes(1000);
  auto part = [](const std::vector<Byte>& b, size_t from, size_t to) { return std::vector<Byte>(&b[from], &b[0] + to); };
  struct Case
  {
    const char* name;
    bool (*send)(AUTestPlugin&);
    std::vector<std::vector<P>> want;
  };
  const Case cases[] = {
    {"a note-on at offset 17", [](AUTestPlugin& p) { return p.SendMidiMsg({17, 0x90, 60, 100}); }, {{P{17, {0x90, 60, 100}}}}},
    {"an offset before the block, sign-extended", [](AUTestPlugin& p) { return p.SendMidiMsg({-1, 0x80, 60, 0}); },
     {{P{~MIDITimeStamp{0}, {0x80, 60, 0}}}}},
    {"three messages at one offset share a packet",
     [](AUTestPlugin& p) { return p.SendMidiMsgs(std::vector<plugkit::IMidiMsg>{{5, 0x90, 60, 1}, {5, 0x90, 64, 2}, {5, 0xB0, 7, 3}}); },
     {{P{5, {0x90, 60, 1, 0x90, 64, 2, 0xB0, 7, 3}}}}},
    {"another offset starts a packet",
     [](AUTestPlugin& p) { return p.SendMidiMsgs(std::vector<plugkit::IMidiMsg>{{1, 0x90, 60, 1}, {2, 0x80, 60, 0}}); },
     {{P{1, {0x90, 60, 1}}, P{2, {0x80, 60, 0}}}}},
    {"sys-ex of 300 bytes", [](AUTestPlugin& p) { return p.SendSysEx({7, 300, b300.data()}); },
     {{P{7, part(b300, 0, 256)}, P{7, part(b300, 256, 300)}}}},
    {"sys-ex of 1000 bytes fills a list and starts another", [](AUTestPlugin& p) { return p.SendSysEx({0, 1000, b1000.data()}); },
     {{P{0, part(b1000, 0, 256)}, P{0, part(b1000, 256, 512)}, P{0, part(b1000, 512, 768)}}, {P{0, part(b1000, 768, 1000)}}}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    EXPECT_FALSE(c.send(Plugin())) << "no callback yet";
    MidiOut out;
    out.Install(Host());
    HostBuffers buffers(2, 8);
    const AudioTimeStamp ts = SampleTimeStamp(4096);
    ASSERT_EQ(AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 8, buffers.List()), noErr);
    EXPECT_TRUE(c.send(Plugin()));
    EXPECT_EQ(out.lists, c.want);
    EXPECT_EQ(out.sampleTimes, std::vector<double>(c.want.size(), 4096.0)) << "the last render's time stamp, output 0";
    out.answer = -1;
    EXPECT_FALSE(c.send(Plugin())) << "the host refused";
  }
}

TEST_F(AUHostNotify, EditorSysExLeavesAtTheEndOfTheNextRenderCutTo512Bytes)
{
  Open();
  MidiOut out;
  out.Install(Host());
  const std::vector<Byte> long600 = Bytes(600), short3 = {0xF0, 0x01, 0xF7};
  Plugin().SendSysexMsgFromUI({9, 600, long600.data()});
  Plugin().SendSysexMsgFromUI({2, 3, short3.data()});
  EXPECT_TRUE(out.lists.empty()) << "nothing leaves before the render";
  HostBuffers buffers(2, 16);
  const AudioTimeStamp ts = SampleTimeStamp(160);
  ASSERT_EQ(AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 16, buffers.List()), noErr);
  using P = MidiOut::Packet;
  const std::vector<Byte> first(long600.begin(), long600.begin() + 256), second(long600.begin() + 256, long600.begin() + 512);
  EXPECT_EQ(out.lists, (std::vector<std::vector<P>>{{P{9, first}, P{9, second}}, {P{2, short3}}}));
}

// Listeners that change the listener list while they are called, as a
// host's one-shot listeners do. Each records its call first.
int gFirst = 0, gSecond = 0; // the user data of the first and second listener

void RemovesItself(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                   AudioUnitElement element)
{
  RecordingListener(userData, unit, id, scope, element);
  AudioUnitRemovePropertyListenerWithUserData(unit, id, RemovesItself, userData);
}

void RemovesTheRecorder(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                        AudioUnitElement element)
{
  RecordingListener(userData, unit, id, scope, element);
  AudioUnitRemovePropertyListenerWithUserData(unit, id, RecordingListener, &gSecond);
}

// Sets the property once more from inside a listener, as a host that
// answers a change with a change does; only the outermost call sets, so a
// listener called again by the nested notification cannot recurse.
void SetsThePropertyAgain(AudioUnit unit, AudioUnitPropertyID id)
{
  static bool setting = false;
  if (setting)
    return;
  setting = true;
  const AUPreset preset{0, nullptr};
  AudioUnitSetProperty(unit, id, kAudioUnitScope_Global, 0, &preset, sizeof(preset));
  setting = false;
}

void RemovesItselfAndSetsAgain(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                               AudioUnitElement element)
{
  RecordingListener(userData, unit, id, scope, element);
  AudioUnitRemovePropertyListenerWithUserData(unit, id, RemovesItselfAndSetsAgain, userData);
  SetsThePropertyAgain(unit, id);
}

void RemovesTheRecorderAndSetsAgain(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                    AudioUnitElement element)
{
  RemovesTheRecorder(userData, unit, id, scope, element);
  SetsThePropertyAgain(unit, id);
}

void AddsAnother(void* userData, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                 AudioUnitElement element)
{
  RecordingListener(userData, unit, id, scope, element);
  AudioUnitAddPropertyListener(unit, id, OtherListener, userData);
}

TEST_F(AUHostNotify, ANotificationCallsTheListenersAddedBeforeItAndNotRemovedSince)
{
  int* const a = &gFirst;
  int* const b = &gSecond;
  struct Case
  {
    const char* name;
    AudioUnitPropertyListenerProc first;
    bool secondIsRecorder;
    // The user data (or, for the added listener, its id shift) each call
    // carried, in order, for two notifications.
    std::vector<std::pair<void*, AudioUnitPropertyID>> wantFirst, wantSecond;
  };
  const AudioUnitPropertyID p = kAudioUnitProperty_PresentPreset;
  const Case cases[] = {
    {"removes itself", RemovesItself, true, {{a, p}, {b, p}}, {{b, p}}},
    {"removes the next", RemovesTheRecorder, true, {{a, p}}, {{a, p}}},
    // The nested notification begins after the removal and skips the
    // removed listener; so does the rest of the outer one.
    {"removes itself, sets again", RemovesItselfAndSetsAgain, true, {{a, p}, {b, p}, {b, p}}, {{b, p}}},
    {"removes the next, sets again", RemovesTheRecorderAndSetsAgain, true, {{a, p}, {a, p}}, {{a, p}, {a, p}}},
    {"adds one", AddsAnother, false, {{a, p}}, {{a, p}, {a, p + 10000}}},
  };
  for (Road road : {Road::Factory, Road::Entry})
  {
    for (const Case& c : cases)
    {
      SCOPED_TRACE(c.name);
      Open(road);
      AudioUnitAddPropertyListener(Host().Unit(), p, c.first, a);
      if (c.secondIsRecorder)
        AudioUnitAddPropertyListener(Host().Unit(), p, RecordingListener, b);
      for (const auto& want : {c.wantFirst, c.wantSecond})
      {
        ListenerCalls().clear();
        ASSERT_EQ(Host().Set(p, kAudioUnitScope_Global, 0, AUPreset{0, nullptr}), noErr);
        std::vector<std::pair<void*, AudioUnitPropertyID>> heard;
        for (const ListenerCall& call : ListenerCalls())
          heard.emplace_back(call.userData, call.id);
        EXPECT_EQ(heard, want);
      }
    }
  }
}

} // namespace
