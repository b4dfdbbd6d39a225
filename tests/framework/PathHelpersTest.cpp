#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "StandIn/Bundles.h"
#include "framework/PathHelpers.h"
#include "tests/support/TempHome.h"

namespace {

using namespace plugkit;

constexpr const char* kBundleID = "com.kestrova.audiounit.Tolvane3";

class PathHelpers : public testsupport::TempHomeTest
{
protected:
  void SetUp() override
  {
    TempHomeTest::SetUp();
    standin::ResetBundles();
    mBundleRoot = mTemp.Join("Plug-Ins/Tolvane3.component");
    mTemp.WriteFile("Plug-Ins/Tolvane3.component/Contents/MacOS/Tolvane3", "binary");
    standin::RegisterBundle({kBundleID, "3.0.28", mBundleRoot, "Tolvane3"});
  }
  void TearDown() override
  {
    standin::ResetBundles();
    TempHomeTest::TearDown();
  }

  std::string Resource(const std::string& relative, const std::string& content = "data")
  {
    return mTemp.WriteFile("Plug-Ins/Tolvane3.component/Contents/Resources/" + relative, content);
  }

  std::string mBundleRoot;
};

TEST_F(PathHelpers, BundleFoldersComeFromTheRegisteredBundle)
{
  PK_String path("unchanged");
  BundleExecutablePath(path, kBundleID);
  EXPECT_EQ(std::string(path.Get()), mBundleRoot + "/Contents/MacOS/Tolvane3");
  PluginPath(path, kBundleID);
  EXPECT_EQ(std::string(path.Get()), mTemp.Join("Plug-Ins/"));
  BundleResourcePath(path, kBundleID);
  EXPECT_EQ(std::string(path.Get()), mBundleRoot + "/Contents/Resources");
}

TEST_F(PathHelpers, AnUnknownBundleLeavesTheFoldersAsTheHelpersPromise)
{
  PK_String path("unchanged");
  BundleExecutablePath(path, "com.nobody.none");
  EXPECT_STREQ(path.Get(), "unchanged");
  PluginPath(path, "com.nobody.none");
  EXPECT_STREQ(path.Get(), "unchanged");
  BundleResourcePath(path, "com.nobody.none");
  EXPECT_STREQ(path.Get(), "");
  path.Set("unchanged");
  BundleExecutablePath(path, nullptr);
  EXPECT_STREQ(path.Get(), "unchanged");
}

TEST_F(PathHelpers, UserFoldersFollowTheHome)
{
  PK_String path;
  UserHomePath(path);
  EXPECT_EQ(std::string(path.Get()), Home());
  DesktopPath(path);
  EXPECT_EQ(std::string(path.Get()), Home() + "/Desktop");
  MusicFolderPath(path);
  EXPECT_EQ(std::string(path.Get()), Home() + "/Music");
}

TEST_F(PathHelpers, PresetAndSupportFolders)
{
  PK_String path;
  AUPresetsPath(path, "Kestrova", "Tolvane3", false);
  EXPECT_EQ(std::string(path.Get()), DataHome() + "/Audio/Presets/Kestrova/Tolvane3/");

  setenv("TOLVANE3_LOCAL_LIBRARY", mTemp.Join("local").c_str(), 1);
  AUPresetsPath(path, "M", "P", true);
  EXPECT_EQ(std::string(path.Get()), mTemp.Join("local") + "/Audio/Presets/M/P/");
  unsetenv("TOLVANE3_LOCAL_LIBRARY");

  AppSupportPath(path, "Kestrova");
  EXPECT_EQ(std::string(path.Get()), DataHome() + "/Kestrova");
  AppSupportDomainPath(path, false);
  EXPECT_EQ(std::string(path.Get()), DataHome());
  setenv("TOLVANE3_SYSTEM_LIBRARY", mTemp.Join("system").c_str(), 1);
  AppSupportDomainPath(path, true);
  EXPECT_EQ(std::string(path.Get()), mTemp.Join("system"));
  unsetenv("TOLVANE3_SYSTEM_LIBRARY");
}

TEST_F(PathHelpers, WithoutAHomeNoFolderPointsAtTheFileSystemRoot)
{
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  PK_String path("x");
  AppSupportPath(path, "Kestrova");
  EXPECT_STREQ(path.Get(), "");
  AUPresetsPath(path, "M", "P", false);
  EXPECT_STREQ(path.Get(), "");
}

TEST_F(PathHelpers, SandboxIsRecognisedByTheContainerHome)
{
  EXPECT_FALSE(IsSandboxed());
  setenv("HOME", "/Users/name", 1);
  EXPECT_FALSE(IsSandboxed());
  setenv("HOME", "/Users/name/Library/Containers/com.host.app/Data", 1);
  EXPECT_TRUE(IsSandboxed());
}

TEST_F(PathHelpers, LocateFindsBundleResourcesIgnoringCase)
{
  const std::string knob = Resource("knob.PNG");
  PK_String path;
  EXPECT_TRUE(LocateResource("knob.PNG", "png", path, kBundleID, nullptr));
  EXPECT_EQ(std::string(path.Get()), knob);
  EXPECT_TRUE(LocateResource("KNOB.png", "PNG", path, kBundleID, nullptr));
  EXPECT_EQ(std::string(path.Get()), knob);
}

TEST_F(PathHelpers, LocateFindsResourcesInSubFoldersByTheirWholeName)
{
  const std::string nested = Resource("img/skins/Dial.svg");
  PK_String path;
  EXPECT_TRUE(LocateResource("img/skins/dial.svg", "svg", path, kBundleID, nullptr));
  EXPECT_EQ(std::string(path.Get()), nested);
}

TEST_F(PathHelpers, LocateChecksTheExtensionBeforeSearching)
{
  Resource("knob.png");
  PK_String path("x");
  // Wrong type: both searches are skipped, and no such file exists as a path.
  EXPECT_FALSE(LocateResource("knob.jpg", "png", path, kBundleID, "Shared"));
  EXPECT_STREQ(path.Get(), "");
}

TEST_F(PathHelpers, LocateFallsBackToTheSharedMusicFolderThenToThePathItself)
{
  const std::string shared = mTemp.WriteFile("home/Music/Kestrova/Resources/meter.png", "data");
  PK_String path;
  EXPECT_TRUE(LocateResource("skins/meter.png", "png", path, kBundleID, "Kestrova"));
  EXPECT_EQ(std::string(path.Get()), shared);
  EXPECT_FALSE(LocateResource("skins/meter.png", "png", path, kBundleID, nullptr));

  const std::string elsewhere = mTemp.WriteFile("elsewhere/photo.jpg", "data");
  EXPECT_TRUE(LocateResource(elsewhere.c_str(), "png", path, kBundleID, "Kestrova"));
  EXPECT_EQ(std::string(path.Get()), elsewhere);
}

TEST_F(PathHelpers, LocateRefusesAMissingNameWithoutTouchingTheResult)
{
  PK_String path("kept");
  EXPECT_FALSE(LocateResource(nullptr, "png", path, kBundleID, nullptr));
  EXPECT_FALSE(LocateResource("", "png", path, kBundleID, nullptr));
  EXPECT_STREQ(path.Get(), "kept");
  EXPECT_FALSE(LocateResource("absent.png", "png", path, kBundleID, "Kestrova"));
  EXPECT_STREQ(path.Get(), "");
}

} // namespace
