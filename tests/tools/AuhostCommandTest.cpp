// The auhost program run as a user runs it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/tools/AuhostLaunch.h"
#include "tests/tools/AuhostRun.h"
#include "tests/tools/HeaderSizes.h"
#include "tests/tools/PropertyListTexts.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioFile.h"
#include "tools/AutomationLaneFile.h"
#include "tools/PresetFile.h"

namespace {

using toolstest::Auhost;
using toolstest::Exists;
using toolstest::ProgramRun;

class AuhostCommand : public testing::Test
{
protected:
  void SetUp() override
  {
    dir = toolstest::TempFolder();
    std::string error;
    ASSERT_TRUE(auhost::WriteAudioFile(dir + "/in.wav", toolstest::Bursts(2.0, -24.0), auhost::SampleFormat::Float32,
                                       error));
    ASSERT_TRUE(auhost::WriteAudioFile(dir + "/mono.flac", toolstest::Bursts(1.0, -24.0, 1, 44100.0),
                                       auhost::SampleFormat::Pcm24, error));
    ASSERT_TRUE(auhost::WriteTextFile(dir + "/bad.aupreset", "<plist><dict><key>data</key></dict></plist>", error));
    ASSERT_TRUE(auhost::WriteTextFile(dir + "/bad.csv", "time,value\n0,1\nzero,2\n", error));
  }
  std::string dir;
};

TEST_F(AuhostCommand, RendersFilesAndSummarises)
{
  struct Case
  {
    const char* args;
    int channels;
    double rate;
    // A setting that listens for a signal not given is rendered with a
    // warning that names both; one that rides nothing, with one naming it.
    const char* warns = nullptr;
  };
  const Case cases[] = {
    {"render {d}/in.wav {d}/out.wav", 2, 48000.0},
    {"render {d}/mono.flac {d}/out.aiff --block 100 --format 16 --set \"Target Level=-20 dB\"", 1, 44100.0},
    {"render {d}/in.wav {d}/out.wav --sidechain {d}/in.wav --set \"Detecion Mode=SideChain2\"", 2, 48000.0},
    {"render {d}/in.wav {d}/out.wav --set \"Detecion Mode=SideChain1\"", 2, 48000.0,
     "warning: \"Detecion Mode\" SideChain1 wants a side-chain and no --sidechain is given: it rides on the main"},
    {"render {d}/in.wav {d}/out.wav --set \"Detecion Mode=SideChain2\"", 2, 48000.0,
     "warning: \"Detecion Mode\" SideChain2 wants a side-chain and no --sidechain is given: the main signal is its "
     "own reference"},
    {"render {d}/in.wav {d}/out.wav --set Automation=Read --set \"Current Gain=6\"", 2, 48000.0,
     "warning: \"Automation\" Read wants a lane and no --automation-in is given: nothing is ridden, whatever "
     "\"Current Gain\" is set to"},
    {"render {d}/in.wav {d}/out.wav --set AB=On", 2, 48000.0,
     "warning: \"AB\" On compares at unity gain: the output is not ridden"},
    {"render {d}/in.wav {d}/out.wav --preset {d}/comparing.aupreset", 2, 48000.0,
     "warning: \"AB\" On compares at unity gain: the output is not ridden"},
  };
  // A preset saved while comparing.
  const ProgramRun saved = Auhost("render " + dir + "/in.wav " + dir + "/comparing.wav --quiet --set AB=On " +
                                  "--save-preset " + dir + "/comparing.aupreset");
  ASSERT_EQ(saved.status, 0) << saved.output;
  for (const Case& c : cases)
  {
    std::string args = c.args;
    for (size_t at; (at = args.find("{d}")) != std::string::npos;)
      args.replace(at, 3, dir);
    SCOPED_TRACE(args);
    const ProgramRun run = Auhost(args);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("loudness range"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(c.warns ? c.warns : "warning") != std::string::npos, c.warns != nullptr) << run.output;
    auhost::AudioData in, out;
    std::string error;
    const std::string outPath = args.substr(args.find(dir + "/out"), args.find(' ', args.find(dir + "/out")) -
                                                                        args.find(dir + "/out"));
    ASSERT_TRUE(auhost::ReadAudioFile(outPath, out, error)) << error;
    EXPECT_EQ(out.NumChannels(), c.channels);
    EXPECT_EQ(out.sampleRate, c.rate);
    EXPECT_EQ(out.Frames(), static_cast<long>(c.rate * (c.channels == 1 ? 1.0 : 2.0)));
  }
}

TEST_F(AuhostCommand, RefusesBadInputWithAClearMessageAndNoOutputFile)
{
  struct Case
  {
    std::string args;
    int status;
    std::string says;
    std::string shell = "";
  };
  const std::string in = dir + "/in.wav", out = dir + "/never.wav";
  // A file whose audio stops before its header says, and a disk that is
  // full after 32 KB (the file size limit; its signal ignored, the write
  // fails).
  std::string error;
  ASSERT_TRUE(auhost::WriteAudioFile(dir + "/cut.flac", toolstest::Bursts(2.0, -6.0), auhost::SampleFormat::Pcm24,
                                     error));
  std::ifstream whole(dir + "/cut.flac", std::ios::binary);
  const std::string flac((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
  std::ofstream(dir + "/cut.flac", std::ios::binary) << flac.substr(0, flac.size() / 2);
  const std::string full = "trap '' XFSZ; ulimit -f 64; exec ";
  // Text files a user may get wrong: a folder where a file belongs, a lane
  // whose point lies outside "Current Gain", one of no points, a megabyte of
  // terminal escapes for a line, and a script timed in epoch milliseconds.
  const std::string folder = dir + "/folder";
  std::filesystem::create_directories(dir + "/bundle/Contents/Info.plist");
  std::filesystem::create_directory(folder);
  std::string junk;
  while (junk.size() < (1 << 20))
    junk += std::string("\x1b[2J\0\xff", 6);
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/loud.csv", "time,value\n0,1\n1,60\n", error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/header.csv", "time,value\r\n\r\n", error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/junk.csv", "time,value\n0,1\n" + junk + "\n", error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/junk.txt", "0 " + junk + " 1 2\n", error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/late.txt", "0 move 1 2\n1e15 move 10 10\n", error));
  const std::string editor = "editor --snapshot " + dir + "/never.png --events ";
  // Property lists nested deeper than the XML parser's recursion goes, as a
  // preset and as a bundle's Info.plist, and a preset in the binary form.
  const std::string deepBundle = dir + "/Deep.component";
  std::filesystem::create_directories(deepBundle + "/Contents");
  ASSERT_TRUE(auhost::WriteTextFile(deepBundle + "/Contents/Info.plist", toolstest::DictsNested(60000), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/deep.aupreset", toolstest::DictsNested(50000), error));
  std::ofstream(dir + "/binary.aupreset", std::ios::binary) << toolstest::BinaryPropertyList();
  // The broken component's module under an Info.plist naming its factory
  // that gives no instance, and under one naming a function of the C
  // library it uses.
  const std::string noInstance = dir + "/NoInstance.component", borrowed = dir + "/Borrowed.component",
                    broken = BROKEN_BUNDLE "/Contents/";
  for (const auto& [bundle, factory] : {std::pair{noInstance, "BrokenComponentNoInstance"}, {borrowed, "malloc"}})
  {
    std::filesystem::create_directories(bundle + "/Contents/MacOS");
    std::filesystem::create_symlink(broken + "MacOS/BrokenComponent", bundle + "/Contents/MacOS/BrokenComponent");
    std::string plist = toolstest::Bytes(broken + "Info.plist");
    plist.replace(plist.find("Tolvane3_Factory"), 16, factory);
    ASSERT_TRUE(auhost::WriteTextFile(bundle + "/Contents/Info.plist", plist, error));
  }
  // A rate whose render needs more memory than the address space left it
  // (`ulimit -v`): what runs out is said, not a crash.
  ASSERT_TRUE(auhost::WriteAudioFile(dir + "/fast.wav", toolstest::Bursts(0.1, -6.0, 1, 1536000.0),
                                     auhost::SampleFormat::Pcm16, error));
  const std::string lowMemory = "ulimit -v 400000; exec ";
  // A lane the unit will not play or record as its settings end up.
  const std::string lane = " --automation-in " + dir + "/lane.csv", record = " --automation-out " + dir + "/never.csv";
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/lane.csv", "0,3\n", error));
  // Text past each reader's bound, made cheaply: 2 GiB of a sparse file
  // (refused by its size: not a byte of it can be read), a device and a pipe
  // that never end. Text in UTF-16, as a spreadsheet's
  // "Unicode text" export writes it, with and without its byte-order mark,
  // and in UTF-32, and a property list quoted back in part: 5,000 digits
  // behind terminal escapes.
  const std::string huge = dir + "/huge.txt";
  std::ofstream(huge).put('0');
  std::filesystem::resize_file(huge, 2ull << 30);
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/utf16.csv", toolstest::Utf16("time,value\r\n0,1\r\n"), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/utf16.txt", toolstest::Utf16("0 move 1 2\n", true), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/utf16.aupreset", toolstest::Utf16(toolstest::DictsNested(1)), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/bare16.csv", toolstest::Utf16("time,value\n0,1\n", false, false), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/bare16.txt", toolstest::Utf16("0 move 1 2\n", true, false), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/utf32.csv", toolstest::Utf32("time,value\n0,1\n"), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/utf32.aupreset", toolstest::Utf32(toolstest::DictsNested(1), true), error));
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/escapes.aupreset", toolstest::EscapesAndDigitsInAnInteger(), error));
  const std::string escapesBundle = dir + "/Escapes.component";
  std::filesystem::create_directories(escapesBundle + "/Contents");
  ASSERT_TRUE(auhost::WriteTextFile(escapesBundle + "/Contents/Info.plist", toolstest::EscapesAndDigitsInAnInteger(),
                                    error));
  const std::string quotedInteger = "bad integer \"\\x1B[2J\\x1B]0;99999999999999999999999999999999...\"";
  const std::string unreadable = "LD_PRELOAD=" + std::string(FAILING_READ_SHIM) + " FAIL_READS_OF=" + huge +
                                 " FAIL_READS_FROM=0 ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ";
  const std::string endless = "yes | ";
  const Case cases[] = {
    {"render " + dir + "/cut.flac " + out, 1, "cannot read the audio of " + dir + "/cut.flac (it ends early)"},
    {"render " + in + " " + out, 1, "cannot write " + out + ": File too large", full},
    {"render " + dir + "/fast.wav " + out, 1, "auhost: out of memory\n", lowMemory},
    {"render " + dir + "/missing.wav " + out, 1, "cannot read"},
    {"render " + dir + "/bad.csv " + out, 1, "cannot read"},
    {"render " + in + " " + out + " --set Nope=1", 1, "no parameter named \"Nope\""},
    {"render " + in + " " + out + " --set \"Detecion Mode=SideChain9\"", 1, "is not a value"},
    {"render " + in + " " + out + " --set \"Target Level=loud\"", 1, "is not a number"},
    {"render " + in + " " + out + " --set \"Target Level=-120\"", 1, "outside"},
    {"render " + in + " " + out + " --set \"Target Level=nan\"", 1, "\"Target Level\" = nan lies outside -90.0 .. 0.0"},
    {"render " + in + " " + out + " --set TargetLevel", 1, "NAME=VALUE"},
    {"render " + in + " " + out + " --block 0", 2, "--block"},
    {"render " + in + " " + out + " --block", 2, "wants a value"},
    {"render " + in + " " + out + " --block 512x", 2, "--block wants a whole number from 1 to 8192, got \"512x\""},
    {"render " + in + " " + out + " --block 1e3", 2, "--block wants a whole number from 1 to 8192, got \"1e3\""},
    {"render " + in + " " + out + " --format 12", 2, "--format"},
    {"render " + in + " " + out + " --frobnicate", 2, "unknown option"},
    {"render " + in + " " + out + " -q", 2, "unknown option -q"},
    {"render " + in + " " + dir + "/never.mp3", 2, "unknown file type"},
    {"render " + in, 2, "an input and an output"},
    {"render " + in + " " + out + " --preset " + dir + "/bad.aupreset", 1, "not a preset file"},
    {"render " + in + " " + out + " --automation-in " + dir + "/bad.csv", 1, "line 3"},
    {"render " + in + " " + out + " --automation-in " + dir + "/loud.csv", 1,
     "loud.csv: line 3: \"Current Gain\" = 60 lies outside -24.00 .. 24.00"},
    {"render " + in + " " + out + " --automation-in " + dir + "/header.csv", 1, "header.csv: no points in the lane"},
    {"render " + in + " " + out + " --automation-in " + dir + "/junk.csv", 1,
     "line 3: want \"seconds,value\" with times in order, got \"\\x1B[2J\\x00\\xFF\\x1B"},
    {"render " + in + " " + out + " --automation-in " + folder, 1, folder + " is a folder"},
    {"render " + in + " " + out + " --preset " + folder, 1, folder + " is a folder"},
    {"--bundle " + dir + "/bundle info", 1, "Info.plist is a folder"},
    {editor + folder, 1, folder + " is a folder"},
    {editor + dir + "/late.txt", 1, "late.txt, line 2: a time past a day"},
    {editor + dir + "/junk.txt", 1, "junk.txt, line 1: unknown event \"\\x1B[2J\\x00\\xFF\\x1B"},
    {"render " + in + " " + out + " --automation-in " + dir + "/bad.csv --automation-out " + dir + "/lane.csv", 2,
     "--automation-in and --automation-out exclude each other"},
    {"render " + in + " " + out + " --sidechain " + dir + "/mono.flac", 1, "side-chain runs at 44100 Hz"},
    {"render " + in + " " + dir + "/no/such/folder.wav", 1, "cannot write " + dir + "/no/such/folder.wav"},
    {"--bundle " + dir + " render " + in + " " + out, 1, "no Audio Unit bundle"},
    {"--bundle " + noInstance + " render " + in + " " + out, 1, "the component's factory gave no instance"},
    {"--bundle " + borrowed + " info", 1, "BrokenComponent does not define its factory malloc"},
    {"--bundle " + std::string(BROKEN_BUNDLE) + " render " + in + " " + out + " --set Nope=1", 1, "no parameter"},
    {"play", 2, "unknown command"},
    {"render " + in + " " + out + " --preset " + dir + "/deep.aupreset", 1, "nested too deeply"},
    {"--bundle " + deepBundle + " info", 1, deepBundle + "/Contents/Info.plist: nested too deeply"},
    {"--bundle " + deepBundle + " validate", 1, "nested too deeply"},
    {"render " + in + " " + out + " --preset " + dir + "/binary.aupreset", 1,
     "a binary property list; the host reads property lists in their XML form"},
    {"render /dev/stdin " + out + " --sidechain /dev/stdin", 1, "the side-chain /dev/stdin is the input's own stream",
     "cat " + in + " | "},
    {"--bundle", 2, "--bundle wants a folder"},
    {"render " + in + " " + out + lane + " --set Automation=Idle", 1,
     "--automation-in wants \"Automation\" Read, and it is set to Idle: the unit would not play the lane"},
    {"render " + in + " " + out + lane + " --set Automation=Write", 1,
     "wants \"Automation\" Read, and it is set to Write"},
    {"render " + in + " " + out + lane + " --set \"V1 Classic Meter Mode=On\"", 1,
     "\"V1 Classic Meter Mode\" On rides with a gain of its own, which does not follow the lane of --automation-in"},
    {"render " + in + " " + out + lane + " --set AB=On", 1,
     "\"AB\" On compares at unity gain, which does not follow the lane of --automation-in: set it Off for a lane"},
    {"render " + in + " " + out + record + " --set Automation=Read", 1,
     "--automation-out wants \"Automation\" Write, and it is set to Read: the unit would write no lane"},
    {"render " + in + " " + out + record + " --set Automation=Idle", 1,
     "wants \"Automation\" Write, and it is set to Idle"},
    {"render " + in + " " + out + record + " --set \"V1 Classic Meter Mode=On\"", 1,
     "\"V1 Classic Meter Mode\" On rides with a gain of its own, which --automation-out would not record"},
    {"render " + in + " " + out + record + " --set AB=On", 1,
     "\"AB\" On compares at unity gain, which --automation-out would not record"},
    {"render " + in + " " + out + " --automation-in " + huge, 1,
     huge + " is too large: more than the 32 MiB the host reads", unreadable},
    {"render " + in + " " + out + " --automation-in /dev/zero", 1, "/dev/zero is too large: more than the 32 MiB"},
    {"render " + in + " " + out + " --preset " + huge, 1, huge + " is too large: more than the 64 MiB", unreadable},
    {editor + huge, 1, huge + " is too large: more than the 16 MiB", unreadable},
    {editor + "/dev/stdin", 1, "/dev/stdin is too large: more than the 16 MiB", endless},
    {"render " + in + " " + out + " --automation-in " + dir + "/utf16.csv", 1,
     dir + "/utf16.csv is UTF-16 text: the host reads text in UTF-8"},
    {"render " + in + " " + out + " --preset " + dir + "/utf16.aupreset", 1, "utf16.aupreset is UTF-16 text"},
    {editor + dir + "/utf16.txt", 1, "utf16.txt is UTF-16 text"},
    {"render " + in + " " + out + " --automation-in " + dir + "/bare16.csv", 1, "bare16.csv is UTF-16 text"},
    {editor + dir + "/bare16.txt", 1, "bare16.txt is UTF-16 text"},
    {"render " + in + " " + out + " --automation-in " + dir + "/utf32.csv", 1,
     dir + "/utf32.csv is UTF-32 text: the host reads text in UTF-8"},
    {"render " + in + " " + out + " --preset " + dir + "/utf32.aupreset", 1, "utf32.aupreset is UTF-32 text"},
    {"render " + in + " " + out + " --preset " + dir + "/escapes.aupreset", 1, quotedInteger},
    {"--bundle " + escapesBundle + " info", 1, quotedInteger},
    {"editor --snapshot " + dir + "/never.png --events", 2, "editor: --events wants a value"},
    // A report that cannot reach standard output (a full device) fails the
    // command, said on standard error.
    {"info >/dev/full )", 1, "auhost: the report was not written to standard output: No space left on device", "( "},
    {"validate >/dev/full )", 1, "the report was not written to standard output: No space left on device", "( "},
    {"--help >/dev/full )", 1, "the report was not written to standard output: No space left on device", "( "},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.args);
#if defined(__SANITIZE_ADDRESS__)
    if (c.shell == lowMemory)
      continue; // the sanitizer reserves terabytes of addresses
#endif
    const ProgramRun run = Auhost(c.args, c.shell);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output.substr(0, 4096);
    // Words a terminal shows as they are, never a flood.
    EXPECT_LT(run.output.size(), 16384u);
    EXPECT_TRUE(std::all_of(run.output.begin(), run.output.end(),
                            [](unsigned char b) { return b == '\n' || (b >= ' ' && b != 0x7f); }));
    EXPECT_FALSE(Exists(out));
    EXPECT_FALSE(Exists(dir + "/never.csv"));
    for (const auto& left : std::filesystem::directory_iterator(dir))
      EXPECT_EQ(left.path().string().find(".auhost-"), std::string::npos) << left.path();
  }
}

TEST_F(AuhostCommand, SavesAPresetThatGivesTheSameRenderAsItsSettings)
{
  const std::string set = " --set \"Target Level=-26\" --set \"Sensitivity=150\" --set \"Pre-Delay=20\" --quiet";
  ASSERT_EQ(Auhost("render " + dir + "/in.wav " + dir + "/a.wav --save-preset " + dir + "/p.aupreset" + set).status, 0);
  ASSERT_EQ(Auhost("render " + dir + "/in.wav " + dir + "/b.wav --preset " + dir + "/p.aupreset --quiet").status, 0);
  auhost::AudioData a, b;
  std::string error;
  ASSERT_TRUE(auhost::ReadAudioFile(dir + "/a.wav", a, error) && auhost::ReadAudioFile(dir + "/b.wav", b, error));
  EXPECT_EQ(a.channels, b.channels);
  // Edited by hand, with a block of 300 keys commented out and its name kept
  // as CDATA holding tags, the preset still gives that render.
  std::string edited;
  ASSERT_TRUE(auhost::ReadTextFile(dir + "/p.aupreset", auhost::kMaxPlistBytes, edited, error)) << error;
  std::string block = "<!--";
  for (int i = 0; i < 300; ++i)
    block += "<key>old" + std::to_string(i) + "</key><real>1</real>";
  edited.insert(edited.find("<dict>") + 6, block + "-->");
  edited.replace(edited.find("<string>Init</string>"), 21, "<string><![CDATA[<b>Init</b>]]></string>");
  ASSERT_TRUE(auhost::WriteTextFile(dir + "/edited.aupreset", edited, error)) << error;
  const ProgramRun run = Auhost("render " + dir + "/in.wav " + dir + "/c.wav --preset " + dir + "/edited.aupreset --quiet");
  ASSERT_EQ(run.status, 0) << run.output;
  auhost::AudioData c;
  ASSERT_TRUE(auhost::ReadAudioFile(dir + "/c.wav", c, error)) << error;
  EXPECT_EQ(b.channels, c.channels);
}

// A lane recorded in Automation Write and played in Read gives the output it
// was recorded with, whatever the latency, to the programme's end. Compared in the 100 ms windows in
// which the summary reads the gain. The lane has a point each 50 ms (the
// unit's automation period), is played linearly between them and one value
// a slice, and the unit smooths the value it reads over some 5 ms: at the
// default Sensitivity the gain swings so fast at the example's phrase
// changes that no lane of that resolution follows it within 0.3 dB. At a
// Sensitivity of 1.5 s it moves slowly enough for 0.1 dB, where a lane half
// a slice late is off by twice that, and one a latency late by dBs.
TEST_F(AuhostCommand, ALaneRecordedPlaysBackTheOutputItWasRecordedWith)
{
  ASSERT_EQ(Auhost("example " + dir + "/example.wav").status, 0);
  const auto levels = [](const std::string& path) {
    auhost::AudioData audio;
    std::string error;
    EXPECT_TRUE(auhost::ReadAudioFile(path, audio, error)) << error;
    std::vector<double> dB;
    const long window = 4800;
    for (long at = 0; at + window <= audio.Frames(); at += window)
    {
      double sum = 0.0;
      for (const auto& channel : audio.channels)
        for (long i = at; i < at + window; ++i)
          sum += double(channel[i]) * channel[i];
      dB.push_back(10.0 * std::log10(std::max(sum / window, 1e-30)));
    }
    return dB;
  };
  for (const char* delay : {"0", "250"})
  {
    SCOPED_TRACE(std::string("pre-delay ") + delay);
    const std::string set = std::string(" --quiet --set Sensitivity=1500 --set Pre-Delay=") + delay;
    const ProgramRun written =
      Auhost("render " + dir + "/example.wav " + dir + "/written.wav --automation-out " + dir + "/lane.csv" + set);
    ASSERT_EQ(written.status, 0) << written.output;
    // The lane reaches the programme's end (40 s), a point each 50 ms.
    std::string lane, error;
    ASSERT_TRUE(auhost::ReadTextFile(dir + "/lane.csv", auhost::kMaxLaneFileBytes, lane, error)) << error;
    EXPECT_GT(std::atof(lane.c_str() + lane.rfind('\n', lane.size() - 2) + 1), 39.9) << lane.substr(lane.size() - 40);
    const ProgramRun read =
      Auhost("render " + dir + "/example.wav " + dir + "/read.wav --automation-in " + dir + "/lane.csv" + set);
    ASSERT_EQ(read.status, 0) << read.output;
    const std::vector<double> a = levels(dir + "/written.wav"), b = levels(dir + "/read.wav");
    ASSERT_EQ(a.size(), b.size());
    double worst = 0.0;
    size_t where = 0, compared = 0;
    for (size_t w = 0; w < a.size(); ++w)
      if (a[w] > -60.0)
      {
        ++compared;
        if (std::fabs(a[w] - b[w]) > worst)
          worst = std::fabs(a[w] - b[w]), where = w;
      }
    EXPECT_GT(compared, a.size() / 2);
    EXPECT_LE(worst, 0.1) << "at " << where * 100 << " ms";
  }

  // A programme over before the unit's first write (some 60 ms in) records
  // the value "Current Gain" holds at its start, a lane that plays.
  std::string error, lane;
  ASSERT_TRUE(auhost::WriteAudioFile(dir + "/short.wav", toolstest::Bursts(0.03, -12.0), auhost::SampleFormat::Float32,
                                     error));
  const std::string render = "render " + dir + "/short.wav " + dir + "/short-out.wav --quiet --automation-";
  const ProgramRun written = Auhost(render + "out " + dir + "/short.csv");
  ASSERT_EQ(written.status, 0) << written.output;
  ASSERT_TRUE(auhost::ReadTextFile(dir + "/short.csv", auhost::kMaxLaneFileBytes, lane, error)) << error;
  EXPECT_EQ(lane.rfind("time,value\n0.000000,", 0), 0u) << lane;
  EXPECT_EQ(std::count(lane.begin(), lane.end(), '\n'), 2) << lane;
  const ProgramRun read = Auhost(render + "in " + dir + "/short.csv");
  EXPECT_EQ(read.status, 0) << read.output;
}

TEST_F(AuhostCommand, ValidatesTheProductAndFailsABrokenComponent)
{
  const ProgramRun good = Auhost("validate");
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find("verdict: PASS"), std::string::npos) << good.output;
  EXPECT_EQ(good.output.find("FAIL"), std::string::npos) << good.output;

  const ProgramRun broken = Auhost("--bundle " + std::string(BROKEN_BUNDLE) + " validate");
  EXPECT_EQ(broken.status, 1) << broken.output;
  EXPECT_NE(broken.output.find("FAIL  silence in gives no non-finite"), std::string::npos) << broken.output;
  EXPECT_NE(broken.output.find("verdict: FAIL"), std::string::npos) << broken.output;
}

// Against a strict unit of the tests' own (StrictComponent.cpp), whose sound
// is known exactly: the input times its factor "€€", which the host's
// latency compensation must line up with the input again.
TEST_F(AuhostCommand, RenderedFilesAreTheInputTimesTheUnitsFactorThroughEveryContainerAndBlock)
{
  struct Case
  {
    const char* input;
    int channels;
    const char* output;
    const char* options;
    float factor;
  };
  const Case cases[] = {
    {"in.wav", 2, "out.wav", "", 1.0f},
    {"in.wav", 2, "out.aiff", "--block 8192 --set \"€€=0.5\"", 0.5f},
    {"in.aiff", 1, "out.wav", "--block 100 --set \"€€=3\" --quiet", 3.0f},
    {"in.aiff", 1, "out.aif", "--block 1 --set \"€€=0.25\" --quiet", 0.25f},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.input) + " -> " + c.output + " " + c.options);
    // An input longer than the host's read and write chunks, generated
    // here, never read back: the expectation owes nothing to the reader.
    const auhost::AudioData in = toolstest::Bursts(c.channels == 2 ? 0.7 : 0.2, -6.0, c.channels);
    std::string error;
    ASSERT_TRUE(auhost::WriteAudioFile(dir + "/" + c.input, in, auhost::SampleFormat::Float32, error)) << error;
    const ProgramRun run = Auhost("--bundle " + std::string(STRICT_BUNDLE) + " render " + dir + "/" + c.input + " " +
                                  dir + "/" + c.output + " " + c.options);
    ASSERT_EQ(run.status, 0) << run.output;
    if (std::string(c.options).find("--quiet") == std::string::npos)
    {
      EXPECT_NE(run.output.find("latency         300 samples"), std::string::npos) << run.output;
    }
    auhost::AudioData out;
    ASSERT_TRUE(auhost::ReadAudioFile(dir + "/" + c.output, out, error)) << error;
    ASSERT_EQ(out.NumChannels(), c.channels);
    ASSERT_EQ(out.Frames(), in.Frames());
    // As a reader that trusts the header finds it.
    EXPECT_EQ(toolstest::HeaderSizeProblem(dir + "/" + c.output, static_cast<uint64_t>(in.Frames())), "");
    long wrong = 0;
    for (int ch = 0; ch < c.channels; ++ch)
      for (long f = 0; f < in.Frames(); ++f)
        wrong += out.channels[ch][f] != in.channels[ch][f] * c.factor;
    EXPECT_EQ(wrong, 0) << "samples differ from the input times " << c.factor;
  }
}

// On a terminal, a programme over a minute shows a bar that is redrawn
// only when its percent changes, up to 100%; a quiet render, and a
// programme of a minute, show none. The programmes are silence at a low
// rate, cheap to render.
TEST_F(AuhostCommand, TheProgressBarRedrawsOnlyWhenItsPercentChanges)
{
  for (const int seconds : {60, 61})
  {
    std::string error;
    const auhost::AudioData silence{8000.0, {std::vector<float>(8000 * seconds)}};
    ASSERT_TRUE(auhost::WriteAudioFile(dir + "/" + std::to_string(seconds) + ".wav", silence,
                                       auhost::SampleFormat::Pcm16, error))
      << error;
  }
  struct Case
  {
    const char* input;
    const char* option; // or none
    bool bar;
  };
  const Case cases[] = {
    {"61.wav", nullptr, true},
    {"61.wav", "--quiet", false},
    {"60.wav", nullptr, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.input) + " " + (c.option ? c.option : ""));
    toolstest::Launch run;
    run.args = {"--bundle", STRICT_BUNDLE, "render", dir + "/" + c.input, dir + "/out.wav"};
    if (c.option)
      run.args.push_back(c.option);
    run.terminal = true;
    const toolstest::Ended ended = toolstest::RunAuhost(run, dir + "/log.txt");
    ASSERT_EQ(ended.status, 0) << ended.output;
    // The percent each redraw shows.
    std::vector<int> percents;
    for (size_t at = 0; (at = ended.output.find("\r[", at)) != std::string::npos; ++at)
      percents.push_back(std::atoi(ended.output.c_str() + ended.output.find("] ", at) + 2));
    if (!c.bar)
    {
      EXPECT_TRUE(percents.empty()) << ended.output;
      continue;
    }
    ASSERT_FALSE(percents.empty()) << ended.output;
    EXPECT_LE(percents.size(), 101u);
    EXPECT_TRUE(std::adjacent_find(percents.begin(), percents.end(), std::greater_equal<int>()) == percents.end())
      << "a percent drawn again, or going back, in " << percents.size() << " redraws";
    EXPECT_EQ(percents.back(), 100);
    // The bar's line is ended before the summary is printed.
    EXPECT_NE(ended.output.find("%\n" + dir + "/" + c.input + " -> "), std::string::npos) << ended.output;
  }
}

