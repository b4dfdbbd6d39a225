#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "graphics/UTF16Text.h"
#include "tests/graphics/DrawnControlsFixture.h"

namespace gfxtest {
namespace {

using Dlg = EditorDelegate;

// A key whose text fills all four bytes, copied as they are.
IKeyPress FourByteKey(const char* bytes)
{
  IKeyPress key;
  std::memcpy(key.utf8, bytes, 4);
  return key;
}
const IRECT kEntryBounds(100, 100, 161, 120);

class DrawnEntry : public DrawnControlsTest
{
protected:
  // A control asking for the value of the parameter (-1: a text of its own).
  ProbeControl* Caller(int paramIdx)
  {
    auto* c = new ProbeControl(journal, "caller", IRECT(300, 300, 340, 320), paramIdx);
    g->AttachControl(c);
    return c;
  }
  void Open(IControl& caller, const char* text)
  {
    g->CreateTextEntry(caller, IText(14.f), kEntryBounds, text, caller.GetParamIdx(0) >= 0 ? 0 : -1);
  }
  bool Key(const char* text, int vk, bool shift = false, bool command = false)
  {
    return g->OnKeyDown(0, 0, IKeyPress(text, vk, shift, command));
  }
  bool Command(int letter, bool shift = false) { return Key("", letter, shift, true); }
  double Plain(const IControl* c, int paramIdx) const
  {
    return dlg.GetParam(paramIdx)->FromNormalized(c->GetValue(0));
  }
  // The opaque fills of the entry's text colour one unit wide: the caret.
  std::vector<Fill> Carets()
  {
    g->calls.clear();
    entry->SetDirty(false);
    view->Tick();
    std::vector<Fill> out;
    for (const Fill& f : FillsOf(*g, kColorBlack))
      if (f.weight == 1.f && std::abs(f.box.W() - 1.f) < 1e-3f)
        out.push_back(f);
    return out;
  }
};

TEST_F(DrawnEntry, TypedValueIsCommittedOrCancelled)
{
  struct Case { const char* name; std::function<void()> finish; double want; };
  const Case cases[] = {
    {"Return commits", [this] { EXPECT_TRUE(Key("\r", 13)); }, 7.0},
    {"a click elsewhere commits", [this] { Click(600, 400); }, 7.0},
    {"Escape cancels", [this] { EXPECT_TRUE(Key("\x1b", 27)); }, 1.5},
    {"losing the focus commits", [this] { g->OnFocusLost(); }, 7.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ProbeControl* caller = Caller(Dlg::kGain);
    caller->SetValueFromDelegate(dlg.GetParam(Dlg::kGain)->ToNormalized(1.5));
    Open(*caller, "12.5");
    EXPECT_TRUE(entry->EditInProgress());
    EXPECT_TRUE(Key("7", '7'));
    EXPECT_EQ(entry->GetUTF8(), "7");
    c.finish();
    EXPECT_FALSE(entry->EditInProgress());
    EXPECT_EQ(g->GetTextEntryCaller(), nullptr);
    EXPECT_NEAR(Plain(caller, Dlg::kGain), c.want, 1e-9);
    EXPECT_FALSE(Key("8", '8')) << "a closed entry takes no keys";
    EXPECT_EQ(entry->GetUTF8(), "7");
  }
}

TEST_F(DrawnEntry, KeysAreFilteredByTheParameterKind)
{
  struct Case { const char* name; int param; IKeyPress key; bool handled; const char* text; };
  const Case cases[] = {
    {"enum refuses a letter", Dlg::kMode, IKeyPress("a", 'A'), false, ""},
    {"enum takes a minus", Dlg::kMode, IKeyPress("-", 189), true, "-"},
    {"int takes a keypad digit", Dlg::kCount, IKeyPress("3", 99), true, "3"},
    {"int refuses a shifted digit key", Dlg::kCount, IKeyPress("!", '1', true), false, ""},
    {"double takes a point", Dlg::kGain, IKeyPress(".", 190), true, "."},
    {"double refuses e", Dlg::kGain, IKeyPress("e", 'E'), false, ""},
    {"double takes a shifted plus", Dlg::kGain, IKeyPress("+", 187, true), true, "+"},
    {"space passes for any kind", Dlg::kMode, IKeyPress(" ", 32), true, " "},
    {"no parameter takes any text", -1, IKeyPress("e", 'E'), true, "e"},
    {"tab is passed on", -1, IKeyPress("\t", 9), false, ""},
    {"Command with a letter is no text", -1, IKeyPress("q", 'Q', false, true), false, ""},
    {"Command+Z with nothing to undo", -1, IKeyPress("z", 'Z', false, true), true, ""},
    {"Command+Shift+Z with nothing to redo", -1, IKeyPress("Z", 'Z', true, true), true, ""},
    {"beyond one UTF-16 unit", -1, FourByteKey("\xF0\x9F\x98\x80"), false, ""},
    {"a cut-off sequence", -1, IKeyPress("\xF0\x9F", 0), false, ""},
    {"a lone continuation byte", -1, IKeyPress("\x80", 0), false, ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open(*Caller(c.param), "");
    EXPECT_EQ(g->OnKeyDown(0, 0, c.key), c.handled);
    EXPECT_EQ(entry->GetUTF8(), c.text);
    entry->DismissEdit();
  }
}

TEST_F(DrawnEntry, UndoAndRedoFollowTheEditsOfThisEntryOnly)
{
  g->script.clipboard = "abc";
  Open(*Caller(-1), "12.5");
  Key("", 35); // End
  EXPECT_TRUE(Command('V'));
  EXPECT_EQ(entry->GetUTF8(), "12.5abc");
  EXPECT_TRUE(Command('Z'));
  EXPECT_EQ(entry->GetUTF8(), "12.5");
  EXPECT_TRUE(Command('Z', true));
  EXPECT_EQ(entry->GetUTF8(), "12.5abc");
  EXPECT_TRUE(Key("\x1b", 27));
  // A new entry starts with nothing to undo.
  Open(*Caller(-1), "123456789");
  EXPECT_TRUE(Command('Z'));
  EXPECT_EQ(entry->GetUTF8(), "123456789");
}

TEST_F(DrawnEntry, SelectionBandAndCaretSitOnTheMeasuredText)
{
  Open(*Caller(Dlg::kGain), "12.5");
  g->calls.clear();
  view->Tick();
  std::vector<Fill> bands;
  for (const Fill& f : FillsOf(*g, kColorBlack))
    if (std::abs(f.weight - 0.2f) < 1e-6f)
      bands.push_back(f);
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_NEAR(bands[0].box.L, 116.5f, 1e-3f);
  EXPECT_NEAR(bands[0].box.T, 104.4f, 1e-3f);
  EXPECT_NEAR(bands[0].box.R, 144.5f, 1e-3f);
  EXPECT_NEAR(bands[0].box.B, 115.6f, 1e-3f);
  EXPECT_TRUE(Carets().empty()) << "no caret with a selection";

  EXPECT_TRUE(Key("7", '7'));
  const auto carets = Carets();
  ASSERT_EQ(carets.size(), 1u);
  EXPECT_NEAR(carets[0].box.L, 133.f, 1e-3f);
  EXPECT_NEAR(carets[0].box.T, 104.4f, 1e-3f);
  EXPECT_NEAR(carets[0].box.R, 134.f, 1e-3f);
  EXPECT_NEAR(carets[0].box.B, 115.6f, 1e-3f);
}

TEST_F(DrawnEntry, CaretBlinksShownForTheFirstHalfOfEverySecond)
{
  Open(*Caller(Dlg::kGain), "12.5");
  Key("7", '7');
  struct Step { double ms; bool shown; };
  // The second cycle starts with the tick that ends the first, at 1001.
  const Step steps[] = {{0, true}, {499, true}, {2, false}, {498, false}, {2, true}, {499, true}, {2, false}};
  double t = 0;
  for (const Step& s : steps)
  {
    t += s.ms;
    SCOPED_TRACE(t);
    Advance(s.ms);
    EXPECT_EQ(entry->CaretShown(), s.shown);
    EXPECT_EQ(Carets().size(), s.shown ? 1u : 0u);
  }
  // A mouse-up inside restarts the cycle with the caret shown.
  Click(kEntryBounds.MW(), kEntryBounds.MH());
  Advance(0);
  EXPECT_TRUE(entry->CaretShown());
  Advance(499);
  EXPECT_TRUE(entry->CaretShown());
}

TEST_F(DrawnEntry, MousePlacesTheCaretAndSelects)
{
  // "12.5" spans 116.5 to 144.5, 7 per character.
  struct Case { const char* name; std::function<void()> gesture; const char* afterTyping9; };
  const Case cases[] = {
    {"click between 1 and 2", [this] { Click(124, 110); }, "192.5"},
    {"click past the end", [this] { Click(158, 110); }, "12.59"},
    {"drag over 2.", [this] {
       MouseAction a;
       g->OnMouseDown(a.Press(124, 110));
       g->OnMouseDrag(a.Drag(138, 110));
       g->OnMouseUp(a.Release(138, 110));
     }, "195"},
    {"double click selects all", [this] {
       Click(124, 110);
       g->OnMouseDblClick(124, 110, IMouseMod(true));
     }, "9"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open(*Caller(-1), "12.5");
    c.gesture();
    EXPECT_TRUE(entry->EditInProgress());
    Key("9", '9');
    EXPECT_EQ(entry->GetUTF8(), c.afterTyping9);
    entry->DismissEdit();
  }
}

TEST_F(DrawnEntry, ClipboardCutCopyAndPaste)
{
  struct Case { const char* name; std::optional<std::string> clipboard; bool clearSelection; int letter;
    const char* text; std::optional<std::string> clipboardAfter; };
  const Case cases[] = {
    {"copy without a selection", "keep", true, 'C', "12.5", "keep"},
    {"copy", "keep", false, 'C', "12.5", "12.5"},
    {"cut", "keep", false, 'X', "", "12.5"},
    {"paste replaces the selection", "3", false, 'V', "3", "3"},
    {"paste at the caret", "3", true, 'V', "12.53", "3"},
    {"a failed read pastes nothing", std::nullopt, false, 'V', "12.5", std::nullopt},
    {"select all", "keep", true, 'A', "", "keep"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->script.clipboard = c.clipboard;
    Open(*Caller(-1), "12.5");
    if (c.clearSelection)
      Key("", 35); // End
    EXPECT_TRUE(Command(c.letter));
    if (c.letter == 'A')
      Key("", 8); // Backspace deletes what is selected
    EXPECT_EQ(entry->GetUTF8(), c.text);
    EXPECT_EQ(g->script.clipboard, c.clipboardAfter);
    entry->DismissEdit();
  }
}

TEST_F(DrawnEntry, RightClickOffersCutCopyPasteAtThePointer)
{
  g->script.clipboard = "42";
  Open(*Caller(-1), "12.5");
  Key("", 35);
  view->Press(120, 110, IMouseMod(false, true));
  view->Release(120, 110, IMouseMod());
  ASSERT_EQ(menu->GetMenu(), &entry->GetContextMenu());
  ASSERT_EQ(menu->GetMenu()->NItems(), 3);
  EXPECT_STREQ(menu->GetMenu()->GetItem(2)->GetText(), "Paste");
  EXPECT_EQ(menu->GetCalloutDirection(), IPopupMenuControl::kSouth);
  Advance(0);
  Advance(101);
  const IRECT paste = menu->GetPanel(0)->mCellBounds[2];
  Click(paste.MW(), paste.MH());
  EXPECT_EQ(entry->GetUTF8(), "12.542");
  EXPECT_TRUE(entry->EditInProgress());
}

TEST_F(DrawnEntry, FocusLossCommitsAndTheNextEntryShows)
{
  ProbeControl* caller = Caller(Dlg::kGain);
  Open(*caller, "12.5");
  Key("3", '3');
  g->OnFocusLost();
  EXPECT_FALSE(entry->EditInProgress());
  EXPECT_NEAR(Plain(caller, Dlg::kGain), 3.0, 1e-9);
  Click(320, 310);
  EXPECT_EQ(NamesWith(journal, "OnMouseDown").size(), 1u) << "clicks reach the editor again";
  entry->Hide(true);
  Open(*caller, "1");
  EXPECT_FALSE(entry->IsHidden());
}

TEST_F(DrawnEntry, EachEntryOwnsItsContextMenu)
{
  // A second editor, then the first one closes: the second entry's menu
  // still reaches the second entry, and nothing reaches the destroyed one.
  Dlg dlg2(1008, 584);
  RecordingGfx* g2 = dlg2.Open();
  HeadlessView view2(*g2);
  auto* menu2 = new IPopupMenuControl;
  auto* entry2 = new ITextEntryControl;
  g2->AttachPopupMenuControl(menu2);
  g2->AttachTextEntryControl(entry2);
  auto* caller2 = new ProbeControl(journal, "caller2", IRECT(300, 300, 340, 320));
  g2->AttachControl(caller2);
  g2->script.clipboard = "two";
  g->script.clipboard = "one";

  Open(*Caller(-1), "first");
  view->Press(120, 110, IMouseMod(false, true));
  EXPECT_EQ(menu->GetMenu(), &entry->GetContextMenu());
  EXPECT_NE(&entry->GetContextMenu(), &entry2->GetContextMenu());
  dlg.CloseWindow();

  g2->CreateTextEntry(*caller2, IText(14.f), kEntryBounds, "second", -1);
  g2->OnKeyDown(0, 0, IKeyPress("", 35));
  view2.Press(120, 110, IMouseMod(false, true));
  standin::AdvanceManualClock(0.101);
  view2.Tick();
  standin::AdvanceManualClock(0.001);
  view2.Tick();
  ASSERT_EQ(menu2->GetState(), IPopupMenuControl::kIdling);
  const IRECT paste = menu2->GetPanel(0)->mCellBounds[2];
  g2->OnMouseDown(MouseAction().Press(paste.MW(), paste.MH()));
  EXPECT_EQ(entry2->GetUTF8(), "secondtwo");
}

TEST_F(DrawnEntry, SurrogatePairsStayWholeWhateverTheEdit)
{
  // "a😀b" pasted: the emoji is one character of two UTF-16 units. The
  // recording back-end measures 7 points per character at size 14, so the
  // text spans 120 to 141 (centred in 100..161) and the emoji 127 to 134.
  const char* emoji = "\xF0\x9F\x98\x80";
  const std::string aEb = std::string("a") + emoji + "b";
  const int kLeft = 37, kRight = 39, kBackspace = 8, kDelete = 46, kHome = 36, kEnd = 35;
  struct Case { const char* name; std::function<void()> edit; std::string text; std::string copied; };
  const Case cases[] = {
    {"Left then Backspace deletes the emoji", [&] { Key("", kLeft); Key("", kBackspace); }, "ab", ""},
    {"Home, Right, Delete deletes the emoji", [&] { Key("", kHome); Key("", kRight); Key("", kDelete); }, "ab", ""},
    {"two Lefts put the caret before it", [&] { Key("", kLeft); Key("", kLeft); Key("x", 'X'); },
      std::string("ax") + emoji + "b", ""},
    {"Right from after a stays after it", [&] { Key("", kHome); Key("", kRight); Key("", kRight); Key("x", 'X'); },
      std::string("a") + emoji + "xb", ""},
    {"Shift+Left selects it whole", [&] { Key("", kEnd); Key("", kLeft); Key("", kLeft, true); Command('C'); },
      aEb, emoji},
    {"a click on its left half", [&] { Click(128, 110); Key("x", 'X'); }, std::string("ax") + emoji + "b", ""},
    {"a click on its right half", [&] { Click(133, 110); Key("x", 'X'); }, std::string("a") + emoji + "xb", ""},
    {"a drag over half of it", [&] {
       MouseAction a;
       g->OnMouseDown(a.Press(121, 110));
       g->OnMouseDrag(a.Drag(129, 110));
       g->OnMouseUp(a.Release(129, 110));
       Command('C');
     }, aEb, "a"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->script.clipboard = aEb;
    Open(*Caller(-1), "");
    ASSERT_TRUE(Command('V'));
    ASSERT_EQ(entry->GetUTF8(), aEb);
    g->script.clipboard = "";
    c.edit();
    EXPECT_EQ(entry->GetUTF8(), c.text);
    EXPECT_EQ(g->script.clipboard.value_or(""), c.copied);
    entry->DismissEdit();
  }
}

TEST_F(DrawnEntry, RightButtonReleaseLeavesTheSelectionAlone)
{
  Open(*Caller(-1), "12.5");
  // A left press between 1 and 2, released with the right button reported
  // (Command went down meanwhile): no drag selection.
  view->Press(124, 110, IMouseMod(true));
  view->Release(138, 110, IMouseMod(false, true));
  Key("9", '9');
  EXPECT_EQ(entry->GetUTF8(), "192.5");
}

TEST_F(DrawnEntry, RemovingAnEntryInUseFreesItsCallerAndTheDrags)
{
  ProbeControl* caller = Caller(Dlg::kGain);
  const double before = caller->GetValue();
  Open(*caller, "12.5");
  ASSERT_EQ(g->GetTextEntryCaller(), caller);
  g->RemoveTextEntryControl();
  EXPECT_EQ(g->GetTextEntryCaller(), nullptr);
  EXPECT_EQ(caller->GetValue(), before) << "removal applies no value";
  MouseAction drag;
  g->OnMouseDown(drag.Press(320, 310));
  g->OnMouseDrag(drag.Drag(330, 315));
  g->OnMouseUp(drag.Release(330, 315));
  EXPECT_EQ(NamesWith(journal, "OnMouseDrag"), (std::vector<std::string>{"caller"}));
  // The building form makes a new one, once.
  g->AttachTextEntryControl();
  ITextEntryControl* built = g->GetTextEntryControl();
  ASSERT_NE(built, nullptr);
  g->AttachTextEntryControl();
  EXPECT_EQ(g->GetTextEntryControl(), built);
  Open(*caller, "3");
  EXPECT_TRUE(built->EditInProgress());
  EXPECT_EQ(built->GetUTF8(), "3");
  EXPECT_TRUE(Key("\r", 13));
  EXPECT_NEAR(Plain(caller, Dlg::kGain), 3.0, 1e-9);
}

TEST(UTF16Text, InvalidInputBecomesTheReplacementCharacter)
{
  struct Case { const char* name; std::string utf8; std::u16string utf16; };
  const Case cases[] = {
    {"ascii", "a1", u"a1"},
    {"two and three bytes", "\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},
    {"four bytes become a pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
    {"bad continuation", "\xC3(", u"\xFFFD("},
    {"overlong", "\xC0\xAF", u"\xFFFD\xFFFD"},
    {"encoded surrogate", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
    {"cut off at the end", "a\xE2\x82", u"a\xFFFD\xFFFD"},
    {"past Unicode", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UTF8ToUTF16(c.utf8.c_str()), c.utf16);
  }
  struct Back { const char* name; std::u16string utf16; std::string utf8; };
  const Back backs[] = {
    {"pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    {"lone high surrogate", u"a\xD83D", "a\xEF\xBF\xBD"},
    {"lone low surrogate", u"\xDE00z", "\xEF\xBF\xBDz"},
    {"swapped pair", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Back& b : backs)
  {
    SCOPED_TRACE(b.name);
    EXPECT_EQ(UTF16ToUTF8(b.utf16.data(), b.utf16.size()), b.utf8);
    // Valid either way: a second round trip changes nothing.
    EXPECT_EQ(UTF16ToUTF8(UTF8ToUTF16(b.utf8.c_str()).data(), UTF8ToUTF16(b.utf8.c_str()).size()), b.utf8);
  }
}

} // namespace
} // namespace gfxtest
