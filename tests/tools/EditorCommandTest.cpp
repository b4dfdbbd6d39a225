// `auhost editor`: the product's editor through the host's road (view
// factory, window, timer, renderer), its pictures and its event scripts.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "StandIn/AudioUnitEvents.h"
#include "StandIn/Gpu.h"
#include "StandIn/Hooks.h"
#include "plugin/Tolvane3Params.h"
#include "tests/tools/AuhostLaunch.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/ComponentBundle.h"
#include "tools/EditorScript.h"
#include "tools/EditorSession.h"

namespace {

using auhost::EditorEvent;

bool IsPng(const std::string& bytes)
{
  return bytes.starts_with("\x89PNG\r\n\x1a\n");
}

// What a path is itself, its links not followed: its type and mode, and
// for a device its number.
struct stat LinkStatus(const std::string& path)
{
  struct stat status{};
  if (lstat(path.c_str(), &status) != 0)
    status.st_mode = 0;
  return status;
}

// Reads a FIFO while auhost writes a picture into it. Opened before auhost
// starts, so that auhost's open finds a reader at once; reads what comes
// until the writer closes, or, once told that auhost has ended, what is
// left, so a run that never opened the FIFO cannot leave it waiting.
class FifoReader
{
public:
  explicit FifoReader(const std::string& path) : mFifo(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
  {
    if (mFifo >= 0 && pipe2(mStop, O_CLOEXEC) == 0)
      mThread = std::thread([this] { Read(); });
  }
  ~FifoReader()
  {
    Finish();
    for (const int fd : {mFifo, mStop[0], mStop[1]})
      if (fd >= 0)
        close(fd);
  }
  // What was read; once auhost has ended.
  std::string Finish()
  {
    if (mThread.joinable())
    {
      EXPECT_EQ(1, write(mStop[1], "", 1));
      mThread.join();
    }
    return mBytes;
  }

private:
  void Read()
  {
    for (;;)
    {
      // A FIFO no writer has opened yet shows nothing to poll: this wakes
      // at the picture's first bytes, at its writer's close, or when told.
      pollfd ready[2] = {{mFifo, POLLIN, 0}, {mStop[0], POLLIN, 0}};
      if (poll(ready, 2, -1) < 0)
      {
        if (errno == EINTR)
          continue;
        return;
      }
      char buffer[65536];
      ssize_t n;
      while ((n = read(mFifo, buffer, sizeof buffer)) > 0)
        mBytes.append(buffer, static_cast<size_t>(n));
      if (n == 0 || ready[1].revents)
        return;
    }
  }
  int mFifo;
  int mStop[2] = {-1, -1};
  std::thread mThread;
  std::string mBytes;
};

class EditorCommand : public testing::Test
{
protected:
  void SetUp() override
  {
    standin::ResetMainLoop();
    standin::UseManualClock(1000.0);
    standin::ResetGpu();
    std::string error;
    bundle = auhost::ComponentBundle::Load(PRODUCT_BUNDLE, error);
    ASSERT_TRUE(bundle) << error;
  }
  void TearDown() override
  {
    standin::ResetGpu();
    standin::ResetMainLoop();
    standin::UseRealClock();
  }

  // The window's picture after the events, at the scale.
  standin::WindowImage Run(double scale, const std::vector<EditorEvent>& events = {})
  {
    std::string error;
    auto unit = auhost::OpenedUnit::Open(*bundle, error);
    EXPECT_TRUE(unit) << error;
    if (!unit)
      return {};
    auto session = auhost::EditorSession::Open(unit->Unit(), scale, error);
    EXPECT_TRUE(session) << error;
    if (!session)
      return {};
    for (const EditorEvent& e : events)
      EXPECT_TRUE(session->Play(e, error)) << error;
    return session->Snapshot();
  }

  static EditorEvent Mouse(double ms, EditorEvent::Kind kind, double x, double y)
  {
    EditorEvent e;
    e.timeMs = ms;
    e.kind = kind;
    e.x = x;
    e.y = y;
    return e;
  }

  // Pixels that differ between two pictures of one size.
  static long Differences(const standin::WindowImage& a, const standin::WindowImage& b)
  {
    long n = 0;
    for (size_t i = 0; i < a.rgba.size() && i < b.rgba.size(); i += 4)
      n += std::equal(&a.rgba[i], &a.rgba[i] + 4, &b.rgba[i]) ? 0 : 1;
    return n;
  }

