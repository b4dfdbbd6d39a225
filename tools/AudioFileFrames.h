// Frames as the reader and the writer hand them to libsndfile: the bytes
// of one, and how many go through one call. Internal to the audio files.
#pragma once

#include <sndfile.h>

namespace auhost {

// Bytes of one frame in the sample formats whose frames all have one size;
// 0 for the others.
inline int BytesPerFrame(int format, int channels)
{
  switch (format & SF_FORMAT_SUBMASK)
  {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return channels;
    case SF_FORMAT_PCM_16: return 2 * channels;
    case SF_FORMAT_PCM_24: return 3 * channels;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4 * channels;
    case SF_FORMAT_DOUBLE: return 8 * channels;
    default: return 0;
  }
}

// Frames of libsndfile's interleaved buffers per call: reads and writes of
// any length go through this much memory.
inline constexpr long kChunkFrames = 4096;

} // namespace auhost
