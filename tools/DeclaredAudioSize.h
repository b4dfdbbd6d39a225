// How much audio a WAV (RIFF or RF64) or AIFF/AIFC header says the file
// holds, read from the file's own chunk headers. libsndfile reads a file cut
// short (a copy or download that stopped) to its readable end without a
// word; comparing what the header declares with what is there tells the
// user how much is missing.
//
// Only chunk headers are read, with pread (the descriptor's position is
// left alone, so a reader sharing it is undisturbed), each read checked
// against what the file gives; a header that makes no sense, a pipe or
// another container gives false.
#pragma once

namespace auhost {

struct DeclaredAudio
{
  long long offset = 0; // of the audio's first byte
  long long bytes = 0;  // the audio's length as the header gives it
};

// False when `descriptor` holds no WAV or AIFF header this can follow, or
// its header gives the audio no size (a WAV streamed through a pipe has
// 0xFFFFFFFF there).
bool FindDeclaredAudio(int descriptor, DeclaredAudio& out);

} // namespace auhost