  std::unique_ptr<auhost::ComponentBundle> bundle;
};

TEST_F(EditorCommand, PicturesAtBothScalesAgree)
{
  const standin::WindowImage one = Run(1.0);
  const standin::WindowImage two = Run(2.0);
  ASSERT_EQ(1008, one.width);
  ASSERT_EQ(584, one.height);
  ASSERT_EQ(2016, two.width);
  ASSERT_EQ(1168, two.height);
  // Averaged 2 x 2, the sharper picture is the same one.
  double sum = 0;
  for (int y = 0; y < one.height; ++y)
    for (int x = 0; x < one.width; ++x)
      for (int c = 0; c < 3; ++c)
      {
        auto at = [&](int xx, int yy) { return two.rgba[(size_t(yy) * 2016 + size_t(xx)) * 4 + size_t(c)]; };
        const double mean = (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1)) / 4.0;
        sum += std::fabs(mean - one.rgba[(size_t(y) * 1008 + size_t(x)) * 4 + size_t(c)]);
      }
  EXPECT_LE(sum / (1008.0 * 584 * 3), 4.0);
}

TEST_F(EditorCommand, StrictTexturesAndASecondRunGiveTheSameBytes)
{
  const standin::WindowImage first = Run(1.0);
  standin::SetStrictTextures(true);
  const standin::WindowImage strict = Run(1.0);
  EXPECT_EQ(first.rgba, strict.rgba);
  EXPECT_EQ(first.rgba, Run(1.0).rgba);
}

TEST_F(EditorCommand, DraggingAKnobRedrawsItAndTellsTheHost)
{
  constexpr double kKnobX = 347, kKnobY = 137; // the target level's knob
  const standin::WindowImage before = Run(1.0);
  standin::ClearRecordedAudioUnitEvents();
  const standin::WindowImage after = Run(1.0, {Mouse(0, EditorEvent::kDown, kKnobX, kKnobY),
    Mouse(20, EditorEvent::kDrag, kKnobX, kKnobY - 20), Mouse(40, EditorEvent::kDrag, kKnobX, kKnobY - 40),
    Mouse(60, EditorEvent::kUp, kKnobX, kKnobY - 40)});
  long inKnob = 0, elsewhere = 0;
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x < after.width; ++x)
    {
      const size_t i = (size_t(y) * size_t(after.width) + size_t(x)) * 4;
      const bool same = std::equal(&after.rgba[i], &after.rgba[i] + 4, &before.rgba[i]);
      (std::abs(x - kKnobX) < 40 && std::abs(y - kKnobY) < 40 ? inKnob : elsewhere) += same ? 0 : 1;
    }
  EXPECT_GT(inKnob, 50);

  std::vector<AudioUnitEventType> kinds;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
    if (e.mArgument.mParameter.mParameterID == static_cast<AudioUnitParameterID>(tolvane3::kTargetLevel) &&
        e.mEventType != kAudioUnitEvent_PropertyChange)
      kinds.push_back(e.mEventType);
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kAudioUnitEvent_BeginParameterChangeGesture, kinds.front());
  EXPECT_EQ(kAudioUnitEvent_EndParameterChangeGesture, kinds.back());
  for (size_t i = 1; i + 1 < kinds.size(); ++i)
    EXPECT_EQ(kAudioUnitEvent_ParameterValueChange, kinds[i]);
}

TEST_F(EditorCommand, AClickOnTheBackgroundChangesNoPixel)
{
  const standin::WindowImage before = Run(1.0);
  const standin::WindowImage after =
    Run(1.0, {Mouse(0, EditorEvent::kDown, 250, 80), Mouse(30, EditorEvent::kUp, 250, 80)});
  EXPECT_EQ(0, Differences(before, after));
}

