#pragma once

#include <cstddef>
#include <cstdint>

#include "CoreMIDI/MIDIServices.h"

namespace plugkit {

// A MIDI packet list in storage of a fixed size, made once with its owner, so
// that MIDI and sys-ex output can be filled and sent on the audio thread
// without allocating. Add keeps each call's bytes in one packet; when the
// storage is full the owner sends what the list holds, starts it again and
// adds once more.
//
// One thread at a time: the render thread of the wrapper that owns it.
template <size_t kBytes>
class MidiPacketListBuffer
{
  static_assert(kBytes >= sizeof(MIDIPacketList), "room for at least one full packet");

public:
  MidiPacketListBuffer() { Start(); }

  void Start() { mCurrent = MIDIPacketListInit(List()); }
  bool IsEmpty() const { return List()->numPackets == 0; }
  // False (the list unchanged) when the bytes do not fit, or n exceeds one
  // packet.
  bool Add(MIDITimeStamp time, size_t n, const Byte* data)
  {
    MIDIPacket* packet = MIDIPacketListAdd(List(), kBytes, mCurrent, time, n, data);
    if (!packet)
      return false;
    mCurrent = packet;
    return true;
  }

  MIDIPacketList* List() { return reinterpret_cast<MIDIPacketList*>(mStorage); }
  const MIDIPacketList* List() const { return reinterpret_cast<const MIDIPacketList*>(mStorage); }

private:
  alignas(MIDIPacketList) Byte mStorage[kBytes] = {};
  MIDIPacket* mCurrent = nullptr;
};

} // namespace plugkit
