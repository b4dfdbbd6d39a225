#pragma once

#include <cstdint>

namespace plugkit {

// One short MIDI message as it travels between the host, the processing side
// and the editor: the sample offset inside the current block, the status byte
// and its two data bytes. A plain record, copied by value through the queues.
struct IMidiMsg
{
  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;
};

// A system-exclusive message as handed from one side to the other: the sample
// offset, the size in bytes and a pointer to data that the message does not
// own (valid only for the duration of the call that receives it).
struct ISysExMsg
{
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;
};

} // namespace plugkit
