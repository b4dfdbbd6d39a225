// The native menu, text field and colour panel, in an editor without the
// drawn menu and text entry.
#include "tests/graphics/mac/MacEditorFixture.h"

#include "CoreFoundation/CFNumber.h"
#include "graphics/platform/IGfxNativeControls.h"

namespace mactest {
namespace {

using NativeFallbacksTest = MacEditorTest;

// Pops the menu up with a scripted choice and keeps the native menu for a
// look at its items.
struct MenuRun
{
  IPopupMenu* chosen = nullptr;
  std::vector<std::string> titles;
  std::vector<std::string> looks; // "enabled|disabled checked indent"
};

TEST_F(NativeFallbacksTest, MenusNumberTheirItemsAndReturnTheLevelChosen)
{
  Open();
  IPopupMenu menu;
  menu.SetPrefix(2);
  for (int i = 0; i < 12; ++i)
    menu.AddItem(("Item " + std::to_string(i)).c_str());
  auto* receiver = new IGfxMenuRcvr_vTolvane3_au(NSRect());
  auto* native = new IGfxMenu_vTolvane3_au(&menu, receiver);
  EXPECT_EQ("01: Item 0", native->itemAtIndex(0)->title());
  EXPECT_EQ("12: Item 11", native->itemAtIndex(11)->title());
  native->release();
  receiver->release();

  IPopupMenu root;
  auto* sub = new IPopupMenu;
  sub->AddItem("Sub 0");
  sub->AddItem("Sub 1");
  root.AddItem("Plain");
  root.AddItem("Title", IPopupMenu::kAppend, IPopupMenu::Item::kTitle);
  root.AddItem("Greyed", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled | IPopupMenu::Item::kChecked);
  root.AddItem("More", sub);
  int completions = 0;
  root.SetFunction([&](IPopupMenu*) { ++completions; });
  sub->SetFunction([&](IPopupMenu*) { ++completions; });

  standin::SetMenuChoice({3, 1});
  bool async = true;
  IPopupMenu* chosen = Gfx().CreatePlatformPopupMenu(root, IRECT(10, 20, 60, 40), async);
  EXPECT_FALSE(async);
  EXPECT_EQ(sub, chosen);
  EXPECT_EQ(1, sub->GetChosenItemIdx());
  EXPECT_EQ(1, completions);
  EXPECT_EQ(10.0, standin::LastMenuLocation().x);
  EXPECT_EQ(44.0, standin::LastMenuLocation().y); // 4 below the bottom edge

  standin::SetMenuChoice({});
  root.SetChosenItemIdx(0);
  EXPECT_EQ(nullptr, Gfx().CreatePlatformPopupMenu(root, IRECT(10, 20, 60, 40), async));
  EXPECT_EQ(0, root.GetChosenItemIdx());
  EXPECT_EQ(1, completions);

  auto* r2 = new IGfxMenuRcvr_vTolvane3_au(NSRect());
  auto* looks = new IGfxMenu_vTolvane3_au(&root, r2);
  EXPECT_EQ(1, looks->itemAtIndex(1)->indentationLevel);
  EXPECT_FALSE(looks->itemAtIndex(2)->enabled);
  EXPECT_EQ(NSControlStateValueOn, looks->itemAtIndex(2)->state);
  EXPECT_TRUE(looks->itemAtIndex(0)->enabled);
  EXPECT_EQ(0, looks->itemAtIndex(0)->indentationLevel);
  looks->release();
  r2->release();
}

TEST_F(NativeFallbacksTest, TextFieldsAcceptOnlyWhatTheParameterTakes)
{
  Open();
  struct Case
  {
    int param;
    int maxLength;
    const char* typed;
    const char* kept;
  };
  using P = gfxtest::FakeEditorDelegate;
  const Case cases[] = {
    {P::kGain, 0, "1.5k", "1.5k"},
    {P::kGain, 0, "1.5x", "1.5"},
    {P::kMode, 0, "1.2", "12"},
    {P::kCount, 5, "123456", "12345"},
    {-1, 0, "any text", "any text"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.typed);
    Gfx().CreatePlatformTextEntry(c.param, IText(), IRECT(10, 10, 110, 40), c.maxLength, "");
    NSTextField* field = mView->textField();
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(field, mWindow->firstResponder());
    for (const char* p = c.typed; *p; ++p)
      Key(0, std::string(1, *p));
    EXPECT_EQ(c.kept, field->stringValue());
    Gfx().EndPlatformTextEntry();
    EXPECT_EQ(nullptr, mView->textField());
    EXPECT_EQ(mView, mWindow->firstResponder());
  }
}

TEST_F(NativeFallbacksTest, MiddleAlignedFieldsCentreTheirText)
{
  Open();
  IText text(14.f);
  text.mVAlign = kMiddle;
  Gfx().CreatePlatformTextEntry(-1, text, IRECT(0, 0, 100, 30), 0, "3");
  NSTextField* field = mView->textField();
  ASSERT_NE(nullptr, field);
  ASSERT_NE(nullptr, field->font()); // the font id was never cached
  EXPECT_TRUE(field->font()->isSystemFont());
  EXPECT_EQ(17.0, field->cell()->cellSize().height);
  const NSRect r = field->cell()->drawingRectForBounds(field->bounds());
  EXPECT_EQ(6.5, r.origin.y);
  EXPECT_EQ(6.5, field->currentEditor()->frame.origin.y);
  Gfx().EndPlatformTextEntry();

  text.mVAlign = kTop;
  Gfx().CreatePlatformTextEntry(-1, text, IRECT(0, 0, 100, 30), 0, "3");
  EXPECT_EQ(0.0, mView->textField()->cell()->drawingRectForBounds(NSMakeRect(0, 0, 100, 30)).origin.y);
}

// Return commits the typed text to the control that asked; the wheel, the
// context's request and the view's removal end the field with no answer.
TEST_F(NativeFallbacksTest, TextEntriesEndWithOrWithoutAnAnswer)
{
  std::vector<std::string> log;
  IControl* control = nullptr;
  Open(1.f, [&](IGfx& g) { control = g.AttachControl(new MouseRecorder(log, IRECT(40, 40, 140, 140))); });
  enum End { kReturn, kWheel, kRequest, kRemoval };
  for (End end : {kReturn, kWheel, kRequest, kRemoval})
  {
    SCOPED_TRACE(end);
    log.clear();
    Gfx().CreateTextEntry(*control, IText(), IRECT(40, 40, 140, 60), "");
    ASSERT_NE(nullptr, mView->textField());
    Key(0, "7");
    switch (end)
    {
      case kReturn: Key(36, "\r"); break;
      case kWheel: mWindow->sendEvent(standin::WheelEvent(At(50, 50), 1).get()); break;
      case kRequest: Gfx().EndPlatformTextEntry(); break;
      case kRemoval: mView->removeFromSuperview(); break;
    }
    EXPECT_EQ(end == kReturn ? std::vector<std::string>{"text 7"} : std::vector<std::string>{}, log);
    if (end == kRemoval)
    {
      EXPECT_EQ(nullptr, mDelegate->GetGraphicsContext());
      mView = nullptr;
      break;
    }
    EXPECT_EQ(nullptr, mView->textField());
    EXPECT_EQ(nullptr, Gfx().GetTextEntryCaller());
  }
}

// The formatter's value is the field's text: a string shows as itself,
// anything else as nothing; every text is taken, as a copy the caller owns.
TEST_F(NativeFallbacksTest, FormatterValuesAreTheFieldsText)
{
  const long live = standin::LiveObjectCount();
  auto* formatter = new IGfxFormatter_vTolvane3_au;
  CFStringRef text = CFStringCreateWithCString(nullptr, "1.5k \u00b5s", kCFStringEncodingUTF8);
  const int one = 1;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  EXPECT_EQ(text, formatter->stringForObjectValue(text));
  EXPECT_EQ(nullptr, formatter->stringForObjectValue(number));
  EXPECT_EQ(nullptr, formatter->stringForObjectValue(nullptr));

  CFTypeRef value = nullptr;
  EXPECT_TRUE(formatter->getObjectValue(&value, text, nullptr));
  ASSERT_NE(nullptr, value);
  EXPECT_NE(text, value) << "a copy, which the caller owns";
  EXPECT_TRUE(CFEqual(text, value));
  CFRelease(value);
  value = nullptr;
  EXPECT_TRUE(formatter->getObjectValue(&value, nullptr, nullptr));
  EXPECT_EQ(nullptr, value);
  EXPECT_TRUE(formatter->getObjectValue(nullptr, text, nullptr));

  CFRelease(number);
  CFRelease(text);
  formatter->release();
  EXPECT_EQ(live, standin::LiveObjectCount());
}

// A field with a formatter commits what was typed through the formatter's
// value, in the text-entry colours of the text style.
TEST_F(NativeFallbacksTest, FormattedFieldsCommitTheirTextInTheStylesColours)
{
  using P = gfxtest::FakeEditorDelegate;
  IControl* control = nullptr;
  std::vector<std::string> log;
  Open(1.f, [&](IGfx& g) { control = g.AttachControl(new MouseRecorder(log, IRECT(40, 40, 140, 140), P::kFreq)); });
  IText text;
  text.mTextEntryFGColor = IColor(255, 51, 102, 153);
  text.mTextEntryBGColor = IColor(204, 255, 204, 0);
  text.mFGColor = IColor(255, 1, 2, 3);
  Gfx().CreateTextEntry(*control, text, IRECT(40, 40, 140, 60), "", 0);
  NSTextField* field = mView->textField();
  ASSERT_NE(nullptr, field);
  ASSERT_NE(nullptr, field->formatter());
  const double fg[4] = {0.2, 0.4, 0.6, 1.0}, bg[4] = {1.0, 0.8, 0.0, 0.8};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_DOUBLE_EQ(fg[i], field->textColor[i]) << i;
    EXPECT_DOUBLE_EQ(bg[i], field->backgroundColor[i]) << i;
  }
  for (const char* p = "440"; *p; ++p)
    Key(0, std::string(1, *p));
  Key(36, "\r");
  EXPECT_EQ(nullptr, mView->textField());
  EXPECT_DOUBLE_EQ(440.0, mDelegate->GetParam(P::kFreq)->Value());
}

TEST_F(NativeFallbacksTest, ColourPanelChangesReachTheFunction)
{
  Open();
  std::vector<IColor> picked;
  IColor start(255, 10, 20, 30);
  ASSERT_TRUE(Gfx().PromptForColor(start, "", [&](const IColor& c) { picked.push_back(c); }));
  standin::ChangeColorPanelColor(0.5, 0.25, 1.0, 1.0);
  standin::ChangeColorPanelColor(0.0, 0.0, 0.0, 0.5);
  ASSERT_EQ(2u, picked.size());
  EXPECT_EQ(IColor(255, 127, 63, 255), picked[0]);
  EXPECT_EQ(IColor(127, 0, 0, 0), picked[1]);
}

} // namespace
} // namespace mactest
