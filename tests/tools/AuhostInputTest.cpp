// auhost given files as they come from the wild: streams without a length,
// other containers, files cut short, failing disks and a system that
// refuses threads. Every case ends as a full render or a clean refusal.
#include <sndfile.h>

#include <cstring>
#include <filesystem>
#include <future>
#include <fstream>
#include <iterator>
#include <map>
#include <span>

#include <gtest/gtest.h>

#include "tests/tools/AuhostRun.h"
#include "tests/tools/HeaderSizes.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioFile.h"
#include "tools/AudioPipeline.h"
#include "tools/PipeInput.h"

namespace {

using toolstest::Auhost;
using toolstest::ProgramRun;

std::string Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

// `audio` in any container and sample format libsndfile writes.
bool WriteAs(const std::string& path, const auhost::AudioData& audio, int format)
{
  SF_INFO info{};
  info.samplerate = static_cast<int>(audio.sampleRate);
  info.channels = audio.NumChannels();
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file)
    return false;
  std::vector<float> interleaved;
  for (long f = 0; f < audio.Frames(); ++f)
    for (const auto& channel : audio.channels)
      interleaved.push_back(channel[f]);
  const bool written = sf_writef_float(file, interleaved.data(), audio.Frames()) == audio.Frames();
  return sf_close(file) == 0 && written;
}

// A WAV's data chunk size (and the RIFF size) as a program streaming to a
// pipe leaves them: `size`.
std::string WithStreamedSizes(std::string wav, uint32_t size)
{
  for (const size_t at : {size_t(4), wav.find("data") + 4})
    for (int b = 0; b < 4; ++b)
      wav[at + b] = static_cast<char>(size >> (8 * b));
  return wav;
}

// The same with the RIFF size `riff`, as a recorder leaves it.
std::string WithStreamedSizes(std::string wav, uint32_t size, uint32_t riff)
{
  wav = WithStreamedSizes(wav, size);
  for (int b = 0; b < 4; ++b)
    wav[4 + b] = static_cast<char>(riff >> (8 * b));
  return wav;
}

// `head`, then `silence` bytes of zeros that take no room on disk, then
// `after`, at `path`.
void PutWithSilence(const std::string& path, const std::string& head, long long silence, const std::string& after)
{
  Put(path, head);
  std::filesystem::resize_file(path, head.size() + static_cast<uintmax_t>(silence));
  std::ofstream(path, std::ios::binary | std::ios::app) << after;
}

// The bytes of a WAV's audio, from its data chunk to its end, told by
// their frames (of the format chunk's block align) and a hash, read a block
// at a time and hashed 8 bytes at a time (zeros after the last of a block).
std::pair<long long, uint64_t> AudioFramesOf(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::string block(1 << 20, '\0');
  in.read(block.data(), 4096);
  const std::string head = block.substr(0, static_cast<size_t>(in.gcount()));
  const size_t format = head.find("fmt "), data = head.find("data");
  if (format == std::string::npos || data == std::string::npos)
    return {-1, 0};
  in.clear();
  in.seekg(static_cast<std::streamoff>(data + 8));
  long long count = 0;
  uint64_t hash = 14695981039346656037u;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
  {
    std::fill(block.begin() + in.gcount(), block.begin() + (in.gcount() + 7) / 8 * 8, '\0');
    for (std::streamsize i = 0; i < in.gcount(); i += 8)
    {
      uint64_t word;
      std::memcpy(&word, block.data() + i, sizeof word);
      hash = (hash ^ word) * 1099511628211u;
    }
    count += in.gcount();
  }
  return {count / static_cast<long long>(toolstest::HeaderField(head, format + 8 + 12, 2, false)), hash};
}

uint32_t BigEndian(const std::string& bytes, size_t at)
{
  uint32_t value = 0;
  for (int b = 0; b < 4; ++b)
    value = value << 8 | static_cast<unsigned char>(bytes[at + b]);
  return value;
}

void PutBigEndian(std::string& bytes, size_t at, uint32_t value)
{
  for (int b = 0; b < 4; ++b)
    bytes[at + b] = static_cast<char>(value >> (24 - 8 * b));
}

void PutLittleEndian(std::string& bytes, size_t at, uint32_t value)
{
  for (int b = 0; b < 4; ++b)
    bytes[at + b] = static_cast<char>(value >> (8 * b));
}

// A WAV's sizes as sox leaves them streaming it to a pipe, unable to go back
// to its header: the data size the most whole frames (of its block align)
// in 0x7FFFF000 bytes, less `fewer` frames, and the RIFF size to match.
std::string WithPlaceholderSizes(std::string wav, uint32_t fewer = 0)
{
  const size_t format = wav.find("fmt "), data = wav.find("data");
  const uint32_t frame = static_cast<uint32_t>(toolstest::HeaderField(wav, format + 8 + 12, 2, false));
  const uint32_t size = (0x7FFFF000 / frame - fewer) * frame;
  PutLittleEndian(wav, data + 4, size);
  PutLittleEndian(wav, 4, static_cast<uint32_t>(data) + size);
  return wav;
}

// The same of an AIFF (or AIFC) whose sound data starts at its SSND
// chunk's preamble: sox's count of frames in COMM the most whole frames in
// 0x7F000000 bytes (less `fewer`), and the SSND and FORM sizes to match.
std::string WithAiffPlaceholderSizes(std::string aiff, uint32_t fewer = 0)
{
  const size_t comm = aiff.find("COMM"), ssnd = aiff.find("SSND");
  const uint32_t frame = static_cast<uint32_t>(toolstest::HeaderField(aiff, comm + 8, 2, true) *
                                             ((toolstest::HeaderField(aiff, comm + 8 + 6, 2, true) + 7) / 8));
  const uint32_t frames = 0x7F000000 / frame - fewer;
  PutBigEndian(aiff, comm + 8 + 2, frames);
  PutBigEndian(aiff, ssnd + 4, 8 + frames * frame);
  PutBigEndian(aiff, 4, static_cast<uint32_t>(ssnd) + 8 + 8 + frames * frame - 8);
  return aiff;
}

// An AIFF whose sound data starts `offset` bytes into its SSND chunk, as the
// format allows (libsndfile writes 0 there): the offset's bytes are
// inserted before the sound data and the chunk sizes grown by them.
std::string WithSoundOffset(std::string aiff, uint32_t offset)
{
  const size_t ssnd = aiff.find("SSND");
  PutBigEndian(aiff, 4, BigEndian(aiff, 4) + offset);
  PutBigEndian(aiff, ssnd + 4, BigEndian(aiff, ssnd + 4) + offset);
  PutBigEndian(aiff, ssnd + 8, offset);
  aiff.insert(ssnd + 16, std::string(offset, '\x5A'));
  return aiff;
}

