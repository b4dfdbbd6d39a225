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
  std::string Resource(const std::string& relative)
  {
    return mTemp.WriteFile("Plug-Ins/Tolvane3.component/Contents/Resources/" + relative, "data");
  }
  // The path a helper gives, starting from "unchanged".
  template <class F>
  static std::string PathOf(F&& helper)
  {
    PK_String path("unchanged");
    helper(path);
    return path.Get();
  }

  std::string mBundleRoot;
};

TEST_F(PathHelpers, BundleUserPresetAndSupportFolders)
{
  EXPECT_EQ(PathOf([](PK_String& p) { BundleExecutablePath(p, kBundleID); }), mBundleRoot + "/Contents/MacOS/Tolvane3");
  EXPECT_EQ(PathOf([](PK_String& p) { PluginPath(p, kBundleID); }), mTemp.Join("Plug-Ins/"));
  EXPECT_EQ(PathOf([](PK_String& p) { BundleResourcePath(p, kBundleID); }), mBundleRoot + "/Contents/Resources");
  // An unknown bundle leaves the folders as the helpers promise.
  EXPECT_EQ(PathOf([](PK_String& p) { BundleExecutablePath(p, "com.nobody.none"); }), "unchanged");
  EXPECT_EQ(PathOf([](PK_String& p) { BundleExecutablePath(p, nullptr); }), "unchanged");
  EXPECT_EQ(PathOf([](PK_String& p) { PluginPath(p, "com.nobody.none"); }), "unchanged");
  EXPECT_EQ(PathOf([](PK_String& p) { BundleResourcePath(p, "com.nobody.none"); }), "");
  EXPECT_EQ(PathOf([](PK_String& p) { UserHomePath(p); }), Home());
  EXPECT_EQ(PathOf([](PK_String& p) { DesktopPath(p); }), Home() + "/Desktop");
  EXPECT_EQ(PathOf([](PK_String& p) { MusicFolderPath(p); }), Home() + "/Music");
  EXPECT_EQ(PathOf([](PK_String& p) { AUPresetsPath(p, "Kestrova", "Tolvane3", false); }),
    DataHome() + "/Audio/Presets/Kestrova/Tolvane3/");
  EXPECT_EQ(PathOf([](PK_String& p) { AppSupportPath(p, "Kestrova"); }), DataHome() + "/Kestrova");
  EXPECT_EQ(PathOf([](PK_String& p) { AppSupportDomainPath(p, false); }), DataHome());
  setenv("TOLVANE3_LOCAL_LIBRARY", mTemp.Join("local").c_str(), 1);
  setenv("TOLVANE3_SYSTEM_LIBRARY", mTemp.Join("system").c_str(), 1);
  EXPECT_EQ(PathOf([](PK_String& p) { AUPresetsPath(p, "M", "P", true); }), mTemp.Join("local") + "/Audio/Presets/M/P/");
  EXPECT_EQ(PathOf([](PK_String& p) { AppSupportDomainPath(p, true); }), mTemp.Join("system"));
  unsetenv("TOLVANE3_LOCAL_LIBRARY");
  unsetenv("TOLVANE3_SYSTEM_LIBRARY");
  // Without a home no folder points at the file system's root.
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(PathOf([](PK_String& p) { AppSupportPath(p, "Kestrova"); }), "");
  EXPECT_EQ(PathOf([](PK_String& p) { AUPresetsPath(p, "M", "P", false); }), "");
}

TEST_F(PathHelpers, SandboxIsRecognisedByTheContainerHome)
{
  struct Case { const char* home; bool sandboxed; };
  for (const Case& c : {Case{"/Users/name", false}, Case{"/Users/name/Library/Containers/com.host.app/Data", true},
         Case{"/Users/name/Library", false}})
  {
    setenv("HOME", c.home, 1);
    EXPECT_EQ(IsSandboxed(), c.sandboxed) << c.home;
  }
}

TEST_F(PathHelpers, LocateFindsResourcesIgnoringCaseThenInTheSharedFolderThenAtThePathItself)
{
  const std::string knob = Resource("knob.PNG"), nested = Resource("img/skins/Dial.svg");
  const std::string shared = mTemp.WriteFile("home/Music/Kestrova/Resources/meter.png", "data");
  const std::string elsewhere = mTemp.WriteFile("elsewhere/photo.jpg", "data");
  struct Case { const char* name; const char* type; const char* shared; bool found; std::string path; };
  for (const Case& c : {Case{"knob.PNG", "png", nullptr, true, knob}, Case{"KNOB.png", "PNG", nullptr, true, knob},
         Case{"img/skins/dial.svg", "svg", nullptr, true, nested},
         Case{"knob.jpg", "png", "Shared", false, ""}, // the extension is checked before searching
         Case{"skins/meter.png", "png", "Kestrova", true, shared}, Case{"skins/meter.png", "png", nullptr, false, ""},
         Case{elsewhere.c_str(), "png", "Kestrova", true, elsewhere}, Case{"absent.png", "png", "Kestrova", false, ""}})
  {
    PK_String path("x");
    EXPECT_EQ(LocateResource(c.name, c.type, path, kBundleID, c.shared), c.found) << c.name;
    EXPECT_EQ(std::string(path.Get()), c.path) << c.name;
  }
  // A missing name is refused without touching the result.
  PK_String path("kept");
  EXPECT_FALSE(LocateResource(nullptr, "png", path, kBundleID, nullptr));
  EXPECT_FALSE(LocateResource("", "png", path, kBundleID, nullptr));
  EXPECT_STREQ(path.Get(), "kept");
}

} // namespace
