#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "CoreMIDI/CoreMIDI.h"
#include "tests/framework/audiounit/fakes/RenderHost.h"

// Every allocation of this program passes here, so a test can count those a
// thread makes while it is inside the wrapper.
namespace {
thread_local bool tCounting = false;
std::atomic<int> gAllocations{0};
} // namespace

// The array forms call these. g++ sees free() meet what it inlined as new and
// warns, although this operator new allocates with malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
  gAllocations += tCounting ? 1 : 0;
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
  std::free(p);
}

namespace {

using namespace fakes;

using AURenderMemory = HostedUnitTest;

// The host's own callbacks allocate nothing either, so every count is the
// wrapper's.
int gPackets = 0;
OSStatus CountPackets(void*, const AudioTimeStamp*, UInt32, const MIDIPacketList* list)
{
  gPackets += static_cast<int>(list->numPackets);
  return noErr;
}
OSStatus Tempo(void*, Float64* beat, Float64* tempo)
{
  *beat = 1;
  *tempo = 100;
  return noErr;
}
OSStatus FillInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                   AudioBufferList* list)
{
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    std::fill_n(static_cast<float*>(list->mBuffers[b].mData), nFrames, 0.25f);
  return noErr;
}

TEST_F(AURenderMemory, TheRenderRoadAllocatesNothingEvenWhileSendingMidiAndSysEx)
{
  Open();
  Host().Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, AURenderCallbackStruct{FillInput, nullptr});
  AudioUnitAddRenderNotify(Host().Unit(), FillInput, nullptr);
  Host().Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, AUMIDIOutputCallbackStruct{CountPackets, nullptr});
  Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, HostCallbackInfo{nullptr, Tempo, nullptr, nullptr, nullptr});
  // The plug-in sends 300 notes from each block, as an arpeggiator would;
  // the editor has queued a long sys-ex.
  std::vector<plugkit::IMidiMsg> notes(300);
  for (size_t i = 0; i < notes.size(); ++i)
    notes[i] = {static_cast<int32_t>(i), 0x90, 60, 100};
  Plugin().process = [&](double**, double**, int) { Plugin().SendMidiMsgs(notes); };
  const std::vector<uint8_t> sysEx(600, 0x11);
  Plugin().SendSysexMsgFromUI({0, 600, sysEx.data()});
  HostBuffers out(2, 256);
  for (int i = 0; i < 4; ++i)
  {
    const AudioTimeStamp ts = SampleTimeStamp(256.0 * i);
    tCounting = true;
    const OSStatus status = AudioUnitRender(Host().Unit(), nullptr, &ts, 0, 256, out.List());
    tCounting = false;
    ASSERT_EQ(status, noErr);
  }
  Plugin().process = nullptr;
  EXPECT_EQ(gAllocations.load(), 0);
  EXPECT_EQ(gPackets, 4 * 300 + 2) << "every note and the sys-ex went out";
}

} // namespace
