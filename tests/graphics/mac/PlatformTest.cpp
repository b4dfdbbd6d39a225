// The context's platform services: coordinates, the cursor lock, dialogs,
// the clipboard and URLs.
#include "tests/graphics/mac/MacEditorFixture.h"

#include "StandIn/AnimationGroups.h"

namespace mactest {
namespace {

using PlatformTest = MacEditorTest;

TEST_F(PlatformTest, EditorRectanglesBecomeWholeViewPixels)
{
  const IRECT r = IGfxMac::ToViewPixels(IRECT(10.2f, 10.7f, 20.1f, 20.9f), 2.f);
  EXPECT_EQ(IRECT(20, 21, 41, 42), r); // origin (20, 21), size 21 x 21
}

TEST_F(PlatformTest, LockedHideStoresTheRoundedPointAndPutsTheCursorBack)
{
  Open();
  standin::SetMouseLocation(NSPoint{100.4, 200.6});
  Gfx().HideMouseCursor(true, true);
  Gfx().HideMouseCursor(true, true); // twice changes nothing
  EXPECT_EQ(100.0, Gfx().LockX());
  EXPECT_EQ(201.0, Gfx().LockY());
  EXPECT_EQ(std::vector<std::string>{"hide"}, standin::CursorCalls());

  const std::vector<std::string> back = {"associate 0", "move 100 879", "associate 1"};
  standin::ClearCursorCalls();
  Mouse(NSEventTypeLeftMouseDown, 50, 50);
  Mouse(NSEventTypeLeftMouseDragged, 60, 70);
  std::vector<std::string> twice = back;
  twice.insert(twice.end(), back.begin(), back.end());
  EXPECT_EQ(twice, standin::CursorCalls());

  standin::ClearCursorCalls();
  Gfx().HideMouseCursor(false);
  std::vector<std::string> shown = back;
  shown.push_back("show");
  EXPECT_EQ(shown, standin::CursorCalls());
  Gfx().HideMouseCursor(false);
  EXPECT_EQ(shown, standin::CursorCalls());
}

TEST_F(PlatformTest, MessageBoxesShowTheirButtonsAndAnswerThePressedOne)
{
  Open();
  struct Case
  {
    EMsgBoxType type;
    const char* buttons; // default|alternate|other, "" for no panel
    EMsgBoxResult onDefault, onAlternate, onOther;
  };
  const Case cases[] = {
    {kMB_OK, "OK||", kOK, kOK, kOK},
    {kMB_OKCANCEL, "OK|Cancel|", kOK, kCANCEL, kCANCEL},
    {kMB_YESNOCANCEL, "Yes|Cancel|No", kYES, kCANCEL, kNO},
    {kMB_YESNO, "Yes|No|", kYES, kNO, kNO},
    {kMB_RETRYCANCEL, "Retry|Cancel|", kRETRY, kCANCEL, kCANCEL},
    {kMB_ABORTRETRYIGNORE, "", kCANCEL, kCANCEL, kCANCEL},
    {static_cast<EMsgBoxType>(9), "", kCANCEL, kCANCEL, kCANCEL},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.type);
    const std::pair<long, EMsgBoxResult> presses[] = {
      {NSAlertDefaultReturn, c.onDefault}, {NSAlertAlternateReturn, c.onAlternate}, {NSAlertOtherReturn, c.onOther}};
    for (auto [press, want] : presses)
    {
      standin::ResetPanels();
      standin::Panels().alertAnswer = press;
      EMsgBoxResult completed = kNoResult;
      EXPECT_EQ(want, Gfx().ShowMessageBox("Body", "Title", c.type, [&](EMsgBoxResult r) { completed = r; }));
      EXPECT_EQ(want, completed);
      if (*c.buttons == '\0')
      {
        EXPECT_TRUE(standin::Panels().alerts.empty());
        continue;
      }
      ASSERT_EQ(1u, standin::Panels().alerts.size());
      const NSAlertPanel& a = standin::Panels().alerts[0];
      EXPECT_EQ(c.buttons, a.defaultButton + "|" + a.alternateButton + "|" + a.otherButton);
      EXPECT_EQ("Title", a.title);
      EXPECT_EQ("Body", a.message);
    }
  }
}

// Panels take UTF-8 as it stands; only bytes that are no UTF-8 become "?".
TEST_F(PlatformTest, MessageBoxTextKeepsItsUTF8)
{
  Open();
  const struct
  {
    const char* given;
    const char* shown;
  } cases[] = {
    {"R\u00e9glage \u2013 3 dB \u2713 \U0001D11E", "R\u00e9glage \u2013 3 dB \u2713 \U0001D11E"},
    {"Gain \xff\xfe dB", "Gain ?? dB"},
    {"cut \xe2\x80", "cut ??"},
  };
  for (const auto& c : cases)
  {
    standin::ResetPanels();
    standin::Panels().alertAnswer = NSAlertDefaultReturn;
    Gfx().ShowMessageBox(c.given, c.given, kMB_OK, nullptr);
    ASSERT_EQ(1u, standin::Panels().alerts.size()) << c.shown;
    EXPECT_EQ(c.shown, standin::Panels().alerts[0].message);
    EXPECT_EQ(c.shown, standin::Panels().alerts[0].title);
  }
}

// The view takes its new size at once: the frame change runs in an
// animation group of no duration.
TEST_F(PlatformTest, ResizingSetsTheViewFrameWithoutAnimation)
{
  Open();
  standin::ClearAnimationGroups();
  Gfx().Resize(300, 200, 1.5f);
  const std::vector<standin::AnimationGroupRecord> groups = standin::AnimationGroups();
  ASSERT_EQ(1u, groups.size());
  EXPECT_EQ(0.0, groups[0].duration);
  ASSERT_EQ(1u, groups[0].frames.size());
  EXPECT_EQ(mView, groups[0].frames[0].view);
  EXPECT_EQ(450.0, groups[0].frames[0].frame.size.width);
  EXPECT_EQ(300.0, groups[0].frames[0].frame.size.height);
  EXPECT_EQ(450.0, mView->frame().size.width);
}

TEST_F(PlatformTest, FolderAndFilePrompts)
{
  Open();
  PK_String path;
  Gfx().PromptForDirectory(path); // cancelled
  ASSERT_EQ(1u, standin::Panels().panels.size());
  const NSSavePanel& folderPanel = standin::Panels().panels[0];
  EXPECT_EQ("Choose a Directory", folderPanel.title);
  EXPECT_EQ("~/Desktop", folderPanel.directory);
  EXPECT_TRUE(folderPanel.canChooseDirectories && !folderPanel.canChooseFiles && folderPanel.canCreateDirectories);
  EXPECT_STREQ("", path.Get());

  standin::Panels().chosenPath = "/tmp/take.wav";
  PK_String name("old.wav"), folder("/music");
  Gfx().PromptForFile(name, folder, kFileSave, "wav aif");
  const NSSavePanel& savePanel = standin::Panels().panels.back();
  EXPECT_EQ((std::vector<std::string>{"wav", "aif"}), savePanel.allowedFileTypes);
  EXPECT_FALSE(savePanel.allowsOtherFileTypes);
  EXPECT_EQ("old.wav", savePanel.fileName);
  EXPECT_EQ("/music", savePanel.directory);
  EXPECT_STREQ("/tmp/take.wav", name.Get());
  EXPECT_STREQ("/tmp/", folder.Get());

  standin::Panels().chosenPath = "";
  Gfx().PromptForFile(name, folder, kFileOpen, "");
  EXPECT_STREQ("", name.Get());
  EXPECT_STREQ("/tmp/", folder.Get()); // a cancel keeps the folder
}

TEST_F(PlatformTest, ClipboardRoundTripAndEmptyPasteboard)
{
  Open();
  NSPasteboard::generalPasteboard().clearContents();
  PK_String text("stale");
  EXPECT_FALSE(Gfx().GetTextFromClipboard(text));
  EXPECT_STREQ("", text.Get());
  EXPECT_TRUE(Gfx().SetTextInClipboard("-6.5 dB"));
  EXPECT_TRUE(Gfx().GetTextFromClipboard(text));
  EXPECT_STREQ("-6.5 dB", text.Get());
}

// A path that merely contains "http" is a file, not a web address.
TEST_F(PlatformTest, OnlyAnHttpSchemeOpensAWebAddress)
{
  Open();
  struct Case
  {
    const char* url;
    const char* opened;
  };
  const Case cases[] = {
    {"https://kestrova.example/changelog", "openURL https://kestrova.example/changelog"},
    {"HTTP://kestrova.example", "openURL HTTP://kestrova.example"},
    {"/Users/me/Music", "openURL file:///Users/me/Music"},
    {"/srv/httpdocs/manual.pdf", "openURL file:///srv/httpdocs/manual.pdf"},
  };
  for (const Case& c : cases)
  {
    standin::ResetWorkspace();
    EXPECT_TRUE(Gfx().OpenURL(c.url)) << c.url;
    EXPECT_EQ(std::vector<std::string>{c.opened}, standin::WorkspaceRequests());
  }
}

TEST_F(PlatformTest, DarkAppearanceNeedsTheSystemThatHasIt)
{
  Open();
  standin::SetApplicationAppearance(NSAppearance::appearanceNamed(NSAppearanceNameDarkAqua));
  standin::SetOperatingSystemVersion(10, 13);
  EXPECT_FALSE(Gfx().IsDarkAppearance());
  standin::SetOperatingSystemVersion(10, 14);
  EXPECT_TRUE(Gfx().IsDarkAppearance());
  standin::SetApplicationAppearance(nullptr);
  standin::SetOperatingSystemVersion(12, 0);
}

} // namespace
} // namespace mactest