// Asked for, the usage goes to standard output (a subshell sends standard
// error away) and the answer is success.
TEST_F(AuhostCommand, HelpPrintsTheUsageOnStandardOutput)
{
  for (const char* flag : {"--help", "-h"})
  {
    SCOPED_TRACE(flag);
    const ProgramRun run = Auhost(flag + std::string(" 2>/dev/null )"), "( ");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("usage: auhost", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("render IN OUT"), std::string::npos) << run.output;
  }
}

// "AB" gives unity gain: through the product and the files, with its
// latency compensated, the output file is the input as generated.
TEST_F(AuhostCommand, TheProductInABGivesBackTheInputFileWhateverItsLatency)
{
  const auhost::AudioData in = toolstest::Bursts(2.0, -24.0);
  for (const char* delay : {"0", "50"})
  {
    SCOPED_TRACE(std::string("pre-delay ") + delay);
    const ProgramRun run = Auhost("render " + dir + "/in.wav " + dir + "/out.wav --quiet --block 700 --set AB=On " +
                                  "--set Pre-Delay=" + delay);
    ASSERT_EQ(run.status, 0) << run.output;
    auhost::AudioData out;
    std::string error;
    ASSERT_TRUE(auhost::ReadAudioFile(dir + "/out.wav", out, error)) << error;
    EXPECT_EQ(out.channels, in.channels);
  }
}

