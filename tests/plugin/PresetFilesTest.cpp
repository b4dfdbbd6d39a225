// What the product keeps on disk: its folders, "plugin.ini", preset files
// and the preset list built from them, in a temporary home.
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "plugin/PluginFolders.h"
#include "plugin/PluginIni.h"
#include "plugin/PresetFiles.h"
#include "tests/plugin/support/StatePlugin.h"
#include "tests/support/TempHome.h"

namespace {

using testsupport::StatePlugin;
using namespace tolvane3;

class PresetFilesTest : public testsupport::TempHomeTest
{
protected:
  std::string Folder() const { return mTemp.Path(); }
  std::vector<std::string> FolderEntries() const
  {
    std::vector<std::string> names;
    if (DIR* d = opendir(Folder().c_str()))
    {
      while (dirent* e = readdir(d))
        if (e->d_name[0] != '.' || std::string(e->d_name).size() > 2)
          names.push_back(e->d_name);
      closedir(d);
    }
    return names;
  }
};

TEST_F(PresetFilesTest, PluginIniReadsTheLastMatchingLine)
{
  struct Case
  {
    const char* name;
    const char* content;
    int want;
  };
  const Case cases[] = {
    {"plain", "HasUI=0\n", 0},
    {"inside a section", "[Editor]\n; comment\nOther=0\nHasUI=0\nMore=1\n", 0},
    {"last match wins", "HasUI=0\n[x]\nHasUI=1\n", 1},
    {"blanks after = and text after the number", "HasUI=  \t-7 units\r\n", -7},
    {"other letter case", "hasui=0\n", 1},
    {"blank before the key", " HasUI=0\n", 1},
    {"blank before =", "HasUI =0\n", 1},
    {"no number", "HasUI=\nHasUI=x\n", 1},
    {"last line without line feed", "HasUI=0", 0},
    {"largest i32", "HasUI=2147483647\n", 2147483647},
    {"smallest i32", "HasUI=-2147483648\n", -2147483647 - 1},
    {"out of range is ignored", "HasUI=0\nHasUI=2147483648\nHasUI=-99999999999999999999999\n", 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    mTemp.WriteFile("plugin.ini", c.content);
    EXPECT_EQ(ReadPluginIni(Folder().c_str(), "HasUI", 1), c.want);
  }
  // A line longer than the reader's 2047 bytes is read in pieces.
  mTemp.WriteFile("plugin.ini", std::string(2047, 'x') + "HasUI=0\n");
  EXPECT_EQ(ReadPluginIni(Folder().c_str(), "HasUI", 1), 0);
  EXPECT_EQ(ReadPluginIni(mTemp.Join("missing").c_str(), "HasUI", 5), 5);
  EXPECT_EQ(ReadPluginIni("", "HasUI", 5), 5);
}

TEST_F(PresetFilesTest, FoldersFollowTheUsersUmaskWithoutChangingIt)
{
  const mode_t old = umask(027);
  PluginFolders folders;
  CreatePresetFolders(folders);
  EXPECT_EQ(umask(old), 027u);
  EXPECT_EQ(std::string(folders.dataFolder.Get()), DataHome() + "/Tolvane3");
  EXPECT_EQ(std::string(folders.presetFolder.Get()), DataHome() + "/Tolvane3/AU");
  for (const char* path : {folders.dataFolder.Get(), folders.presetFolder.Get()})
  {
    struct stat info;
    ASSERT_EQ(stat(path, &info), 0) << path;
    EXPECT_EQ(info.st_mode & 0777, 0750u) << path;
  }
}

TEST_F(PresetFilesTest, AnUnknownBaseFolderCreatesNothing)
{
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  struct stat info;
  const bool existed = stat("/Tolvane3", &info) == 0;
  PluginFolders folders;
  CreatePresetFolders(folders);
  EXPECT_FALSE(folders.Known());
  EXPECT_STREQ(folders.presetFolder.Get(), "");
  EXPECT_EQ(stat("/Tolvane3", &info) == 0, existed);
  StatePlugin plug;
  EXPECT_FALSE(WriteDefaultPreset(plug, folders.presetFolder.Get()));
}

TEST_F(PresetFilesTest, PresetFilesRoundTripInEveryReadMode)
{
  StatePlugin source;
  source.GetParam(kTargetLevel)->Set(-24.0);
  source.GetParam(kDetectionMode)->Set(2.0);
  const std::string path = mTemp.Join("mine.kps");
  ASSERT_TRUE(WritePresetFile(source, path.c_str(), "Mine"));

  struct Case
  {
    PresetReadMode mode;
    bool applies;
    const char* currentName;
  };
  for (const Case& c : {Case{PresetReadMode::kCheck, false, "Init"}, Case{PresetReadMode::kStartUp, true, "Mine"},
                        Case{PresetReadMode::kLoad, true, "Mine"}})
  {
    StatePlugin plug;
    PK_String name;
    for (int twice = 0; twice < 2; ++twice)
    {
      ASSERT_TRUE(ReadPresetFileWithData(plug, path.c_str(), name, c.mode));
      EXPECT_STREQ(name.Get(), "Mine");
      EXPECT_EQ(plug.Values() == source.Values(), c.applies);
      EXPECT_STREQ(plug.GetPresetName(0), c.currentName);
    }
    // The current preset holds the state it names.
    StatePlugin reread;
    EXPECT_GT(reread.UnserializeState(plug.GetPreset(0)->mChunk, 0), 0);
    EXPECT_EQ(reread.Values(), plug.Values());
  }
  PK_String name;
  StatePlugin plug;
  EXPECT_FALSE(ReadPresetFileWithData(plug, mTemp.Join("none.kps").c_str(), name, PresetReadMode::kStartUp));
}

TEST_F(PresetFilesTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary)
{
  StatePlugin plug;
  const std::string path = mTemp.Join("keep.kps");
  ASSERT_TRUE(WritePresetFile(plug, path.c_str(), "Old"));
  const std::vector<std::string> before = FolderEntries();

  // The file-size limit fails the write itself, also for the superuser.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100;
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved = WritePresetFile(plug, path.c_str(), "New");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved);
  EXPECT_EQ(FolderEntries(), before);
  PK_String name;
  EXPECT_TRUE(ReadPresetFileWithData(plug, path.c_str(), name, PresetReadMode::kCheck));
  EXPECT_STREQ(name.Get(), "Old");
  EXPECT_FALSE(WritePresetFile(plug, mTemp.Join("no/such/folder.kps").c_str(), "x"));
}

// What happened in a folder: (event, name) of files created and moved.
class FolderWatch
{
public:
  explicit FolderWatch(const std::string& folder) : mFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
  {
    inotify_add_watch(mFd, folder.c_str(), IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO);
  }
  ~FolderWatch() { close(mFd); }
  std::vector<std::pair<uint32_t, std::string>> Events() const
  {
    std::vector<std::pair<uint32_t, std::string>> got;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(mFd, buffer, sizeof buffer)) > 0;)
      for (char* p = buffer; p < buffer + n;)
      {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        got.emplace_back(e->mask & (IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO), e->len ? e->name : "");
        p += sizeof(inotify_event) + e->len;
      }
    return got;
  }

