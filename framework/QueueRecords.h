#pragma once

#include <cstdint>
#include <cstring>

#include "framework/IMidiMsg.h"

namespace plugkit {

// One parameter value on its way to the editor: the parameter index and a
// real (not normalised) value. Controls reuse the record for their values,
// where the value is normalised and an index of -1 means "not linked".
struct ParamTuple
{
  int32_t idx = -1;
  double value = 0.0;
};

// A system-exclusive message copied into the record, so that it can wait in a
// queue after the sender's buffer is gone. At most kMaxSize bytes travel;
// mSize always says how many of them are valid.
struct SysExData
{
  static constexpr int32_t kMaxSize = 512;

  int32_t mOffset = 0;
  int32_t mSize = 0;
  uint8_t mData[kMaxSize] = {};

  // Copies a message: the size is clamped to 0..kMaxSize, so a reader never
  // reads past mData whatever size the sender claimed; a null data pointer
  // gives zero bytes of the clamped size.
  static SysExData From(const ISysExMsg& msg)
  {
    SysExData d;
    d.mOffset = msg.mOffset;
    d.mSize = msg.mSize < 0 ? 0 : (msg.mSize > kMaxSize ? kMaxSize : msg.mSize);
    if (msg.mData && d.mSize > 0)
      std::memcpy(d.mData, msg.mData, static_cast<size_t>(d.mSize));
    return d;
  }

  // A message that refers to this record's bytes; valid while it lives.
  ISysExMsg AsMsg() const { return ISysExMsg{mOffset, mSize, mData}; }
};

} // namespace plugkit