// FLAC holds integers only: what the unit makes above full scale is clipped
// there, as in the other integer formats, not refused.
TEST_F(AuhostCommand, OversInTheDefaultFormatAreClippedInAFlacFile)
{
  const auhost::AudioData in = toolstest::Bursts(0.3, -3.0);
  std::string error;
  ASSERT_TRUE(auhost::WriteAudioFile(dir + "/loud.wav", in, auhost::SampleFormat::Float32, error)) << error;
  const ProgramRun run = Auhost("--bundle " + std::string(STRICT_BUNDLE) + " render " + dir + "/loud.wav " + dir +
                                "/out.flac --set \"€€=3\" --quiet");
  ASSERT_EQ(run.status, 0) << run.output;
  auhost::AudioData out;
  ASSERT_TRUE(auhost::ReadAudioFile(dir + "/out.flac", out, error)) << error;
  ASSERT_EQ(out.Frames(), in.Frames());
  long overs = 0, wrong = 0;
  for (int c = 0; c < 2; ++c)
    for (long f = 0; f < in.Frames(); ++f)
    {
      const float want = std::clamp(in.channels[c][f] * 3.0f, -1.0f, 1.0f);
      overs += std::fabs(in.channels[c][f] * 3.0f) > 1.0f;
      // 24-bit steps, read back over 2^23.
      wrong += std::fabs(out.channels[c][f] - want) > 3e-7f;
    }
  EXPECT_GT(overs, 0);
  EXPECT_EQ(wrong, 0);
}