TEST_F(EditorCommand, ScriptsAreReadLineByLine)
{
  struct Case
  {
    const char* script;
    const char* error; // "" when it reads
    size_t events;
  };
  const Case cases[] = {
    {"# a comment\n0 move 10 20\n\n16 down 5 6 clicks 2 shift cmd\n32 key down 0 a\n40 key up 0\n", "", 4},
    {"0 wheel 1 2 -3\n1 drop 3 4 /tmp/a.wav\n2 focus lost\n3 scale 2\n4 snapshot out.png\n", "", 5},
    {"0 move 10\n", "line 1: move X Y expected", 0},
    {"0 move 1 2\n0 jump 1 2\n", "line 2: unknown event \"jump\"", 0},
    {"10 up 1 2\n5 up 1 2\n", "line 2: the time goes back", 0},
    {"0 scale 3\n", "line 1: scale 1 or scale 2 expected", 0},
    {"0 key down 300 a\n", "line 1: key down|up CODE [TEXT] expected, CODE 0 to 127", 0},
    {"0 key down 1 \\q\n", "line 1: a bad escape in the key's text", 0},
    {"x move 1 2\n", "line 1: a time in milliseconds and an event kind expected", 0},
    {"\xEF\xBB\xBF" "0 move 10 20\r16 down 5 6\r", "", 2},
    {"0 move 1 2\n1e15 move 10 10\n",
     "line 2: a time past a day (86400000 ms); times count from the first frame", 0},
    {"0 leap\x7f" "123456789012345678901234567890123456789 1 2\n",
     "line 1: unknown event \"leap\\x7F12345678901234567890123456789012345...\"", 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.script);
    std::vector<EditorEvent> events;
    std::string error;
    EXPECT_EQ(*c.error == '\0', auhost::ParseEditorScript(c.script, events, error));
    EXPECT_EQ(c.error, error);
    EXPECT_EQ(c.events, events.size());
  }
  std::vector<EditorEvent> events;
  std::string error;
  ASSERT_TRUE(auhost::ParseEditorScript("16 down 5 6 clicks 2 shift cmd\n1000 key down 36 \\r\n", events, error));
  EXPECT_EQ(2, events[0].clicks);
  EXPECT_EQ(uint64_t{0x120000}, events[0].modifiers);
  EXPECT_EQ("\r", events[1].text);

  // Keys that type no letter carry the platform's text when the script
  // gives none; a text given stands; a '#' inside a word is the word's.
  const struct
  {
    const char* line;
    const char* text;
  } keys[] = {
    {"0 key down 36", "\r"}, {"0 key up 36", "\r"}, {"0 key down 48", "\t"}, {"0 key down 53", "\x1b"},
    {"0 key down 51", "\x7f"}, {"0 key down 76", "\x03"}, {"0 key down 117", "\uF728"},
    {"0 key down 123", "\uF702"}, {"0 key down 124", "\uF703"}, {"0 key down 125", "\uF701"},
    {"0 key down 126", "\uF700"}, {"0 key down 0", ""}, {"0 key down 36 x", "x"},
    {"0 key down 65 \\x41b\\x2a", "Ab*"},
    {"0 snapshot take#2.png\t# the second take", "take#2.png"}, {"0 key down 20 3# #", "3#"},
  };
  for (const auto& k : keys)
  {
    ASSERT_TRUE(auhost::ParseEditorScript(k.line, events, error)) << k.line;
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(k.text, events[0].text) << k.line;
  }
}

// A value typed into the knob's entry is committed by Return given as a
// bare key code, as a host's window sends it.
TEST_F(EditorCommand, ReturnWithoutTextCommitsATypedValue)
{
  std::string error;
  auto unit = auhost::OpenedUnit::Open(*bundle, error);
  ASSERT_TRUE(unit) << error;
  auto session = auhost::EditorSession::Open(unit->Unit(), 1.0, error);
  ASSERT_TRUE(session) << error;
  std::vector<EditorEvent> events;
  ASSERT_TRUE(auhost::ParseEditorScript("0 down 347 137 clicks 2\n10 up 347 137\n100 key down 1 -\n"
                                        "110 key down 19 2\n120 key down 29 0\n130 key down 36\n200 move 10 10\n",
    events, error))
    << error;
  for (const EditorEvent& e : events)
    ASSERT_TRUE(session->Play(e, error)) << error;
  AudioUnitParameterValue value = 0;
  ASSERT_EQ(noErr, AudioUnitGetParameter(unit->Unit(), tolvane3::kTargetLevel, kAudioUnitScope_Global, 0, &value));
  EXPECT_FLOAT_EQ(-20.f, value);
}