// An AIFF with its COMM chunk moved after the sound data (and its PEAK
// chunk, which must follow COMM, left out).
std::string WithCommonChunkLast(const std::string& aiff)
{
  std::string before, comm;
  for (size_t at = 12; at + 8 <= aiff.size();)
  {
    const uint32_t size = BigEndian(aiff, at + 4);
    const std::string chunk = aiff.substr(at, 8 + size + (size & 1));
    if (chunk.compare(0, 4, "COMM") == 0)
      comm = chunk;
    else if (chunk.compare(0, 4, "PEAK") != 0)
      before += chunk;
    at += chunk.size();
  }
  std::string moved = aiff.substr(0, 12) + before + comm;
  PutBigEndian(moved, 4, static_cast<uint32_t>(moved.size() - 8));
  return moved;
}

// A WAV or AIFF with a chunk `name` holding `body` (of an even length)
// before the others.
std::string WithChunkFirst(const std::string& file, const char* name, const std::string& body)
{
  const auto put = file.compare(0, 4, "FORM") == 0 ? PutBigEndian : PutLittleEndian;
  std::string chunk = std::string(name, 4) + std::string(4, '\0') + body;
  put(chunk, 4, static_cast<uint32_t>(body.size()));
  std::string out = file.substr(0, 12) + chunk + file.substr(12);
  put(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

// A WAV with a JUNK chunk of `size` (even) bytes before the others.
std::string WithJunkFirst(const std::string& wav, uint32_t size)
{
  return WithChunkFirst(wav, "JUNK", std::string(size, '\0'));
}

// The body of an AIFF's COMT chunk as sox writes `text` there: one comment,
// its length cut to 16 bits.
std::string SoxComment(const std::string& text)
{
  const size_t length = text.size() & 0xFFFF;
  return std::string("\0\x01", 2) + std::string(6, '\0') + static_cast<char>(length >> 8) + static_cast<char>(length) +
         text;
}

// A FLAC whose STREAMINFO leaves its length 0 (unknown), as a program
// streaming it has it: the 36-bit total-samples field, after "fLaC", the
// block header and 13 bytes of the block.
std::string FlacWithoutLength(std::string flac)
{
  flac[8 + 13] = static_cast<char>(flac[8 + 13] & 0xF0);
  flac.replace(8 + 14, 4, 4, '\0');
  return flac;
}

// Where a FLAC's frames start: after "fLaC" and its metadata blocks.
size_t FlacFramesStart(const std::string& flac)
{
  size_t at = 4;
  for (bool last = false; !last && at + 4 <= flac.size();)
  {
    last = (flac[at] & 0x80) != 0;
    at += 4 + (BigEndian(flac, at) & 0xFFFFFF);
  }
  return at;
}

// A FLAC's metadata blocks alone, its length 0 (unknown): a complete
// stream of no frames.
std::string FlacOfNoFrames(const std::string& flac)
{
  return FlacWithoutLength(flac.substr(0, FlacFramesStart(flac)));
}

std::string BigEndianBytes(uint32_t value)
{
  std::string bytes(4, '\0');
  PutBigEndian(bytes, 0, value);
  return bytes;
}

// A FLAC with a metadata block of `type` holding `body` after its
// STREAMINFO (the first block: its 4-byte header and 34 bytes after "fLaC").
std::string WithFlacBlock(std::string flac, int type, const std::string& body)
{
  std::string block = BigEndianBytes(static_cast<uint32_t>(body.size())) + body;
  block[0] = static_cast<char>(type | (flac[4] & 0x80)); // the last block if STREAMINFO was
  flac[4] = static_cast<char>(flac[4] & 0x7F);
  return flac.insert(42, block);
}

// A picture block's body: a front cover of `bytes` (all zeros) as PNG.
std::string FlacPicture(uint32_t bytes)
{
  return BigEndianBytes(3) + BigEndianBytes(9) + "image/png" + BigEndianBytes(0) + std::string(16, '\0') +
         BigEndianBytes(bytes) + std::string(bytes, '\0');
}

// `audio` with white noise of peak `level` added, the same each run: as
// 24-bit FLAC, large frames whose bytes hold what looks like frame headers.
auhost::AudioData WithNoise(auhost::AudioData audio, float level)
{
  uint32_t state = 1;
  for (auto& channel : audio.channels)
    for (float& sample : channel)
    {
      state = state * 1664525u + 1013904223u;
      sample += level * (static_cast<float>(state >> 8) / 8388608.0f - 1.0f);
    }
  return audio;
}

// `audio` behind an ID3 tag of `size` bytes, as taggers put one before it.
std::string WithId3Tag(const std::string& audio, uint32_t size)
{
  std::string tag("ID3\x04\0\0", 6);
  for (const int shift : {21, 14, 7, 0})
    tag += static_cast<char>(size >> shift & 0x7F);
  return tag + std::string(size, '\0') + audio;
}

// A 16-bit mono FLAC of noise whose last 128 bytes, audio, begin with
// "TAG": full-scale noise keeps every frame verbatim, so the last samples
// lie as they are before the frame's 2-byte CRC.
std::string FlacWhoseAudioEndsAsATag(const std::string& path)
{
  std::vector<short> samples(12000);
  uint32_t state = 1;
  for (short& sample : samples)
    sample = static_cast<short>((state = state * 1664525u + 1013904223u) >> 16);
  const size_t tag = samples.size() - (auhost::kId3v1Bytes - 2) / 2;
  samples[tag] = 0x5441;     // "TA"
  samples[tag + 1] = 0x4720; // "G "
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 1;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_TRUE(file && sf_writef_short(file, samples.data(), 12000) == 12000 && sf_close(file) == 0);
  return Bytes(path);
}

class AuhostInput : public testing::Test
{
protected:
  void SetUp() override
  {
    dir = toolstest::TempFolder();
    ASSERT_TRUE(WriteAs(dir + "/in.wav", in, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  // The rendered audio, or nothing when it cannot be read.
  auhost::AudioData Rendered(const std::string& name) const
  {
    auhost::AudioData out;
    std::string error;
    EXPECT_TRUE(auhost::ReadAudioFile(Path(name), out, error)) << error;
    return out;
  }
  // A clean refusal: a failure that says `why`, no output, nothing left.
  void ExpectRefusal(const ProgramRun& run, const std::string& why) const
  {
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(why), std::string::npos) << run.output;
    EXPECT_FALSE(toolstest::Exists(Path("out.wav")));
    for (const auto& left : std::filesystem::directory_iterator(dir))
      EXPECT_EQ(left.path().string().find(".auhost-"), std::string::npos) << left.path();
  }

  // An input of the pipe-and-file tests below: its bytes, and how it is
  // cut and checked.
  struct Kind
  {
    const char* name;
    std::string bytes;
    bool pipeRefuses = false; // the one exception: a header that needs what follows the audio
    std::string warns = "";   // what the whole input's render warns of, from both; nothing when empty
    std::vector<size_t> cuts = {}; // more sizes to cut it to, inside its frames: refused as ending early
    long frames = 0;               // when set, the whole input renders this many frames from both
    std::string refused = "";      // when set, the whole input is refused from both, saying this
    // When set, the file is `bytes` followed by this many bytes of silence
    // (taking no room on disk) and `after`, rendered whole only, to 16-bit
    // samples, its audio compared by its bytes.
    long long silence = 0;
    std::string after = "";
    // When set, the other exception: a pipe that cannot read past a
    // placeholder length as the file is read renders this many frames
    // instead, and warns `pipeWarns`.
    long pipeFrames = 0;
    std::string pipeWarns = "";
  };
  // A pipe of each of `kinds` answers as the file of its bytes does.
  void ExpectPipesRenderAsTheirFiles(std::span<const Kind> kinds) const;

  // Longer than the read-ahead's and the summary's blocks.
  const auhost::AudioData in = toolstest::Bursts(2.0, -24.0);
  std::string dir;
};

void AuhostInput::ExpectPipesRenderAsTheirFiles(std::span<const Kind> kinds) const
{
  // A render's outcome, and its audio: the samples, or (of a render of
  // silence past 2 GiB) the 16-bit samples' bytes told by their frames and
  // a hash.
  struct Audio
  {
    std::vector<std::vector<float>> samples;
    std::pair<long long, uint64_t> frames;
    bool operator==(const Audio&) const = default;
  };
  const auto outcome = [this](const std::string& input, const std::string& shell, bool silence,
                              const std::string& out) {
    std::filesystem::remove(Path(out));
    // Silence renders quickest without a summary, in the largest slices.
    const ProgramRun run =
      Auhost("render " + input + " " + Path(out) + (silence ? " --format 16 --quiet --block 8192" : ""), shell);
    Audio audio;
    if (run.status == 0 && silence)
      audio.frames = AudioFramesOf(Path(out));
    else if (run.status == 0)
      audio.samples = Rendered(out).channels;
    return std::pair{run, audio};
  };
  for (const Kind& k : kinds)
  {
    std::vector<size_t> sizes{k.bytes.size(), 20, 60, k.bytes.size() / 2, k.bytes.size() - 3};
    // Where a read of 64 KiB of a longer one ends.
    if (k.bytes.size() > (size_t(1) << 16))
      sizes.push_back(size_t(1) << 16);
    if (k.silence > 0)
      sizes = {k.bytes.size()};
    const size_t usual = sizes.size();
    sizes.insert(sizes.end(), k.cuts.begin(), k.cuts.end());
    for (size_t s = 0; s < sizes.size(); ++s)
    {
      const size_t size = sizes[s];
      SCOPED_TRACE(std::string(k.name) + " of " + std::to_string(size) + " bytes");
      if (k.silence > 0)
        PutWithSilence(Path("cut"), k.bytes, k.silence, k.after);
      else
        Put(Path("cut"), k.bytes.substr(0, size));
      // The file's render runs beside the pipe's, to an output of its own;
      // what the pipe's says names its input and output.
      const bool silence = k.silence > 0;
      auto fileRun = std::async(std::launch::async, outcome, Path("cut"), "", silence, "file.wav");
      const auto [piped, pipedAudio] = outcome("/dev/stdin", "cat " + Path("cut") + " | ", silence, "out.wav");
      const auto [file, fileAudio] = fileRun.get();
      ASSERT_NE(file.status, -1);
      std::string said = file.output;
      const std::pair<std::string, std::string> names[] = {{Path("cut"), "/dev/stdin"}, {Path("file.wav"), Path("out.wav")}};
      for (const auto& [from, to] : names)
        for (size_t at; (at = said.find(from)) != std::string::npos;)
          said.replace(at, from.size(), to);
      if (s >= usual)
      {
        EXPECT_NE(file.output.find("cannot read the audio of " + Path("cut") + " (it ends early)"), std::string::npos)
          << file.output;
      }
      if (size == k.bytes.size() && k.frames > 0)
      {
        EXPECT_EQ(file.status, 0) << file.output;
        const long rendered = k.silence > 0 ? static_cast<long>(fileAudio.frames.first)
                                            : static_cast<long>(fileAudio.samples.empty() ? 0 : fileAudio.samples[0].size());
        EXPECT_EQ(rendered, k.frames);
      }
      if (size == k.bytes.size() && !k.refused.empty())
      {
        ExpectRefusal(file, k.refused);
        ExpectRefusal(piped, k.refused);
      }
      if (k.pipeFrames > 0)
      {
        EXPECT_EQ(file.output.find("warning"), std::string::npos) << file.output;
        EXPECT_EQ(piped.status, 0) << piped.output;
        EXPECT_EQ(pipedAudio.frames.first, k.pipeFrames);
        EXPECT_NE(piped.output.find("auhost: warning: /dev/stdin" + k.pipeWarns), std::string::npos) << piped.output;
        continue;
      }
      if (k.pipeRefuses || file.status != 0)
      {
        ExpectRefusal(piped, "");
        // Both refusing to read the audio, once the input is open, say why
        // in the same words.
        const std::string audio = "cannot read the audio of ";
        if (file.output.find(audio) != std::string::npos && piped.output.find(audio) != std::string::npos)
        {
          EXPECT_EQ(piped.output, said);
        }
        continue;
      }
      EXPECT_EQ(piped.output, said);
      EXPECT_EQ(pipedAudio, fileAudio);
      // A whole input warns only of what its header really promises.
      if (size == k.bytes.size())
      {
        if (k.warns.empty())
          EXPECT_EQ(file.output.find("warning"), std::string::npos) << file.output;
        else
          EXPECT_NE(file.output.find("auhost: warning: " + Path("cut") + k.warns), std::string::npos) << file.output;
      }
    }
  }
}

// The summary without its first line, which names the files.
std::string Summary(const std::string& printed)
{
  return printed.substr(std::min(printed.size(), printed.find('\n') + 1));
}

// A stream without a length (a FLAC whose header leaves it 0, a WAV from a
// pipe whose sizes say 4 GB) and the other kinds of WAV and AIFF: each
// renders to the same audio and summary as a plain file of that audio.
TEST_F(AuhostInput, EveryKindOfInputRendersAsThePlainWavOfItsAudio)
{
  const std::string wav = Bytes(Path("in.wav"));
  ASSERT_TRUE(WriteAs(Path("in.flac"), in, SF_FORMAT_FLAC | SF_FORMAT_PCM_24));
  std::string flac = Bytes(Path("in.flac"));
  // STREAMINFO's 36-bit total-samples field, after "fLaC", the block
  // header and 13 bytes of the block.
  flac[8 + 13] = static_cast<char>(flac[8 + 13] & 0xF0);
  flac.replace(8 + 14, 4, 4, '\0');
  Put(Path("nolength.flac"), flac);
  Put(Path("streamed.wav"), WithStreamedSizes(wav, 0xFFFFFFFF));
  ASSERT_TRUE(WriteAs(Path("rf64.wav"), in, SF_FORMAT_RF64 | SF_FORMAT_FLOAT));
  ASSERT_TRUE(WriteAs(Path("extensible.wav"), in, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT));
  ASSERT_TRUE(WriteAs(Path("aifc.aiff"), in, SF_FORMAT_AIFF | SF_FORMAT_FLOAT));
  // The same audio in 16 and 24 bits, as plain WAV, RF64 and (16-bit) an
  // AIFF whose sound data starts after an offset.
  for (const auto& [bits, subtype] : {std::pair{"16", SF_FORMAT_PCM_16}, std::pair{"24", SF_FORMAT_PCM_24}})
  {
    ASSERT_TRUE(WriteAs(Path(std::string("in.") + bits + ".wav"), in, SF_FORMAT_WAV | subtype));
    ASSERT_TRUE(WriteAs(Path(std::string("rf64-") + bits + ".wav"), in, SF_FORMAT_RF64 | subtype));
  }
  ASSERT_TRUE(WriteAs(Path("aiff"), in, SF_FORMAT_AIFF | SF_FORMAT_PCM_16));
  Put(Path("offset.aiff"), WithSoundOffset(Bytes(Path("aiff")), 12));
  Put(Path("junk.wav"), WithJunkFirst(wav, auhost::kPipeHeaderBytes + 2));
  for (const std::string name : {"in.wav", "aiff", "in.flac"})
    Put(Path("id3-" + name), WithId3Tag(Bytes(Path(name)), 200000));
  const auto piped = [this](const char* name) { return "cat " + Path(name) + " | "; };
  struct Case
  {
    const char* name;
    std::string input, shell;
    std::string sameAs = "wav"; // in.<sameAs>, which holds the same audio
  };
  const Case cases[] = {
    {"FLAC without a length", Path("nolength.flac"), "", "flac"},
    {"WAV from a pipe, sizes 0xFFFFFFFF", "/dev/stdin", "cat " + Path("streamed.wav") + " | "},
    {"WAV from a pipe", "/dev/stdin", "cat " + Path("in.wav") + " | "},
    {"RF64", Path("rf64.wav"), ""},
    {"extensible WAV", Path("extensible.wav"), ""},
    {"AIFC", Path("aifc.aiff"), ""},
    {"RF64 from a pipe", "/dev/stdin", piped("rf64.wav")},
    {"16-bit RF64 from a pipe", "/dev/stdin", piped("rf64-16.wav"), "16.wav"},
    {"24-bit RF64 from a pipe", "/dev/stdin", piped("rf64-24.wav"), "24.wav"},
    {"AIFF with a sound data offset", Path("offset.aiff"), "", "16.wav"},
    {"the same from a pipe", "/dev/stdin", piped("offset.aiff"), "16.wav"},
    {"AIFC from a pipe", "/dev/stdin", piped("aifc.aiff")},
    {"extensible WAV from a pipe", "/dev/stdin", piped("extensible.wav")},
    {"FLAC from a pipe", "/dev/stdin", piped("in.flac"), "flac"},
    {"FLAC without a length from a pipe", "/dev/stdin", piped("nolength.flac"), "flac"},
    {"WAV from a pipe, a megabyte of JUNK before its format and audio", "/dev/stdin", piped("junk.wav")},
    {"WAV from a pipe behind a 200 kB ID3 tag", "/dev/stdin", piped("id3-in.wav")},
    {"AIFF from a pipe behind a 200 kB ID3 tag", "/dev/stdin", piped("id3-aiff"), "16.wav"},
    {"FLAC from a pipe behind a 200 kB ID3 tag", "/dev/stdin", piped("id3-in.flac"), "flac"},
    // A producer writing its header in pieces: the first read gives fewer
    // bytes than an ID3 tag's header.
    {"WAV from a pipe whose first read gives 4 bytes", "/dev/stdin",
     "( printf RIFF; sleep 0.3; tail -c +5 " + Path("in.wav") + " ) | "},
    {"the same behind a 200 kB ID3 tag", "/dev/stdin", "( printf ID3; sleep 0.3; tail -c +4 " + Path("id3-in.wav") + " ) | "},
  };
  for (const char* options : {"", " --set Pre-Delay=50"})
  {
    std::map<std::string, ProgramRun> plain;
    for (const std::string kind : {"wav", "flac", "16.wav", "24.wav"})
    {
      plain[kind] = Auhost("render " + Path("in." + kind) + " " + Path("plain-" + kind + ".wav") + options);
      ASSERT_EQ(plain[kind].status, 0) << plain[kind].output;
      ASSERT_EQ(Rendered("plain-" + kind + ".wav").Frames(), in.Frames());
    }
    for (const Case& c : cases)
    {
      SCOPED_TRACE(std::string(c.name) + options);
      const ProgramRun run = Auhost("render " + c.input + " " + Path("out.wav") + options, c.shell);
      ASSERT_EQ(run.status, 0) << run.output;
      EXPECT_EQ(Summary(run.output), Summary(plain[c.sameAs].output));
      EXPECT_EQ(Rendered("out.wav").channels, Rendered("plain-" + c.sameAs + ".wav").channels);
    }
  }
}

TEST_F(AuhostInput, OtherContainersAndHeadersWithoutALengthAreRefusedSayingWhy)
{
  struct Case
  {
    const char* name;
    int format; // written by libsndfile, or 0 for `bytes`
    std::string bytes, shell, says;
  };
  const std::string wav = Bytes(Path("in.wav"));
  const std::string notOurs = "not a WAV, AIFF or FLAC file";
  // Complete files of no frames, as libsndfile writes them (a FLAC of none
  // it does not write).
  const auto noFrames = [this](int format) {
    EXPECT_TRUE(WriteAs(Path("none"), auhost::AudioData{in.sampleRate, {{}, {}}}, format));
    return Bytes(Path("none"));
  };
  ASSERT_TRUE(WriteAs(Path("in.flac"), in, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  ASSERT_TRUE(WriteAs(Path("in.aiff"), in, SF_FORMAT_AIFF | SF_FORMAT_FLOAT));
  const std::string noFlac = FlacOfNoFrames(Bytes(Path("in.flac")));
  // The FLAC's frames up to the read-ahead's first block are those of a
  // FLAC of that block alone: a cut just after them is inside the next.
  auhost::AudioData block = in;
  for (auto& channel : block.channels)
    channel.resize(auhost::kPipelineBlockFrames);
  ASSERT_TRUE(WriteAs(Path("block.flac"), block, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  const size_t pastTheBlock = Bytes(Path("block.flac")).size() + 10;
  const Case cases[] = {
    {"AU", SF_FORMAT_AU | SF_FORMAT_FLOAT, "", "", notOurs},
    {"CAF", SF_FORMAT_CAF | SF_FORMAT_PCM_16, "", "", notOurs},
    {"W64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, "", "", notOurs},
    {"MP3, whose length libsndfile guesses", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "", "", notOurs},
    {"WAV with a data size of 0", 0, WithStreamedSizes(wav, 0), "", "its header gives the audio a length of 0"},
    {"the same from a pipe", 0, WithStreamedSizes(wav, 0), "cat {in} | ", "a header that gives it a length of 0"},
    {"a complete WAV of no frames", 0, noFrames(SF_FORMAT_WAV | SF_FORMAT_FLOAT), "", "no audio in the file"},
    {"a complete AIFF of no frames", 0, noFrames(SF_FORMAT_AIFF | SF_FORMAT_PCM_16), "", "no audio in the file"},
    {"a complete FLAC of no frames", 0, noFlac, "", "no audio in the input"},
    {"the same from a pipe", 0, noFlac, "cat {in} | ", "no audio in the input"},
    {"text from a pipe", 0, "not audio at all\n", "cat {in} | ", "cannot read /dev/stdin: "},
    {"a FLAC cut short, from a pipe", 0, Bytes(Path("in.flac")).substr(0, 20000), "cat {in} | ", "(it ends early)"},
    {"an AIFF whose COMM chunk follows its sound data, from a pipe", 0, WithCommonChunkLast(Bytes(Path("in.aiff"))),
     "cat {in} | ", "nothing after the audio can be read: give the file"},
    {"a FLAC without a length cut inside the frame after the first block read", 0,
     FlacWithoutLength(Bytes(Path("in.flac"))).substr(0, pastTheBlock), "", "(it ends early)"},
    {"a FLAC without a length cut inside a frame, from a pipe", 0,
     FlacWithoutLength(Bytes(Path("in.flac"))).substr(0, 20000), "cat {in} | ", "(it ends early)"},
    {"a pipe ending inside a chunk skipped before the audio", 0,
     WithJunkFirst(wav, auhost::kPipeHeaderBytes + 2).substr(0, 600000), "cat {in} | ", "No 'data' chunk"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string input = Path("other.wav");
    if (c.format && !WriteAs(input, in, c.format))
      continue; // a libsndfile built without that writer
    if (!c.format)
      Put(input, c.bytes);
    // A refusal from a pipe comes at once: one that waits on a pipe that has
    // ended is stopped, and its words are missing.
    const bool piped = !c.shell.empty();
    const ProgramRun run = Auhost("render " + (piped ? "/dev/stdin" : input) + " " + Path("out.wav"),
                                  piped ? "cat " + input + " | timeout 20 " : "");
    ExpectRefusal(run, c.says);
  }
}

// A pipe answers as the file of its bytes does, whole or cut inside its
// header or its audio: the same render and words, or a refusal in both (in
// the same words when both refuse to read the audio). A whole input warns
// only of audio its header really promises.
TEST_F(AuhostInput, APipeRendersAsTheFileOfItsBytes)
{
  auhost::AudioData clip = in;
  for (auto& channel : clip.channels)
    channel.resize(12000);
  const auto written = [&](int format) {
    EXPECT_TRUE(WriteAs(Path("kind"), clip, format));
    return Bytes(Path("kind"));
  };
  const std::string wav = written(SF_FORMAT_WAV | SF_FORMAT_FLOAT), aiff = written(SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  const std::string flac = written(SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  const std::string wav24 = written(SF_FORMAT_WAV | SF_FORMAT_PCM_24), aifc = written(SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
  // What a whole input whose header promises `frames` warns of.
  const auto promises = [](uint32_t frames) {
    return ": the file is cut short: its header promises " + std::to_string(frames) + " frames, it holds 12000;";
  };
  // A FLAC without a length whose first frames follow metadata longer than
  // a pipe keeps of a header, and cuts inside those frames.
  const auto afterMetadata = [&flac](int type, const std::string& body) {
    const std::string big = FlacWithoutLength(WithFlacBlock(flac, type, body));
    const size_t frames = FlacFramesStart(big);
    return std::pair{big, std::vector<size_t>{frames + 10, frames + 3000, big.size() - 1000}};
  };
  const auto [picture, inPicturedFrames] = afterMetadata(6, FlacPicture(1500000));
  const auto [padded, inPaddedFrames] = afterMetadata(1, std::string(3 << 20, '\0'));
  // A 24-bit FLAC of noise, and cuts inside its frames: a decoder going back
  // over the frame a cut ends meets a false frame header and loses sync.
  EXPECT_TRUE(WriteAs(Path("kind"), WithNoise(clip, 0.1f), SF_FORMAT_FLAC | SF_FORMAT_PCM_24));
  const std::string noise = Bytes(Path("kind"));
  std::vector<size_t> inNoiseFrames;
  for (size_t at = FlacFramesStart(noise) + 2000; at < noise.size(); at += 2000)
    inNoiseFrames.push_back(at);
  // Longer than a pipe keeps of its last stretch, many times over: a WAV
  // of 6 MiB, and a 24-bit FLAC of 5 MB of noise cut near its end and in
  // its middle, where the decoder goes back over what the pipe kept.
  auhost::AudioData longClip = toolstest::Bursts(20.0, -24.0);
  EXPECT_TRUE(WriteAs(Path("kind"), longClip, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  const std::string longWav = Bytes(Path("kind"));
  EXPECT_TRUE(WriteAs(Path("kind"), WithNoise(longClip, 0.1f), SF_FORMAT_FLAC | SF_FORMAT_PCM_24));
  const std::string longFlac = Bytes(Path("kind"));
  // A FLAC without a length with an ID3v1 tag after its frames.
  const std::string id3v1 = "TAG" + std::string(125, ' ');
  const std::string taggedFlac = FlacWithoutLength(flac) + id3v1;
  const size_t flacFrames = FlacFramesStart(flac);
  // Tagged FLACs without a length whose last frame headers code what those
  // of the short one do not: numbers past 127 in two bytes (all of the
  // last MiB of the long one), a block size of 1000 in 16 bits, a 96 kHz
  // rate (its last frame noise, so that its subframes start with no 0).
  auhost::AudioData thousand = clip;
  for (auto& channel : thousand.channels)
    channel.resize(1000);
  EXPECT_TRUE(WriteAs(Path("kind"), thousand, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  const std::string oneFrame = FlacWithoutLength(Bytes(Path("kind"))) + id3v1;
  const auhost::AudioData at96k = WithNoise(toolstest::Bursts(0.25, -24.0, 2, 96000.0), 0.1f);
  EXPECT_TRUE(WriteAs(Path("kind"), at96k, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  const std::string flac96k = FlacWithoutLength(Bytes(Path("kind"))) + id3v1;
  // A FLAC whose audio ends in bytes that begin as an ID3v1 tag does, and
  // a WAV behind one ID3 tag more than are skipped.
  const std::string tagInAudio = FlacWhoseAudioEndsAsATag(Path("kind"));
  EXPECT_EQ(tagInAudio.substr(tagInAudio.size() - auhost::kId3v1Bytes, 3), "TAG");
  std::string tooManyTags = wav;
  for (int t = 0; t <= auhost::kMostId3Tags; ++t)
    tooManyTags = WithId3Tag(tooManyTags, 46);
  const Kind kinds[] = {
    {.name = "WAV streamed by a recorder, its sizes 0x80000000 and 0x80000024",
     .bytes = WithStreamedSizes(wav, 0x80000000, 0x80000024), .frames = 12000},
    {.name = "WAV whose sizes say 0x7FFFFFFF", .bytes = WithStreamedSizes(wav, 0x7FFFFFFF), .frames = 12000},
    {.name = "FLAC without a length, an ID3v1 tag after its frames", .bytes = taggedFlac, .frames = 12000},
    {.name = "the same cut in its frames", .bytes = taggedFlac.substr(0, flacFrames + 3000) + id3v1,
     .cuts = {flacFrames + 3000 + id3v1.size()}},
    {.name = "24-bit FLAC of 20 s of noise without a length, an ID3v1 tag after its frames",
     .bytes = FlacWithoutLength(longFlac) + id3v1, .frames = 960000},
    {.name = "FLAC without a length of one frame of 1000 samples, an ID3v1 tag after it", .bytes = oneFrame,
     .frames = 1000},
    {.name = "96 kHz FLAC without a length, an ID3v1 tag after its frames", .bytes = flac96k, .frames = 24000},
    {.name = "FLAC whose audio's last 128 bytes begin with TAG", .bytes = tagInAudio, .frames = 12000},
    {.name = "the same without a length", .bytes = FlacWithoutLength(tagInAudio), .frames = 12000},
    {.name = "WAV behind 1001 ID3 tags of 56 bytes", .bytes = tooManyTags, .refused = auhost::kTooManyId3Tags},
    {"WAV", wav},
    {"16-bit WAV", written(SF_FORMAT_WAV | SF_FORMAT_PCM_16)},
    {"24-bit RF64", written(SF_FORMAT_RF64 | SF_FORMAT_PCM_24)},
    {"extensible WAV", written(SF_FORMAT_WAVEX | SF_FORMAT_FLOAT)},
    {"AIFC", written(SF_FORMAT_AIFF | SF_FORMAT_FLOAT)},
    {"AIFF with a sound data offset", WithSoundOffset(aiff, 12)},
    {"FLAC", flac},
    {"FLAC without a length", FlacWithoutLength(flac)},
    {"WAV whose sizes say 0xFFFFFFFF", WithStreamedSizes(wav, 0xFFFFFFFF)},
    {"WAV whose data size is 0", WithStreamedSizes(wav, 0)},
    {"WAV with a megabyte of JUNK first", WithJunkFirst(wav, auhost::kPipeHeaderBytes + 2)},
    {"WAV behind an ID3 tag", WithId3Tag(wav, 3000)},
    {"AIFF behind an ID3 tag", WithId3Tag(aiff, 3000)},
    {"FLAC behind an ID3 tag", WithId3Tag(flac, 3000)},
    {"WAV behind an empty ID3 tag", WithId3Tag(wav, 0)},
    {"AIFF behind an empty ID3 tag", WithId3Tag(aiff, 0)},
    {"FLAC behind an empty ID3 tag", WithId3Tag(flac, 0)},
    {"WAV behind an ID3 tag of one byte", WithId3Tag(wav, 1)},
    {"WAV behind an ID3 tag and an empty one", WithId3Tag(WithId3Tag(wav, 0), 3000)},
    {"WAV behind 1001 empty ID3 tags, more than are skipped", [&wav] {
       std::string tagged = wav;
       for (int t = 0; t < 1001; ++t)
         tagged = WithId3Tag(tagged, 0);
       return tagged;
     }()},
    {"AIFF whose COMM chunk follows its sound data", WithCommonChunkLast(aiff), true},
    {"WAV streamed by sox, its sizes a placeholder", WithPlaceholderSizes(wav)},
    {"24-bit WAV streamed by sox", WithPlaceholderSizes(wav24)},
    {"AIFF streamed by sox", WithAiffPlaceholderSizes(aiff)},
    {"AIFC streamed by sox", WithAiffPlaceholderSizes(aifc)},
    {"WAV whose data size is a frame short of sox's placeholder", WithPlaceholderSizes(wav, 1), false,
     promises(0x7FFFF000 / 8 - 1)},
    {"AIFF whose sound data is a frame short of sox's placeholder", WithAiffPlaceholderSizes(aiff, 1), false,
     promises(0x7F000000 / 4 - 1)},
    {"FLAC without a length after a 1.5 MB picture", picture, false, "", inPicturedFrames},
    {"FLAC without a length after 3 MiB of padding", padded, false, "", inPaddedFrames},
    {"24-bit FLAC of noise", noise, false, "", inNoiseFrames},
    {"WAV of 20 s", longWav},
    {"24-bit FLAC of 20 s of noise", longFlac, false, "", {longFlac.size() / 3, longFlac.size() - 100000}},
    {"24-bit FLAC of 20 s of noise without a length", FlacWithoutLength(longFlac)},
  };
  ExpectPipesRenderAsTheirFiles(kinds);
}

// Streams past 2 GiB, as sparse files of silence with a header before it
// and chunks after it: a pipe of each renders as the file of its bytes.
// Stereo 64-bit samples at a low rate are the fewest frames that fill a
// placeholder's length, so the renders stay short; a sanitizer build, which
// takes minutes over them, leaves them out (its reads are those of the
// other pipe-and-file rows).
class AuhostInputPastTwoGib : public AuhostInput
{
protected:
  void SetUp() override
  {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build renders 2 GiB of frames for minutes";
#endif
    AuhostInput::SetUp();
    wav = Head(SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    soxHead = WithPlaceholderSizes(wav);
  }
  // A file of no frames as libsndfile writes it: a header for the silence.
  std::string Head(int format, int channels = 2) const
  {
    EXPECT_TRUE(WriteAs(Path("kind"), auhost::AudioData{8000.0, std::vector<std::vector<float>>(channels)}, format));
    return Bytes(Path("kind"));
  }
  // A chunk `name` of `size` bytes, without a pad byte; its size
  // big-endian, as an AIFF's, when asked.
  static std::string Chunk(const char* name, uint32_t size, bool bigEndian = false)
  {
    std::string chunk = std::string(name, 4) + std::string(4, '\0') + std::string(size, '\x5A');
    (bigEndian ? PutBigEndian : PutLittleEndian)(chunk, 4, size);
    return chunk;
  }

  std::string wav, soxHead;
  static constexpr long soxFrames = 0x7FFFF000 / 16;
  // The silence of audio 5000 frames past sox's placeholder length.
  static constexpr long long pastSox = 0x7FFFF000LL + 5000 * 16;
  const std::string list = "LIST" + std::string("\x0c\0\0\0INFOICMT\0\0\0\0", 16);
};

// Past a placeholder length every frame renders, however far into the
// stream the audio starts within what a pipe keeps of a header, and
// wherever what looks like chunks after the placeholder stops.
TEST_F(AuhostInputPastTwoGib, AStreamPastItsPlaceholderLengthRendersFromAPipeAsFromItsFile)
{
  const long aiffFrames = 0x7F000000 / 16;
  // A chunk that ends 4 bytes short of what a pipe reads ahead, then audio
  // where the next chunk's header would be.
  const std::string chunkThenAudio = Chunk("id3 ", auhost::kPipeLookPastAudioBytes - 8 - 4) + std::string(80004, '\0');
  const Kind kinds[] = {
    {.name = "sox's WAV of audio past its placeholder length, a chunk then audio that starts 4 bytes before the "
             "end of what a pipe reads ahead",
     .bytes = soxHead, .frames = soxFrames + static_cast<long>(chunkThenAudio.size() / 16), .silence = 0x7FFFF000LL,
     .after = chunkThenAudio},
    {.name = "sox's WAV of audio past its placeholder length", .bytes = soxHead, .frames = soxFrames + 5000,
     .silence = pastSox},
    {.name = "the same with 100 KiB of JUNK before its audio",
     .bytes = WithPlaceholderSizes(WithJunkFirst(wav, 100 << 10)), .frames = soxFrames + 5000, .silence = pastSox},
    {.name = "sox's AIFC past its placeholder length, a 70 kB comment before its sound data",
     .bytes = WithAiffPlaceholderSizes(
       WithChunkFirst(Head(SF_FORMAT_AIFF | SF_FORMAT_DOUBLE), "COMT", SoxComment(std::string(70000, 'n')))),
     .frames = aiffFrames + 5000, .silence = 0x7F000000LL + 5000 * 16},
  };
  ExpectPipesRenderAsTheirFiles(kinds);
}

// Real audio exactly a placeholder's length keeps it when chunks, and
// nothing else, follow it: cover art of megabytes, as many chunks as are
// walked, exactly as many bytes of them as a pipe reads ahead, or a last
// chunk of an odd length without its pad byte.
TEST_F(AuhostInputPastTwoGib, AudioOfAPlaceholdersLengthRendersFromAPipeAsFromItsFile)
{
  const std::string art = Chunk("id3 ", 3 << 20);
  std::string emptyChunks;
  for (int c = 0; c < 999; ++c)
    emptyChunks += Chunk("JUNK", 0);
  // A LIST of one comment of 33 bytes, neither padded: longer than two
  // frames, so that read as audio it would add them.
  std::string unpaddedList = "LIST" + std::string(4, '\0') + "INFOICMT" + std::string(4, '\0') + std::string(33, 'n');
  PutLittleEndian(unpaddedList, 4, 12 + 33);
  PutLittleEndian(unpaddedList, 16, 33);
  const std::string recorded =
    WithStreamedSizes(wav, 0x80000000, static_cast<uint32_t>(wav.size() - 8 + 0x80000000 + unpaddedList.size()));
  const Kind kinds[] = {
    {.name = "a WAV whose audio is sox's placeholder length, a LIST chunk after it", .bytes = soxHead,
     .frames = soxFrames, .silence = 0x7FFFF000LL, .after = list},
    {.name = "a WAV of 0x80000000 bytes of audio, a recorder's placeholder, 3 MiB of cover art after it",
     .bytes = WithStreamedSizes(wav, 0x80000000, static_cast<uint32_t>(wav.size() - 8 + 0x80000000 + art.size())),
     .frames = 0x80000000 / 16, .silence = 0x80000000LL, .after = art},
    {.name = "a WAV whose audio is sox's placeholder length, 999 empty chunks after it, the most walked",
     .bytes = soxHead, .frames = soxFrames, .silence = 0x7FFFF000LL, .after = emptyChunks},
    {.name = "a WAV whose audio is sox's placeholder length, exactly as many bytes of chunks after it as a pipe "
             "reads ahead",
     .bytes = soxHead, .frames = soxFrames, .silence = 0x7FFFF000LL,
     .after = Chunk("id3 ", auhost::kPipeLookPastAudioBytes - 8)},
    {.name = "a WAV of 0x80000000 bytes of audio, a recorder's placeholder, a LIST chunk of odd length without its "
             "pad byte after it",
     .bytes = recorded, .frames = 0x80000000 / 16, .silence = 0x80000000LL, .after = unpaddedList},
  };
  ExpectPipesRenderAsTheirFiles(kinds);
}

// Where a pipe cannot read a stream as its file is read, it says how it
// read it: audio whose header lies past what is kept of one stops at its
// placeholder length; a chunk after audio of that length that runs on past
// what is read ahead to see is rendered as audio.
TEST_F(AuhostInputPastTwoGib, APipeThatCannotReadAPlaceholderStreamAsItsFileSaysHow)
{
  const uint32_t longChunk = auhost::kPipeLookPastAudioBytes + 2;
  const Kind kinds[] = {
    {.name = "sox's WAV of audio past its placeholder length, more JUNK before it than a pipe keeps",
     .bytes = WithPlaceholderSizes(WithJunkFirst(wav, auhost::kPipeHeaderBytes + 2)), .frames = soxFrames + 5000,
     .silence = pastSox, .pipeFrames = soxFrames,
     .pipeWarns = ": its header gives the audio's length as a placeholder, past the first 1 MiB of the stream, "
                  "where a pipe is not read ahead: the read stops at that length, " +
                  std::to_string(soxFrames) + " frames, and any audio after it is left out (give the file)"},
    {.name = "a WAV whose audio is sox's placeholder length, a chunk after it longer than a pipe reads ahead",
     .bytes = soxHead, .frames = soxFrames, .silence = 0x7FFFF000LL, .after = Chunk("id3 ", longChunk),
     .pipeFrames = soxFrames + (8 + longChunk) / 16,
     .pipeWarns = ": what follows the first " + std::to_string(soxFrames) +
                  " frames, the length its header gives as a placeholder, may be a chunk of more than 16 MiB rather "
                  "than audio: from a pipe that cannot be told, and it is rendered as audio (give the file)"},
  };
  ExpectPipesRenderAsTheirFiles(kinds);
}

// sox's placeholder length of 24-bit mono audio is odd; a writer that
// leaves out the pad byte after it puts the next chunk at its last byte.
// One that leaves out every pad byte puts each chunk right after the odd
// one before it: the byte after the first here starts a name of four
// letters ("UNK-"), of a size that runs past the end.
TEST_F(AuhostInputPastTwoGib, OddAudioOfAPlaceholdersLengthWithoutItsPadByteKeepsItsLength)
{
  std::string mono = WithPlaceholderSizes(Head(SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1));
  const uint32_t size = 0x7FFFF000 / 3 * 3;
  PutLittleEndian(mono, 4, static_cast<uint32_t>(mono.size() - 8 + size + list.size()));
  const std::string unpadded = Chunk("LIST", 33) + Chunk("JUNK", 45);
  const std::string unpaddedAiff = Chunk("ANNO", 33, true) + Chunk("APPL", 45, true);
  std::string soxAiff = WithAiffPlaceholderSizes(Head(SF_FORMAT_AIFF | SF_FORMAT_DOUBLE));
  PutBigEndian(soxAiff, 4, static_cast<uint32_t>(soxAiff.size() - 8 + 0x7F000000 + unpaddedAiff.size()));
  const Kind kinds[] = {
    {.name = "a 24-bit mono WAV whose audio is sox's odd placeholder length, then a LIST chunk", .bytes = mono,
     .frames = size / 3, .silence = size, .after = list},
    {.name = "a WAV of 0x80000000 bytes of audio, a recorder's placeholder, then odd chunks none of which is padded",
     .bytes = WithStreamedSizes(wav, 0x80000000, static_cast<uint32_t>(wav.size() - 8 + 0x80000000 + unpadded.size())),
     .frames = 0x80000000 / 16, .silence = 0x80000000LL, .after = unpadded},
    {.name = "an AIFC whose sound data is sox's placeholder length, then odd chunks none of which is padded",
     .bytes = soxAiff, .frames = 0x7F000000 / 16, .silence = 0x7F000000LL, .after = unpaddedAiff},
  };
  ExpectPipesRenderAsTheirFiles(kinds);
}

// Wherever a copy stopped, the reader refuses the file or reads what is
// there, naming exactly what its header promised beyond it; auhost renders
// such a file to its readable end with that warning.
TEST_F(AuhostInput, EveryCutOfAWavOrAiffIsRefusedOrReadWithWhatIsMissingNamed)
{
  auhost::AudioData shortIn = in;
  for (auto& channel : shortIn.channels)
    channel.resize(300);
  for (const int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_AIFF | SF_FORMAT_FLOAT,
                           SF_FORMAT_RF64 | SF_FORMAT_PCM_24, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT})
  {
    SCOPED_TRACE(format);
    ASSERT_TRUE(WriteAs(Path("whole"), shortIn, format));
    const std::string whole = Bytes(Path("whole"));
    auhost::AudioData all;
    std::string error;
    ASSERT_TRUE(auhost::ReadAudioFile(Path("whole"), all, error)) << error;
    bool rendered = false;
    for (size_t size = 0; size <= whole.size(); size += std::min<size_t>(13, std::max<size_t>(1, whole.size() - size)))
    {
      SCOPED_TRACE(size);
      Put(Path("cut"), whole.substr(0, size));
      auto reader = auhost::AudioFileReader::Open(Path("cut"), error);
      if (!reader)
        continue;
      const long held = reader->Frames();
      ASSERT_LE(held, 300);
      // Filled with a value no file holds, so a frame left unread shows.
      auhost::AudioData read{48000.0, {std::vector<float>(held, 9.0f), std::vector<float>(held, 9.0f)}};
      float* channels[2] = {read.channels[0].data(), read.channels[1].data()};
      ASSERT_TRUE(reader->ReadAt(0, held, channels)) << reader->Error();
      for (int c = 0; c < 2; ++c)
        EXPECT_TRUE(std::equal(read.channels[c].begin(), read.channels[c].end(), all.channels[c].begin()));
      if (held == 300)
      {
        EXPECT_EQ(reader->Warning(), "");
        continue;
      }
      EXPECT_NE(reader->Warning().find("promises 300 frames, it holds " + std::to_string(held) + "; the last " +
                                       std::to_string(300 - held) + " "),
                std::string::npos)
        << reader->Warning();
      if (rendered || held == 0)
        continue;
      // "AB" is unity gain: the output is the readable part.
      rendered = true;
      const ProgramRun run = Auhost("render " + Path("cut") + " " + Path("out.wav") + " --set AB=On");
      EXPECT_EQ(run.status, 0);
      EXPECT_NE(run.output.find("auhost: warning: " + reader->Warning() + "\n"), std::string::npos) << run.output;
      EXPECT_EQ(Rendered("out.wav").channels, read.channels);
    }
  }
}

// A header's rate is taken as far as a render can serve it: above that
// the render is refused before anything grows with the rate, so a memory
// limit never meets it.
TEST_F(AuhostInput, RatesAboveTheHighestRenderedAreRefusedNamingIt)
{
#if defined(__SANITIZE_ADDRESS__)
  const std::string limit = "ASAN_OPTIONS=$ASAN_OPTIONS:hard_rss_limit_mb=3000 "; // it reserves terabytes of addresses
#else
  const std::string limit = "ulimit -v 3000000; ";
#endif
  auhost::AudioData clip = in;
  for (auto& channel : clip.channels)
    channel.resize(4800);
  for (const int rate : {352369536, 1536001, 1536000})
  {
    SCOPED_TRACE(rate);
    clip.sampleRate = rate;
    ASSERT_TRUE(WriteAs(Path("rate.wav"), clip, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    const ProgramRun run = Auhost("render " + Path("rate.wav") + " " + Path("out.wav"), limit);
    if (rate > 1536000)
    {
      ExpectRefusal(run, "rate.wav: " + std::to_string(rate) + " Hz is above the highest rate rendered, 1536000 Hz");
      continue;
    }
    ASSERT_EQ(run.status, 0) << run.output;
    const auhost::AudioData out = Rendered("out.wav");
    EXPECT_EQ(out.sampleRate, rate);
    EXPECT_EQ(out.Frames(), clip.Frames());
  }
}

// A disk that fails mid-file: the render stops with the system's reason,
// not as though the file ended.
TEST_F(AuhostInput, AReadErrorIsReportedInTheSystemsWords)
{
  ASSERT_TRUE(WriteAs(Path("in.flac"), in, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  for (const std::string& input : {Path("in.wav"), Path("in.flac")})
  {
    SCOPED_TRACE(input);
    const std::string failing = "LD_PRELOAD=" + std::string(FAILING_READ_SHIM) + " FAIL_READS_OF=" + input +
                                " FAIL_READS_FROM=" + std::to_string(Bytes(input).size() / 2) +
                                " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ";
    const ProgramRun run = Auhost("render " + input + " " + Path("out.wav"), failing);
    ExpectRefusal(run, "cannot read the audio of " + input + ": System error : Input/output error");
  }
}

// Under a task limit every worker, or any one of them, may be refused: the
// render does that work itself and gives the same file and summary.
TEST_F(AuhostInput, RefusedWorkerThreadsGiveTheSameRender)
{
  // A file, and a pipe whose end only reading finds (a render that never
  // found it would run on until the file-size limit stops it).
  const struct
  {
    std::string input, shell;
  } inputs[] = {
    {Path("in.wav"), ""},
    {"/dev/stdin", "ulimit -f 20000; cat " + Path("in.wav") + " | "},
  };
  for (const auto& input : inputs)
  {
    SCOPED_TRACE(input.input);
    const std::string args = "render " + input.input + " " + Path("out.wav") + " --sidechain " + Path("in.wav") +
                             " --set \"Detecion Mode=SideChain2\" --set Pre-Delay=20 --block 1000";
    const ProgramRun plain = Auhost(args, input.shell);
    ASSERT_EQ(plain.status, 0) << plain.output;
    const auhost::AudioData want = Rendered("out.wav");
    ASSERT_EQ(want.Frames(), in.Frames());
    // Two summary workers, two read-ahead ones and the write-behind one.
    for (const char* refused : {"all", "1", "2", "3", "4", "5"})
    {
      SCOPED_TRACE(std::string("refused: ") + refused);
      std::filesystem::remove(Path("out.wav"));
      const ProgramRun run =
        Auhost(args, input.shell + "REFUSE_THREADS=" + std::string(refused) + " LD_PRELOAD=" REFUSE_THREADS_SHIM
                                   " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ");
      ASSERT_EQ(run.status, 0) << run.output;
      EXPECT_EQ(run.output, plain.output);
      EXPECT_EQ(Rendered("out.wav").channels, want.channels);
    }
  }
}

} // namespace