TEST_F(AuhostCommand, NamesOfThreeByteCharactersSurvive)
{
  const ProgramRun run = Auhost("--bundle " + std::string(STRICT_BUNDLE) + " info");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* text : {"€€ (com.kestrova.audiounit.StrictComponent) version 1.0.0", "1 parameters:", "\"€€\""})
    EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

TEST_F(AuhostCommand, ValidateFailsAPropertyWhoseReadDisagreesWithItsInformation)
{
  const ProgramRun run = Auhost("--bundle " + std::string(STRICT_BUNDLE) + " validate");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("FAIL  property reads answer as their information calls: property 20 scope 0: info says 8 "
                            "bytes (status 0), the read gives 4 (status 0)"),
            std::string::npos)
    << run.output;
  EXPECT_NE(run.output.find("verdict: FAIL"), std::string::npos) << run.output;
  // What the unit does right passes: the host's render gives it a format it
  // takes, and a unit without timers leaks nothing.
  EXPECT_NE(run.output.find("PASS  render at"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PASS  no Core Foundation object leaks"), std::string::npos) << run.output;
}

TEST_F(AuhostCommand, InfoListsEveryParameterAndTheLayouts)
{
  const ProgramRun run = Auhost("info");
  EXPECT_EQ(run.status, 0);
  for (const char* text : {"Tolvane3 (com.kestrova.audiounit.Tolvane3) version 3.0.28", "subtype KV62",
                           "1-1 2-1 3-1 2-2 3-2 4-2", "36 parameters", "\"Current Gain\"", "\"SideChain2\"", "\"Init\""})
    EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

} // namespace
