// Audio files read and written through libsndfile: WAV, AIFF and FLAC, at
// the file's own rate, mono or stereo.
//
// Long programmes are read and written a block at a time
// (AudioFileReader, AudioFileWriter), so memory does not grow with the
// file; ReadAudioFile and WriteAudioFile take a whole file for short ones.
//
// A write goes to a temporary file beside the target and is renamed over it
// only once complete, so a failure never leaves a half-written file.
//
// WAV and AIFF hold 32-bit sizes: a WAV that may outgrow them is written
// as RF64 (which stays a plain WAV, with room kept for the larger sizes,
// if it ends up small), and an AIFF that would is refused.
#pragma once

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "tools/DeclaredAudioSize.h"
#include "tools/OutputReplacement.h"

struct sf_private_tag; // libsndfile's SNDFILE

namespace auhost {

class FileWriteIo;
class PipeInput;
struct FileInput;

struct AudioData
{
  double sampleRate = 48000.0;
  std::vector<std::vector<float>> channels; // equal lengths

  int NumChannels() const { return static_cast<int>(channels.size()); }
  long Frames() const { return channels.empty() ? 0 : static_cast<long>(channels[0].size()); }
};

enum class SampleFormat
{
  Float32,
  Pcm16,
  Pcm24,
};

// The length of a programme that is found only by reading to its end (a
// stream whose header gives none).
inline constexpr long kUnknownLength = -1;

// Where a render's audio comes from: any stretch of frames on request,
// silence outside the programme. Asked in order, a file source reads on
// without seeking.
class AudioSource
{
public:
  virtual ~AudioSource() = default;
  virtual int NumChannels() const = 0;
  virtual double SampleRate() const = 0;
  // The programme's length, or kUnknownLength when only reading finds it.
  virtual long Frames() const = 0;
  // Where the programme ends: Frames() when that is known; otherwise
  // kUnknownLength until a read has reached the end. A caller that must
  // not overrun the programme reads on until this is known.
  virtual long End() const { return Frames(); }
  // Frames [start, start + count) into channels[c][0, count) for every
  // channel c; frames before 0 or from the end on are silence. False when
  // the audio cannot be read.
  virtual bool ReadAt(long start, long count, float* const* channels) = 0;
  // What went wrong when ReadAt gave false.
  virtual std::string Error() const { return "cannot read the audio"; }
};

// Where rendered audio goes, a block at a time.
class AudioSink
{
public:
  virtual ~AudioSink() = default;
  // Appends `count` frames of every channel; false when they cannot be kept.
  virtual bool Append(const float* const* channels, long count) = 0;
  // Waits until everything appended is kept; false when any of it could
  // not be (a sink that keeps each block as it comes has nothing to wait
  // for).
  virtual bool Flush() { return true; }
  // What went wrong when Append gave false.
  virtual std::string Error() const { return "cannot keep the rendered audio"; }
  // Room for the next `count` frames of every channel, for a caller to
  // render into in place and then keep with Written(count), which answers as
  // Append would; null when the sink has no such room (the caller Appends
  // its own buffers then). The room is the sink's until the next call.
  virtual float* const* Space(long count) { return nullptr; }
  virtual bool Written(long count) { return false; }
};

// An AudioData seen as a source.
class AudioDataSource final : public AudioSource
{
public:
  explicit AudioDataSource(const AudioData& audio) : mAudio(audio) {}
  int NumChannels() const override { return mAudio.NumChannels(); }
  double SampleRate() const override { return mAudio.sampleRate; }
  long Frames() const override { return mAudio.Frames(); }
  bool ReadAt(long start, long count, float* const* channels) override;

private:
  const AudioData& mAudio;
};

// Collects what it is given into an AudioData of `channels` channels.
class AudioDataSink final : public AudioSink
{
public:
  AudioDataSink(AudioData& into, int channels, double sampleRate);
  bool Append(const float* const* channels, long count) override;

private:
  AudioData& mInto;
};

// A WAV (plain, extensible or RF64), AIFF/AIFC or FLAC file open for
// reading. A FLAC whose header gives no length, and a WAV or AIFF from a
// pipe (whose header may give any), has an unknown length and is read to
// its real end; so is a WAV or AIFF file whose header gives a placeholder
// length (see DeclaredAudioSize.cpp) with more audio after it. An ID3v1
// tag after a FLAC's frames is no part of its audio. A pipe is read through
// a PipeInput, which refuses a header it cannot read there rather than
// misread it; a FLAC file through calls that see whether its decoder has
// read to its end, so that one cut short is refused as ending early, as
// from a pipe.
class AudioFileReader final : public AudioSource
{
public:
  // Null with `error` set for a missing or unreadable file, a container
  // other than those three, more than two channels, an empty file, more
  // ID3 tags before the header than are skipped (kMostId3Tags) or a header
  // that cannot be read from a pipe.
  static std::unique_ptr<AudioFileReader> Open(const std::string& path, std::string& error);
  ~AudioFileReader() override;
  AudioFileReader(const AudioFileReader&) = delete;
  AudioFileReader& operator=(const AudioFileReader&) = delete;

