#include "CoreMIDI/MIDIServices.h"

#include <cstring>

namespace {

// Bytes from the start of the list to `at`.
ByteCount OffsetInList(const MIDIPacketList* pktlist, const void* at)
{
  return static_cast<ByteCount>(static_cast<const Byte*>(at) - reinterpret_cast<const Byte*>(pktlist));
}

} // namespace

MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist)
{
  if (!pktlist)
    return nullptr;
  pktlist->numPackets = 0;
  return &pktlist->packet[0];
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket, MIDITimeStamp time,
                              ByteCount nData, const Byte* data)
{
  if (!pktlist || !curPacket || (nData > 0 && !data) || nData > kMIDIPacketMaxDataSize)
    return nullptr;

  if (pktlist->numPackets > 0 && curPacket->timeStamp == time && curPacket->length + nData <= kMIDIPacketMaxDataSize &&
      OffsetInList(pktlist, &curPacket->data[curPacket->length]) + nData <= listSize)
  {
    std::memcpy(&curPacket->data[curPacket->length], data, nData);
    curPacket->length = static_cast<uint16_t>(curPacket->length + nData);
    return curPacket;
  }

  MIDIPacket* next = pktlist->numPackets > 0 ? MIDIPacketNext(curPacket) : curPacket;
  if (OffsetInList(pktlist, next->data) + nData > listSize)
    return nullptr;
  next->timeStamp = time;
  next->length = static_cast<uint16_t>(nData);
  if (nData > 0)
    std::memcpy(next->data, data, nData);
  ++pktlist->numPackets;
  return next;
}
