#pragma once

// MIDI packet lists as a MIDI output callback receives them.

#include "CoreAudio/CoreAudioTypes.h"

typedef UInt64 MIDITimeStamp;

#pragma pack(push, 4)
struct MIDIPacket
{
  MIDITimeStamp timeStamp;
  UInt16 length;
  UInt8 data[256];
};

// Declared with one packet; packets follow one another, each as long as
// its data needs (MIDIPacketNext).
struct MIDIPacketList
{
  UInt32 numPackets;
  MIDIPacket packet[1];
};
#pragma pack(pop)
