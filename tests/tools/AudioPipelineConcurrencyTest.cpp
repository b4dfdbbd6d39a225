// The read-ahead and write-behind threads of a file render, driven with
// rings from one frame up, so the render thread and the workers meet at
// every turn: they answer as the source and sink they wrap, failures
// included, and never hang.
#include <atomic>
#include <climits>
#include <fstream>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "tests/support/TempHome.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioPipeline.h"

namespace {

using namespace auhost;

struct Ring
{
  long frames;
  int depth;
};
constexpr Ring kRings[] = {{1, 1}, {7, 2}, {64, 3}, {4096, 4}};

// Fails every read that reaches frame `failAt` of the programme, as a file
// that ends early does.
class EndsEarly final : public AudioSource
{
public:
  EndsEarly(const AudioData& audio, long failAt) : mAudio(audio), mFailAt(failAt) {}
  int NumChannels() const override { return mAudio.NumChannels(); }
  double SampleRate() const override { return mAudio.SampleRate(); }
  long Frames() const override { return mAudio.Frames(); }
  bool ReadAt(long start, long count, float* const* channels) override
  {
    return std::min(start + count, Frames()) <= mFailAt && mAudio.ReadAt(start, count, channels);
  }
  std::string Error() const override { return "ends early"; }

private:
  AudioDataSource mAudio;
  long mFailAt;
};

// Keeps appended frames until it would hold more than `room`.
class FillsUp final : public AudioSink
{
public:
  FillsUp(AudioData& into, int channels, long room) : mKept(into, channels, 48000.0), mRoom(room) {}
  bool Append(const float* const* channels, long count) override
  {
    appendsAfterFailing += mFailed;
    mFailed = mFailed || (mHeld += count) > mRoom;
    return !mFailed && mKept.Append(channels, count);
  }
  std::string Error() const override { return "disk full"; }
  int appendsAfterFailing = 0;

private:
  AudioDataSink mKept;
  long mRoom, mHeld = 0;
  bool mFailed = false;
};

TEST(AudioPipeline, ReadAheadGivesWhatItsSourceGivesForEveryReadAndFailure)
{
  for (const int channels : {1, 2})
    for (const Ring ring : kRings)
      for (const long failAt : {LONG_MAX, 0L, 1000L, 2399L})
      {
        SCOPED_TRACE(testing::Message() << channels << " channels, ring " << ring.frames << " x " << ring.depth
                                        << ", failing at " << failAt);
        const AudioData audio = toolstest::Bursts(0.05, -20.0, channels); // 2400 frames
        EndsEarly plain(audio, failAt), wrapped(audio, failAt);
        // What the worker shows an observer: the programme from its start,
        // each frame once, whatever the reader asks for, and each block
        // before the reader is given any of it.
        std::vector<float> observed[2];
        std::atomic<long> observedFrames{0};
        bool readToTheEnd = true;
        {
          ReadAheadSource ahead(
            wrapped,
            [&](const float* const* blocks, long n) {
              for (int c = 0; c < channels; ++c)
                observed[c].insert(observed[c].end(), blocks[c], blocks[c] + n);
              observedFrames += n;
            },
            ring.frames, ring.depth);
          // A render's reads: slices in order past the end, now and then a
          // stretch a unit asks for elsewhere.
          std::mt19937 random(static_cast<unsigned>(ring.frames + failAt));
          std::vector<float> want(2 * 900), got(2 * 900);
          for (long at = 0, step = 0; at < audio.Frames() + 500; ++step)
          {
            const bool elsewhere = step % 5 == 4;
            const long start = elsewhere ? long(random() % 2600) - 100 : at;
            const long count = 1 + long(random() % 900);
            float* w[2] = {want.data(), want.data() + 900};
            float* g[2] = {got.data(), got.data() + 900};
            const bool ok = plain.ReadAt(start, count, w);
            ASSERT_EQ(ahead.ReadAt(start, count, g), ok) << "read at " << start;
            if (!ok)
            {
              EXPECT_EQ(ahead.Error(), "ends early");
              readToTheEnd = false;
              break;
            }
            for (int c = 0; c < channels; ++c)
              ASSERT_TRUE(std::equal(w[c], w[c] + count, g[c])) << "read at " << start;
            // (A block the worker fails to read is never shown; the reads
            // go to the source then.)
            if (!elsewhere && failAt == LONG_MAX)
            {
              EXPECT_GE(observedFrames.load(), std::min(start + count, audio.Frames())) << "read at " << start;
            }
            at += elsewhere ? 0 : count;
          }
        }
        for (int c = 0; c < channels; ++c)
        {
          ASSERT_LE(observed[c].size(), audio.channels[c].size());
          EXPECT_TRUE(std::equal(observed[c].begin(), observed[c].end(), audio.channels[c].begin()));
          if (readToTheEnd)
          {
            EXPECT_EQ(observed[c].size(), audio.channels[c].size());
          }
        }
      }
}

// A stream of unknown length, read ahead in order: the samples and the
// end of the stream read straight, wherever the end falls against the
// ring's blocks (the reader may learn it a block early, never wrongly), and
// the observer sees exactly the programme.
TEST(AudioPipeline, ReadAheadFindsWhereAProgrammeOfUnknownLengthEnds)
{
  for (const Ring ring : kRings)
    for (const long frames : {0L, 1L, 64L, 4096L, 2400L})
    {
      SCOPED_TRACE(testing::Message() << frames << " frames, ring " << ring.frames << " x " << ring.depth);
      AudioData audio = toolstest::Bursts(0.1, -20.0), observed{48000.0, {{}, {}}};
      for (auto& channel : audio.channels)
        channel.resize(static_cast<size_t>(frames));
      toolstest::FoundByReading plain(audio), wrapped(audio);
      {
        AudioDataSink toObserved(observed, 2, 48000.0);
        ReadAheadSource ahead(
          wrapped, [&](const float* const* blocks, long n) { toObserved.Append(blocks, n); }, ring.frames, ring.depth);
        std::mt19937 random(static_cast<unsigned>(ring.frames + frames));
        std::vector<float> want(2 * 900), got(2 * 900);
        float* w[2] = {want.data(), want.data() + 900};
        float* g[2] = {got.data(), got.data() + 900};
        for (long at = 0, count; plain.End() == kUnknownLength || at < frames + 1000; at += count)
        {
          count = 1 + long(random() % 900);
          ASSERT_TRUE(plain.ReadAt(at, count, w) && ahead.ReadAt(at, count, g));
          ASSERT_EQ(want, got) << "read at " << at;
          ASSERT_TRUE(ahead.End() == frames || (ahead.End() == kUnknownLength && plain.End() == kUnknownLength))
            << "read at " << at;
        }
      }
      EXPECT_EQ(observed.channels, audio.channels);
    }
}

TEST(AudioPipeline, WriteBehindKeepsEveryFrameInOrderOrFailsAsItsSinkFails)
{
  const AudioData audio = toolstest::Bursts(0.1, -20.0); // 4800 frames
  for (const Ring ring : kRings)
    for (const long room : {LONG_MAX, 0L, 3000L})
      for (const bool inPlace : {false, true})
      {
        SCOPED_TRACE(testing::Message() << "ring " << ring.frames << " x " << ring.depth << ", room " << room
                                        << (inPlace ? ", written in place where there is room" : ""));
        AudioData kept;
        FillsUp sink(kept, 2, room);
        bool ok = true;
        // An observer sees each block before the sink gets it.
        std::vector<float> observed[2];
        {
          WriteBehindSink behind(
            sink, 2,
            [&](const float* const* blocks, long n) {
              for (int c = 0; c < 2; ++c)
                observed[c].insert(observed[c].end(), blocks[c], blocks[c] + n);
            },
            ring.frames, ring.depth);
          toolstest::InRandomBlocks(audio, 700, 7, [&](const float* const* channels, long n) {
            // A render stops at the first failure.
            float* const* space = inPlace ? behind.Space(n) : nullptr;
            if (space)
            {
              EXPECT_LE(n, ring.frames);
              for (int c = 0; c < 2; ++c)
                std::copy(channels[c], channels[c] + n, space[c]);
              ok = ok && behind.Written(n);
            }
            else
              ok = ok && behind.Append(channels, n);
          });
          ok = ok && behind.Flush();
          if (!ok)
          {
            EXPECT_EQ(behind.Error(), "disk full");
          }
        }
        EXPECT_EQ(ok, room == LONG_MAX);
        EXPECT_EQ(sink.appendsAfterFailing, 0);
        ASSERT_LE(kept.Frames(), std::min(room, audio.Frames()));
        for (int c = 0; c < 2; ++c)
        {
          EXPECT_TRUE(std::equal(kept.channels[c].begin(), kept.channels[c].end(), audio.channels[c].begin()));
          ASSERT_GE(observed[c].size(), kept.channels[c].size());
          ASSERT_LE(observed[c].size(), audio.channels[c].size());
          EXPECT_TRUE(std::equal(observed[c].begin(), observed[c].end(), audio.channels[c].begin()));
        }
        if (ok)
        {
          EXPECT_EQ(kept.Frames(), audio.Frames());
        }
      }
}

TEST(AudioPipeline, AFileCopiedThroughBothThreadsIsTheFileWrittenAtOnce)
{
  const testsupport::TempFolder folder;
  const std::string original = folder.Join("a.wav"), copy = folder.Join("b.wav");
  std::string error;
  ASSERT_TRUE(WriteAudioFile(original, toolstest::Bursts(1.0, -6.0), SampleFormat::Pcm24, error)) << error;
  auto reader = AudioFileReader::Open(original, error);
  auto writer = AudioFileWriter::Open(copy, 2, 48000.0, SampleFormat::Pcm24, reader ? reader->Frames() : 0, error);
  ASSERT_TRUE(reader && writer) << error;
  {
    ReadAheadSource ahead(*reader, 333, 2);
    WriteBehindSink behind(*writer, 2, 1000, 2);
    std::vector<float> left(512), right(512);
    float* channels[2] = {left.data(), right.data()};
    for (long at = 0; at < ahead.Frames(); at += 512)
    {
      const long n = std::min(512L, ahead.Frames() - at);
      ASSERT_TRUE(ahead.ReadAt(at, n, channels));
      ASSERT_TRUE(behind.Append(channels, n));
    }
    ASSERT_TRUE(behind.Flush());
  }
  ASSERT_TRUE(writer->Commit(error)) << error;
  auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(bytes(copy), bytes(original));
}

} // namespace