  int NumChannels() const override { return mChannels; }
  double SampleRate() const override { return mRate; }
  long Frames() const override { return mFrames; }
  long End() const override { return mEnd == kNotFound ? kUnknownLength : mEnd; }
  // False (with Error() set) when the file ends before Frames() or the
  // read fails, in libsndfile's or the system's words.
  bool ReadAt(long start, long count, float* const* channels) override;
  // Why the first read that failed did.
  std::string Error() const override { return mError; }
  // What a user should hear of although the file can be read (a WAV or
  // AIFF cut short, rendered to its readable end); empty when nothing. Of a
  // programme of unknown length it is known once End() is, and set by the
  // read that finds it.
  const std::string& Warning() const { return mWarning; }

private:
  // mEnd until the end of an unknown length is found: past every frame.
  static constexpr long kNotFound = LONG_MAX;
  AudioFileReader() = default;
  // The reason a read came up short: the file ending early, or what
  // libsndfile or the system reports.
  std::string ShortReadError() const;
  // Keeps the first reason a read failed; false.
  bool Failed(const std::string& why);
  sf_private_tag* mFile = nullptr;
  int mDescriptor = -1; // the file libsndfile reads, owned by mFile, mPipe or mFileInput
  std::unique_ptr<PipeInput> mPipe; // what libsndfile reads a pipe through
  std::unique_ptr<FileInput> mFileInput; // and a FLAC file, or a stretched WAV or AIFF
  std::string mPath, mError, mWarning;
  int mChannels = 0;
  double mRate = 0.0;
  long mFrames = 0, mEnd = 0;
  long mPosition = 0; // where the file's next read starts
  long mFailedFrom = kNotFound; // where a read came up short with an error
  // What a pipe's header declares of its audio, held to once the pipe has
  // ended; mFrameBytes is 0 when it declares no size.
  DeclaredAudio mDeclared;
  int mFrameBytes = 0;
  // Where a pipe's placeholder length ends, to see whether only chunks
  // follow it.
  long mLookAt = kNotFound;
  // Where a pipe's placeholder length ends when its header lay past what
  // the pipe keeps of one, so that the read stops there: said if it does.
  long mPlaceholderEnd = kNotFound;
  std::vector<float> mInterleaved;
};

// A file being written: the frames go to a temporary file beside the
// target (a FileReplacement), which Finish closes and Commit renames over
// it. Destroyed without a successful Commit, it removes the temporary file
// and leaves the target as it was.
class AudioFileWriter final : public AudioSink
{
public:
  // Null with `error` set when the extension names no known container, the
  // container cannot hold the layout or an AIFF file `expectedFrames` long,
  // or the target cannot be replaced. The container follows the extension
  // (.wav, .aif/.aiff, .flac); FLAC holds no floats and gets 24-bit samples
  // when asked for them. `expectedFrames` (kUnknownLength when not known)
  // chooses how the file is laid out; Append refuses frames past what that
  // layout holds (4 GiB of audio for WAV and AIFF).
  static std::unique_ptr<AudioFileWriter> Open(const std::string& path, int channels, double sampleRate,
                                               SampleFormat format, long expectedFrames, std::string& error);
  ~AudioFileWriter() override;
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  bool Append(const float* const* channels, long count) override;
  // Why the last Append failed, in the system's words where it has them.
  std::string Error() const override { return mError; }
  // Closes the file, whole in its temporary and not yet in place; false
  // with `error` set when any write failed, those made as it closes too
  // (the temporary is removed when the writer goes).
  bool Finish(std::string& error);
  // Finishes the file if that is not done, and renames it over the target;
  // false with `error` set (and nothing left behind) when either fails.
  bool Commit(std::string& error);
  // What a user should hear of a finished file (an owner or group that
  // could not be kept); empty when nothing.
  std::string Warning() const { return mReplacement ? mReplacement->Warning() : std::string(); }

private:
  AudioFileWriter() = default;
  void Discard();
  // "cannot write PATH: " and the system's reason for the first write
  // that failed, else libsndfile's `reason`.
  std::string WriteError(const std::string& reason) const;
  sf_private_tag* mFile = nullptr;
  std::unique_ptr<FileReplacement> mReplacement;
  std::unique_ptr<FileWriteIo> mIo; // what mFile writes the temporary through
  std::string mPath, mError;
  int mChannels = 0;
  long mWritten = 0, mMostFrames = 0;
  bool mFailed = false;
  std::vector<float> mInterleaved;
};

// False with `error` set, as AudioFileReader::Open and ReadAt refuse.
bool ReadAudioFile(const std::string& path, AudioData& out, std::string& error);
// The whole of `audio` through an AudioFileWriter.
bool WriteAudioFile(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error);
// Whether the extension names a container WriteAudioFile knows.
bool IsKnownAudioExtension(const std::string& path);

} // namespace auhost