private:
  int mFd;
};

TEST_F(PresetFilesTest, ASaveWritesItsTemporaryBesideTheFileAndRenamesItThere)
{
  // A temporary anywhere else would have to cross into the folder, which
  // fails between file systems.
  StatePlugin plug;
  const std::string sub = mTemp.Join("sub");
  ASSERT_EQ(mkdir(sub.c_str(), 0777), 0);
  char oldCwd[4096];
  ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
  struct Case
  {
    const char* name;
    std::string path;
    std::string cwd;
  };
  const Case cases[] = {
    {"a file in a folder", sub + "/song.kps", oldCwd},
    {"a new file beside an old one", sub + "/song.kps", oldCwd},
    {"a path relative to the working folder", "rel.kps", sub},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(chdir(c.cwd.c_str()), 0);
    FolderWatch watch(sub);
    const bool saved = WritePresetFile(plug, c.path.c_str(), "Song");
    const auto events = watch.Events();
    ASSERT_EQ(chdir(oldCwd), 0);
    EXPECT_TRUE(saved);
    const std::string file = c.path.substr(c.path.rfind('/') + 1);
    ASSERT_EQ(events.size(), 3u);
    const std::string temporary = events[0].second;
    EXPECT_NE(temporary, file);
    EXPECT_EQ(events, (std::vector<std::pair<uint32_t, std::string>>{
                        {IN_CREATE, temporary}, {IN_MOVED_FROM, temporary}, {IN_MOVED_TO, file}}));
  }
}

TEST_F(PresetFilesTest, RescanListsEveryReadableKpsFileInNameOrder)
{
  StatePlugin writer;
  writer.GetParam(kVolume)->Set(3.0);
  for (const char* name : {"b.kps", "a.kps.bak", "a.kps"})
    ASSERT_TRUE(WritePresetFile(writer, mTemp.Join(name).c_str(), name));
  mTemp.WriteFile("c.txt", "not a preset");
  mTemp.WriteFile("broken.kps", "<PresetXMLTree/>");
  mTemp.WriteFile("d.kps/inside.kps", "folder");

  StatePlugin plug;
  PK_PtrList<plugkit::IPreset> list;
  list.Add(new plugkit::IPreset);
  RescanPresetFiles(plug, Folder().c_str(), list);
  std::vector<std::string> names;
  for (int i = 0; i < list.GetSize(); ++i)
    names.push_back(list.Get(i)->mName);
  EXPECT_EQ(names, (std::vector<std::string>{"a.kps", "a.kps.bak", "b.kps"}));
  StatePlugin reread;
  EXPECT_GT(reread.UnserializeState(list.Get(0)->mChunk, 0), 0);
  EXPECT_EQ(reread.Values(), writer.Values());
  list.Empty(true);

  RescanPresetFiles(plug, mTemp.Join("missing").c_str(), list);
  EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(PresetFilesTest, PresetRecordsFillMissingValuesWithDefaults)
{
  StatePlugin plug;
  plugkit::IPreset preset;
  MakeXMLPresetFromNamedParams(plug, preset, "Named", {{kVolume, -6.0}, {kTargetLevel, kMissingValue}});
  plug.GetParam(kTargetLevel)->Set(-30.0);
  EXPECT_GT(plug.UnserializeState(preset.mChunk, 0), 0);
  EXPECT_EQ(plug.GetParam(kVolume)->Value(), -6.0);
  EXPECT_EQ(plug.GetParam(kTargetLevel)->Value(), -18.0);
  EXPECT_STREQ(plug.GetPresetName(0), "Named");

  // Copied into the bank, the record replaces what the slot held.
  CopyPresetToBank(plug, preset, 0);
  CopyPresetToBank(plug, preset, 0);
  EXPECT_TRUE(plug.GetPreset(0)->mChunk.IsEqual(preset.mChunk));
}

} // namespace
