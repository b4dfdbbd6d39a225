// Every file a render writes: the audio output, and the preset and the
// automation lane it may save. One piece looks after them all, so that no
// output is lost to another:
// - before anything is read or rendered, Check makes sure each can be
//   replaced (folder there and writable, not a folder, a file its user may
//   write, not another user's file in a sticky folder) and that no two of
//   them are one file, nor a side file one of the audio inputs, which it
//   would replace (the output may be the input: every input is read before
//   anything is committed);
// - the render writes the audio into the temporary BeginAudio makes;
// - Finish writes the side files' temporaries and closes every temporary,
//   and only then does Commit rename each over its target, one after
//   another. A failure or a stop before Commit leaves every old file whole
//   and nothing behind; destroyed without a Commit, every temporary goes.
// Main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/AudioFile.h"
#include "tools/OutputReplacement.h"
#include "tools/RenderCommand.h"

namespace auhost {

class RenderOutputs
{
public:
  explicit RenderOutputs(const RenderOptions& options);

  // False with `error` set, naming the file and why (or the two roles that
  // name one file).
  bool Check(std::string& error) const;
  // The writer of the audio output (the outputs' to keep); null with
  // `error` set.
  AudioFileWriter* BeginAudio(int channels, double sampleRate, long expectedFrames, std::string& error);
  // Writes the side files the options name (`preset`, `lane`: their text)
  // into temporaries, and closes every temporary; false with `error` set.
  bool Finish(const std::string& preset, const std::string& lane, std::string& error);
  // Renames every finished temporary over its target, the audio first;
  // false with `error` set when a rename fails (the outputs before it are
  // in place, the rest left as they were).
  bool Commit(std::string& error);
  // What a user should hear of the committed outputs (groups, owners and
  // attributes that could not be kept).
  std::vector<std::string> Warnings() const;

private:
  const RenderOptions& mOptions;
  std::unique_ptr<AudioFileWriter> mAudio;
  std::unique_ptr<FileReplacement> mPreset, mLane;
};

} // namespace auhost