// The plug-in's resize corner enlarges the view; the host's window follows,
// so the picture shows the whole editor at its new size.
TEST_F(EditorCommand, TheWindowFollowsTheEditorsResize)
{
  const standin::WindowImage image = Run(1.0, {Mouse(0, EditorEvent::kDown, 1000, 576),
    Mouse(20, EditorEvent::kDrag, 1125, 648), Mouse(40, EditorEvent::kDrag, 1250, 720),
    Mouse(60, EditorEvent::kUp, 1250, 720)});
  EXPECT_GT(image.width, 1008 + 100);
  EXPECT_NEAR(double(image.width) / image.height, 1008.0 / 584.0, 0.01);
  // The editor fills the window: no pixel is left as the window's black.
  long black = 0;
  for (size_t i = 0; i < image.rgba.size(); i += 4)
    black += image.rgba[i] == 0 && image.rgba[i + 1] == 0 && image.rgba[i + 2] == 0;
  EXPECT_LT(black, long(image.rgba.size() / 4 / 100));
}

// Run as a user runs it: a bad line is named, fails, and leaves no picture.
TEST_F(EditorCommand, TheProgramWritesThePictureOrNothing)
{
  const std::string dir = toolstest::TempFolder();
  // Run from a shell, its standard output a pipe the test reads into
  // `piped`; the status as a shell gives it (128 + a signal that ended it)
  // and what it said on standard error.
  std::string piped;
  auto run = [&](const std::string& args, const std::string& environment = "", const std::string& streams = "") {
    const std::string command =
      environment + " " + AUHOST_EXE + " editor " + args + " " + streams + " 2> " + dir + "/out.txt";
    FILE* out = popen(command.c_str(), "re");
    piped.clear();
    char buffer[65536];
    for (size_t n; out && (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
      piped.append(buffer, n);
    const int raw = out ? pclose(out) : -1;
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    return std::make_pair(status, toolstest::Bytes(dir + "/out.txt"));
  };
  std::ofstream(dir + "/bad.txt") << "0 move 10 10\n20 fly 1 2\n";
  auto [status, output] = run("--snapshot " + dir + "/bad.png --events " + dir + "/bad.txt");
  EXPECT_NE(0, status);
  EXPECT_NE(std::string::npos, output.find("line 2")) << output;
  EXPECT_NE(0, access((dir + "/bad.png").c_str(), F_OK));

  std::ofstream(dir + "/good.txt") << "0 move 10 10\n20 snapshot " << dir << "/early.png\n";
  std::tie(status, output) = run("--snapshot " + dir + "/good.png --scale 2 --events " + dir + "/good.txt");
  EXPECT_EQ(0, status) << output;
  EXPECT_EQ(0, access((dir + "/good.png").c_str(), F_OK));
  EXPECT_EQ(0, access((dir + "/early.png").c_str(), F_OK));

  // Whatever the path names, a picture is written as the render writes its
  // outputs: a link is written through and stays a link, an old picture
  // keeps its mode and owner, a link planted at the name a temporary might take is
  // never followed; a FIFO or a character device is written into, never
  // replaced, also through a descriptor's link (/dev/stdout, /dev/fd/N),
  // and a block device refused; a stop leaves the old picture whole. Each
  // row is laid out twice and run once: a script's snapshot writes one,
  // --snapshot the other (after it, so a refusal is heard from the script).
  // Each picture is the same as one written to a new file.
  using toolstest::Bytes;
  ASSERT_EQ(0, run("--snapshot " + dir + "/picture.png").first);
  const std::string picture = Bytes(dir + "/picture.png");
  ASSERT_TRUE(IsPng(picture));
  std::map<std::string, std::unique_ptr<FifoReader>> readers;
  // Another user's, where the test may give it away.
  const uid_t owner = geteuid() == 0 ? 1 : geteuid();
  const auto oldFile = [owner](const std::string& path, mode_t mode) {
    std::ofstream(path) << "old";
    ASSERT_EQ(0, chown(path.c_str(), owner, static_cast<gid_t>(-1)));
    ASSERT_EQ(0, chmod(path.c_str(), mode));
  };
  const auto layOldPicture = [&](const std::string& p) { oldFile(p, 0604); };
  const auto replaced = [&](const std::string& p) {
    EXPECT_TRUE(Bytes(p) == picture);
    EXPECT_EQ(S_IFREG | 0604, LinkStatus(p).st_mode);
    EXPECT_EQ(owner, LinkStatus(p).st_uid);
  };
  const auto layFifo = [&](const std::string& p) {
    ASSERT_EQ(0, mkfifo(p.c_str(), 0600));
    readers[p] = std::make_unique<FifoReader>(p);
  };
  const auto readFromFifo = [&](const std::string& p) {
    EXPECT_TRUE(S_ISFIFO(LinkStatus(p).st_mode));
    EXPECT_TRUE(readers[p]->Finish() == picture);
  };
  const auto layNothing = [](const std::string&) {};
  const auto untouched = [](const std::string& p) { EXPECT_TRUE(Bytes(p) == "old"); };
  // Both pictures, the script's and then --snapshot's, came down the pipe.
  const auto readFromPipe = [&](const std::string&) { EXPECT_TRUE(piped == picture + picture) << piped.size(); };
  const auto nothingPiped = [&](const std::string&) { EXPECT_TRUE(piped.empty()) << piped.size(); };
  // How auhost is given a row's path: by its name, as /dev/stdout, as
  // /dev/stdin (a pipe it reads), or as /dev/fd/N of a pipe, of the file
  // (open for reading and writing, or only for reading) or of a socket.
  enum Given
  {
    kByName,
    kStandardOutput,
    kStandardInput,
    kPipeDescriptor,
    kFileDescriptor,
    kReadOnlyFileDescriptor,
    kSocketDescriptor,
  };
  int sockets[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, sockets));
  const std::string preloaded =
    std::string("LD_PRELOAD=") + COMMIT_SHIM + " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0";
  const struct
  {
    const char* what;
    bool needsRoot;
    std::function<void(const std::string&)> lay, check;
    int status;
    Given given = kByName;
    std::string environment = "";
    std::string said = ""; // what standard error says, when set
  } rows[] = {
    {"an old picture", false, layOldPicture, replaced, 0},
    {"a link to an old picture", false,
      [&](const std::string& p) {
        oldFile(p + ".target", 0640);
        ASSERT_EQ(0, symlink((p + ".target").c_str(), p.c_str()));
      },
      [](const std::string& p) {
        EXPECT_TRUE(S_ISLNK(LinkStatus(p).st_mode));
        EXPECT_TRUE(IsPng(Bytes(p + ".target")));
        EXPECT_EQ(S_IFREG | 0640, LinkStatus(p + ".target").st_mode);
      }, 0},
    {"a link planted at PATH.partial", false,
      [](const std::string& p) {
        std::ofstream(p + ".victim") << "victim";
        ASSERT_EQ(0, symlink((p + ".victim").c_str(), (p + ".partial").c_str()));
      },
      [](const std::string& p) {
        EXPECT_TRUE(Bytes(p + ".victim") == "victim") << "the file the planted link names was written";
        EXPECT_TRUE(S_ISLNK(LinkStatus(p + ".partial").st_mode));
        EXPECT_TRUE(S_ISREG(LinkStatus(p).st_mode));
        EXPECT_TRUE(IsPng(Bytes(p)));
      }, 0},
    {"a FIFO", false, layFifo, readFromFifo, 0},
    {"a FIFO that takes a few bytes a write", false, layFifo, readFromFifo, 0, kByName,
      preloaded + " SHORT_WRITES=1000"},
    {"standard output, a pipe", false, layNothing, readFromPipe, 0, kStandardOutput},
    {"a descriptor of a pipe", false, layNothing, readFromPipe, 0, kPipeDescriptor},
    {"a descriptor of an old picture", false, layOldPicture, replaced, 0, kFileDescriptor},
    // Opened anew for writing, a pipe auhost reads would hold the picture
    // for nobody, or fill and wait for ever.
    {"a descriptor of an old picture open only for reading", false, layOldPicture, untouched, 1,
      kReadOnlyFileDescriptor, "", "cannot write /dev/fd/3: descriptor 3 is open only for reading"},
    {"a descriptor of a socket", false, layNothing, layNothing, 1, kSocketDescriptor, "",
      "cannot write /dev/fd/3: it is a socket"},
    {"standard input, a pipe", false, layNothing, nothingPiped, 1, kStandardInput, "",
      "cannot write /dev/stdin: descriptor 0 is open only for reading"},
    // Stopped once the temporary is whole, before it takes the name: of the
    // script's picture, or of --snapshot's once the script's is written.
    {"an old picture, stopped while it is replaced", false, layOldPicture, untouched, 128 + SIGTERM, kByName,
      preloaded + " SIGNAL_AT_FCHMOD=" + std::to_string(SIGTERM), "auhost: stopped; every output is left as it was"},
    {"an old picture, stopped while it is replaced after a picture is written", false, layOldPicture,
      [&](const std::string& p) {
        if (p.ends_with("-script.png"))
          replaced(p);
        else
          untouched(p);
      }, 128 + SIGTERM, kByName,
      preloaded + " SIGNAL_AT_FCHMOD=" + std::to_string(SIGTERM) + " FCHMODS_BEFORE_SIGNAL=1",
      "auhost: stopped; 1 picture written before the stop is kept, any other output is left as it was"},
    // The numbers of /dev/null, made in the test's own folder.
    {"a character device", true,
      [](const std::string& p) { ASSERT_EQ(0, mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3))) << strerror(errno); },
      [](const std::string& p) {
        EXPECT_TRUE(S_ISCHR(LinkStatus(p).st_mode));
        EXPECT_EQ(makedev(1, 3), LinkStatus(p).st_rdev);
      }, 0},
    // A number no driver has: nothing could be written there anyway.
    {"a block device", true,
      [](const std::string& p) { ASSERT_EQ(0, mknod(p.c_str(), S_IFBLK | 0600, makedev(0, 0))) << strerror(errno); },
      [](const std::string& p) {
        EXPECT_TRUE(S_ISBLK(LinkStatus(p).st_mode));
        EXPECT_EQ(makedev(0, 0), LinkStatus(p).st_rdev);
      }, 1},
  };
  std::string skipped;
  int row = 0;
  for (const auto& r : rows)
  {
    SCOPED_TRACE(r.what);
    if (r.needsRoot && geteuid() != 0)
    {
      skipped += std::string(skipped.empty() ? "" : ", ") + r.what;
      continue;
    }
    const std::string named = dir + "/row" + std::to_string(++row), option = named + "-option.png",
                      script = named + "-script.png";
    r.lay(option);
    r.lay(script);
    // The shell opens what a descriptor's link leads to.
    std::string streams;
    const auto given = [&](const std::string& laid, int descriptor) {
      const std::string number = std::to_string(descriptor);
      switch (r.given)
      {
        case kByName: return laid;
        case kStandardOutput: return std::string("/dev/stdout");
        case kStandardInput: return std::string("/dev/stdin");
        case kPipeDescriptor: streams += " " + number + ">&1"; break;
        case kFileDescriptor: streams += " " + number + "<>" + laid; break;
        case kReadOnlyFileDescriptor: streams += " " + number + "<" + laid; break;
        case kSocketDescriptor: streams += " " + number + ">&" + std::to_string(sockets[0]); break;
      }
      return "/dev/fd/" + number;
    };
    const std::string scriptGiven = given(script, 3);
    std::ofstream(named + ".txt") << "0 snapshot " << scriptGiven << "\n";
    std::tie(status, output) = run("--snapshot " + given(option, 4) + " --events " + named + ".txt",
                                   (r.given == kStandardInput ? "true | " : "") + r.environment, streams);
    EXPECT_EQ(r.status, status) << output;
    r.check(script);
    r.check(option);
    if (r.status == 1)
    {
      EXPECT_NE(std::string::npos, output.find("cannot write " + scriptGiven)) << output;
    }
    if (!r.said.empty())
    {
      EXPECT_NE(std::string::npos, output.find(r.said)) << output;
    }
    EXPECT_TRUE(toolstest::Leftovers(dir).empty());
  }
  close(sockets[0]);
  close(sockets[1]);
  if (!skipped.empty())
    GTEST_SKIP() << "the other rows ran; these need root to make a device node: " << skipped;
}

} // namespace
