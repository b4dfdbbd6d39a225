#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CoreMIDI/CoreMIDI.h"
#include "StandIn/Hooks.h"
#include "tests/framework/audiounit/fakes/RenderHost.h"
#include "tests/framework/fakes/FakeGfx.h"

namespace {

using namespace fakes;

using AURenderThreads = HostedUnitTest;

// The offsets of the sys-ex messages the host's MIDI callback received.
OSStatus RecordSysExOffsets(void* offsets, const AudioTimeStamp*, UInt32, const MIDIPacketList* list)
{
  const MIDIPacket* p = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p))
    static_cast<std::vector<MIDITimeStamp>*>(offsets)->push_back(p->timeStamp);
  return noErr;
}

bool StrictlyIncreasing(const std::vector<int64_t>& values)
{
  for (size_t i = 1; i < values.size(); ++i)
    if (values[i] <= values[i - 1])
      return false;
  return true;
}

TEST_F(AURenderThreads, RenderAndTheIdleTimerShareThePlugInSafely)
{
  // The host renders on its audio thread, setting a parameter before each
  // block, while the main thread runs the idle timer with the editor open
  // and the editor sends MIDI, sys-ex, gestures and values.
  constexpr int kRenders = 400;
  constexpr int kEditorSends = 300;
  standin::UseManualClock();
  Open();
  InputSource main, side;
  main.InstallAsCallback(Host(), 0);
  side.InstallAsCallback(Host(), 1);
  std::vector<MIDITimeStamp> sysExOut;
  Host().Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0,
             AUMIDIOutputCallbackStruct{RecordSysExOffsets, &sysExOut});
  Plugin().SetMakeGraphicsFunc([this] { return new FakeGfx(Plugin(), 100, 50); });
  ASSERT_NE(Plugin().OpenWindow(nullptr), nullptr);

  std::atomic<bool> editorDone{false};
  std::thread audio([&] {
    HostBuffers out(2, 64);
    for (int i = 0; i < kRenders || !editorDone.load(); ++i)
    {
      AudioUnitSetParameter(Host().Unit(), 0, kAudioUnitScope_Global, 0, static_cast<float>(i % 24 - 12), 0);
      const AudioTimeStamp ts = SampleTimeStamp(64.0 * i);
      ASSERT_EQ(AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 64, out.List()), noErr);
    }
    // What the editor queued last still leaves with a block.
    const AudioTimeStamp ts = SampleTimeStamp(-1);
    AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 64, out.List());
  });

  const uint8_t sysEx[4] = {0xF0, 0x7D, 0x01, 0xF7};
  for (int i = 0; i < kEditorSends; ++i)
  {
    Plugin().SendMidiMsgFromUI({i, 0x90, static_cast<uint8_t>(i % 128), 64});
    if (i % 10 == 0)
      Plugin().SendSysexMsgFromUI({i, 4, sysEx});
    Plugin().BeginInformHostOfParamChangeFromUI(2);
    Plugin().SendParameterValueFromUI(2, true, (i % 11) / 10.0);
    Plugin().EndInformHostOfParamChangeFromUI(2);
    standin::RunMainLoopFor(0.02);
  }
  editorDone = true;
  audio.join();
  standin::RunMainLoopFor(0.1);
  Plugin().CloseWindow();
  standin::UseRealClock();

  // Queues may drop what arrives while full, but never reorder or invent.
  std::vector<int64_t> midiOffsets, sysExOffsets;
  for (const plugkit::IMidiMsg& msg : Plugin().midiIn)
  {
    EXPECT_EQ(msg.mData1, msg.mOffset % 128);
    midiOffsets.push_back(msg.mOffset);
  }
  for (MIDITimeStamp t : sysExOut)
    sysExOffsets.push_back(static_cast<int64_t>(t));
  EXPECT_FALSE(midiOffsets.empty());
  EXPECT_FALSE(sysExOffsets.empty());
  EXPECT_TRUE(StrictlyIncreasing(midiOffsets));
  EXPECT_TRUE(StrictlyIncreasing(sysExOffsets));
  EXPECT_EQ(main.calls, side.calls);
}

} // namespace
