#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "StandIn/Bundles.h"
#include "tests/support/TempHome.h"

namespace {

using testsupport::TempHomeTest;

std::string First(NSSearchPathDirectory directory, unsigned domains, bool expand = true)
{
  const auto found = NSSearchPathForDirectoriesInDomains(directory, domains, expand);
  return found.empty() ? std::string() : found.front();
}

using UserFolders = TempHomeTest;

TEST_F(UserFolders, FollowTheEnvironmentOnEveryCall)
{
  EXPECT_EQ(NSHomeDirectory(), Home());
  EXPECT_EQ(First(NSDesktopDirectory, NSUserDomainMask), Home() + "/Desktop");
  EXPECT_EQ(First(NSMusicDirectory, NSUserDomainMask), Home() + "/Music");
  EXPECT_EQ(First(NSLibraryDirectory, NSUserDomainMask), DataHome());
  EXPECT_EQ(First(NSApplicationSupportDirectory, NSUserDomainMask), DataHome());

  setenv("XDG_DATA_HOME", "/elsewhere/data/", 1);
  EXPECT_EQ(First(NSApplicationSupportDirectory, NSUserDomainMask), "/elsewhere/data");

  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(First(NSLibraryDirectory, NSUserDomainMask), Home() + "/.local/share");
}

TEST_F(UserFolders, UnknownHomeGivesNoFolderRatherThanTheRoot)
{
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(NSHomeDirectory(), "");
  EXPECT_TRUE(NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, true).empty());
  EXPECT_TRUE(NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSUserDomainMask, true).empty());

  setenv("HOME", "relative/home", 1);
  EXPECT_EQ(NSHomeDirectory(), "");
  setenv("HOME", "/", 1);
  EXPECT_EQ(First(NSMusicDirectory, NSUserDomainMask), "");
}

TEST_F(UserFolders, LocalAndSystemDomainsCanBeRedirected)
{
  unsetenv("TOLVANE3_LOCAL_LIBRARY");
  unsetenv("TOLVANE3_SYSTEM_LIBRARY");
  EXPECT_EQ(First(NSLibraryDirectory, NSLocalDomainMask), "/usr/local/share");
  EXPECT_EQ(First(NSLibraryDirectory, NSSystemDomainMask), "/usr/share");

  setenv("TOLVANE3_LOCAL_LIBRARY", mTemp.Join("local").c_str(), 1);
  setenv("TOLVANE3_SYSTEM_LIBRARY", mTemp.Join("system").c_str(), 1);
  EXPECT_EQ(First(NSApplicationSupportDirectory, NSLocalDomainMask), mTemp.Join("local"));
  EXPECT_EQ(First(NSApplicationSupportDirectory, NSSystemDomainMask), mTemp.Join("system"));
  EXPECT_TRUE(NSSearchPathForDirectoriesInDomains(NSMusicDirectory, NSSystemDomainMask, true).empty());

  const auto all = NSSearchPathForDirectoriesInDomains(NSLibraryDirectory, NSAllDomainsMask, true);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0], DataHome()) << "the user domain comes first";
  unsetenv("TOLVANE3_LOCAL_LIBRARY");
  unsetenv("TOLVANE3_SYSTEM_LIBRARY");
}

TEST_F(UserFolders, WithoutTildeExpansionHomeBecomesTilde)
{
  EXPECT_EQ(First(NSDesktopDirectory, NSUserDomainMask, false), "~/Desktop");
}

class Bundles : public TempHomeTest
{
protected:
  void TearDown() override
  {
    standin::ResetBundles();
    TempHomeTest::TearDown();
  }

  std::string MakePluginBundle()
  {
    mTemp.WriteFile("Tolvane3.component/Contents/MacOS/Tolvane3", "module");
    mTemp.WriteFile("Tolvane3.component/Contents/Resources/knob.PNG", "png");
    mTemp.WriteFile("Tolvane3.component/Contents/Resources/img/Background.png", "png");
    return mTemp.Join("Tolvane3.component");
  }
};

TEST_F(Bundles, RegisteredBundleIsFoundByIdentifierWithItsFolders)
{
  const std::string root = MakePluginBundle();
  standin::RegisterBundle({"com.kestrova.Tolvane3", "3.0.28", root + "/", "Tolvane3"});

  NSBundle* bundle = NSBundle::bundleWithIdentifier("com.kestrova.Tolvane3");
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(bundle->bundlePath(), root);
  EXPECT_EQ(bundle->executablePath(), root + "/Contents/MacOS/Tolvane3");
  EXPECT_EQ(bundle->resourcePath(), root + "/Contents/Resources");
  EXPECT_EQ(bundle->objectForInfoDictionaryKey("CFBundleShortVersionString"), "3.0.28");
  EXPECT_EQ(NSBundle::bundleWithIdentifier("com.other"), nullptr);
  standin::ResetBundles();
  EXPECT_EQ(NSBundle::bundleWithIdentifier("com.kestrova.Tolvane3"), nullptr) << "a reset forgets every bundle";
}

TEST_F(Bundles, ResourcesAreMatchedIgnoringCase)
{
  const std::string root = MakePluginBundle();
  NSBundle* bundle = standin::RegisterBundle({"id.plugin", "1", root, "Tolvane3"});
  EXPECT_EQ(bundle->pathForResource("knob", "png"), root + "/Contents/Resources/knob.PNG");
  EXPECT_EQ(bundle->pathForResource("KNOB", "Png"), root + "/Contents/Resources/knob.PNG");
  EXPECT_EQ(bundle->pathForResource("IMG/background", "png"), root + "/Contents/Resources/img/Background.png");
  EXPECT_EQ(bundle->pathForResource("missing", "png"), "");
  EXPECT_EQ(bundle->pathForResource("img", ""), "") << "a folder is not a resource file";
  EXPECT_EQ(bundle->pathForResource("../MacOS/Tolvane3", ""), "") << "never outside the bundle";
}

TEST_F(Bundles, MainBundleIsTheHostsOrNone)
{
  EXPECT_EQ(NSBundle::mainBundle(), nullptr);
  standin::SetMainBundle({"com.example.host", "12.1", "", ""});
  ASSERT_NE(NSBundle::mainBundle(), nullptr);
  EXPECT_EQ(NSBundle::mainBundle()->bundleIdentifier(), "com.example.host");
  EXPECT_EQ(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion"), "12.1");
  EXPECT_EQ(NSBundle::mainBundle()->resourcePath(), "");
}

} // namespace
