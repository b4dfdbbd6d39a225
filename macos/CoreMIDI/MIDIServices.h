#pragma once

// MIDI packet lists as a plug-in hands them to its host's MIDI output: a
// count followed by variable-length packets, each a time stamp, a length and
// up to 256 bytes of MIDI data. Packets follow one another directly, the next
// starting at the first 4-byte boundary after the previous one's data, so a
// list is walked with MIDIPacketNext and never indexed.
//
// The caller owns the list's memory and says how large it is; nothing here
// allocates, so a list in preallocated memory may be filled on the audio
// thread.

#include <cstddef>
#include <cstdint>

#include "CoreAudio/CoreAudioTypes.h"

typedef UInt64 MIDITimeStamp;
typedef UInt8 Byte;
typedef unsigned long ByteCount;

#pragma pack(push, 4)

struct MIDIPacket
{
  MIDITimeStamp timeStamp;
  UInt16 length;
  Byte data[256];
};

struct MIDIPacketList
{
  UInt32 numPackets;
  MIDIPacket packet[1];
};

#pragma pack(pop)

// The most data bytes one packet carries.
constexpr ByteCount kMIDIPacketMaxDataSize = 256;

// Empties the list; returns its first packet, the one to pass to the first
// MIDIPacketListAdd.
MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist);

// Adds nData bytes at the given time stamp. When curPacket already holds data
// with the same time stamp and room is left in it, the bytes join that packet;
// otherwise they start a new packet after it. Returns the packet that now
// holds the bytes, or null (the list unchanged) when the list's listSize
// bytes have no room for them, nData exceeds one packet's 256 bytes, or an
// argument is null.
MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket, MIDITimeStamp time,
                              ByteCount nData, const Byte* data);

// The packet after pkt.
inline MIDIPacket* MIDIPacketNext(const MIDIPacket* pkt)
{
  const auto end = reinterpret_cast<uintptr_t>(&pkt->data[pkt->length]);
  return reinterpret_cast<MIDIPacket*>((end + 3) & ~static_cast<uintptr_t>(3));
}
