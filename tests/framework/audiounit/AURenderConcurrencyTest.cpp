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

OSStatus RecordSysExOffsets(void* offsets, const AudioTimeStamp*, UInt32, const MIDIPacketList* list)
{
  const MIDIPacket* p = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i, p = MIDIPacketNext(p))
    static_cast<std::vector<int64_t>*>(offsets)->push_back(static_cast<int64_t>(p->timeStamp));
  return noErr;
}

bool StrictlyIncreasing(const std::vector<int64_t>& values)
{
  return std::adjacent_find(values.begin(), values.end(), std::greater_equal<>()) == values.end();
}

TEST_F(AURenderThreads, RenderAndTheIdleTimerShareThePlugInSafely)
{
  // The host renders on its audio thread, setting a parameter before each
  // block, while the main thread runs the idle timer with the editor open
  // and the editor sends MIDI, sys-ex, gestures and values.
  standin::UseManualClock();
  Open();
  InputSource main, side;
  main.InstallAsCallback(Host(), 0);
  side.InstallAsCallback(Host(), 1);
  std::vector<int64_t> sysExOffsets, midiOffsets;
  Host().Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0,
             AUMIDIOutputCallbackStruct{RecordSysExOffsets, &sysExOffsets});
  Plugin().SetMakeGraphicsFunc([this] { return new FakeGfx(Plugin(), 100, 50); });
  ASSERT_NE(Plugin().OpenWindow(nullptr), nullptr);

  std::atomic<bool> editorDone{false};
  std::thread audio([&] {
    HostBuffers out(2, 64);
    // One more block after the editor is done carries what it sent last.
    for (int i = 0; i < 400 || !editorDone.load() || i % 2; ++i)
    {
      AudioUnitSetParameter(Host().Unit(), 0, kAudioUnitScope_Global, 0, static_cast<float>(i % 24 - 12), 0);
      const AudioTimeStamp ts = SampleTimeStamp(64.0 * i);
      ASSERT_EQ(AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 64, out.List()), noErr);
    }
  });
  const uint8_t sysEx[4] = {0xF0, 0x7D, 0x01, 0xF7};
  for (int i = 0; i < 300; ++i)
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

  // Full queues may drop entries, but never reorder or invent any.
  for (const plugkit::IMidiMsg& msg : Plugin().midiIn)
  {
    EXPECT_EQ(msg.mData1, msg.mOffset % 128);
    midiOffsets.push_back(msg.mOffset);
  }
  EXPECT_FALSE(midiOffsets.empty());
  EXPECT_FALSE(sysExOffsets.empty());
  EXPECT_TRUE(StrictlyIncreasing(midiOffsets));
  EXPECT_TRUE(StrictlyIncreasing(sysExOffsets));
  EXPECT_EQ(main.calls, side.calls);
}

} // namespace
