#include <cmath>
#include <cstring>
#include <initializer_list>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/framework/fakes/RecordingDelegate.h"

namespace {

using fakes::FakeControl;
using fakes::FakeGfx;
using fakes::RecordingDelegate;
using plugkit::IByteChunk;
using plugkit::IMidiMsg;
using plugkit::gfx::IKeyPress;
using plugkit::gfx::IRECT;

class EditorDelegate : public testing::Test
{
protected:
  EditorDelegate() : dlg(3)
  {
    dlg.GetParam(0)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1);
    dlg.GetParam(1)->InitInt("Mode", 0, 0, 10);
    dlg.GetParam(2)->InitDouble("Mix", 50.0, 0.0, 100.0, 1.0);
  }

  FakeGfx* Open()
  {
    dlg.OpenWindow(nullptr);
    return dlg.made.empty() ? nullptr : dlg.made.back();
  }

  RecordingDelegate dlg;
};

TEST_F(EditorDelegate, OpeningMakesAContextLaysItOutAndAnnouncesIt)
{
  FakeGfx* g = Open();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(dlg.GetGraphicsContext(), g);
  EXPECT_EQ(g->openWindowCalls, 1);
  EXPECT_EQ(dlg.layoutCalls, 1);
  EXPECT_EQ(dlg.uiOpenCalls, 1);
  EXPECT_TRUE(dlg.IsUIReady());
  EXPECT_EQ(dlg.GetUI(), g);
}

TEST_F(EditorDelegate, WithoutAMakeGraphicsFunctionTheEditorStaysClosed)
{
  dlg.makeNothing = true;
  EXPECT_EQ(dlg.OpenWindow(nullptr), nullptr);
  EXPECT_EQ(dlg.GetGraphicsContext(), nullptr);
  dlg.SetMakeGraphicsFunc(nullptr);
  EXPECT_EQ(dlg.OpenWindow(nullptr), nullptr);
  EXPECT_EQ(dlg.uiOpenCalls, 0);
}

TEST_F(EditorDelegate, OpeningTwiceClosesTheFirstContextFirst)
{
  bool firstGone = false;
  FakeGfx* first = Open();
  first->destroyed = &firstGone;
  FakeGfx* second = Open();
  EXPECT_TRUE(firstGone);
  EXPECT_EQ(dlg.uiCloseCalls, 1);
  EXPECT_EQ(dlg.made.size(), 2u);
  EXPECT_EQ(dlg.GetGraphicsContext(), second);
  EXPECT_EQ(second->openWindowCalls, 1);
}

TEST_F(EditorDelegate, ReopeningRestoresTheSizeAndScaleOfTheLastClose)
{
  FakeGfx* g = Open();
  g->Resize(1200, 700, 1.5f);
  dlg.CloseWindow();
  EXPECT_EQ(dlg.GetGraphicsContext(), nullptr);
  EXPECT_EQ(dlg.uiCloseCalls, 1);

  FakeGfx* reopened = Open();
  EXPECT_EQ(reopened->Width(), 1200);
  EXPECT_EQ(reopened->Height(), 700);
  EXPECT_FLOAT_EQ(reopened->GetDrawScale(), 1.5f);
}

TEST_F(EditorDelegate, NoSizeIsRestoredBeforeThePlatformEverReportedReady)
{
  dlg.nextContextReady = false;
  FakeGfx* g = Open();
  g->Resize(1200, 700, 1.5f);
  dlg.CloseWindow();
  FakeGfx* reopened = Open();
  EXPECT_EQ(reopened->Width(), 1008);
  EXPECT_FLOAT_EQ(reopened->GetDrawScale(), 1.f);
}

TEST_F(EditorDelegate, CloseIsNotReenteredByThePlatformTeardown)
{
  FakeGfx* g = Open();
  g->reenterDelegateOnClose = true;
  dlg.CloseWindow();
  EXPECT_EQ(dlg.uiCloseCalls, 1);
  EXPECT_EQ(dlg.GetGraphicsContext(), nullptr);
  dlg.CloseWindow(); // closed already: only the announcement
  EXPECT_EQ(dlg.uiCloseCalls, 2);
}

TEST_F(EditorDelegate, DestroyingWithAnOpenEditorDeletesItWithoutTheCloseAnnouncement)
{
  bool gone = false;
  int closes = 0;
  {
    RecordingDelegate local(1);
    local.OpenWindow(nullptr);
    local.made.back()->destroyed = &gone;
    closes = local.uiCloseCalls;
  }
  EXPECT_TRUE(gone);
  EXPECT_EQ(closes, 0);
}

TEST_F(EditorDelegate, ValuesReachEveryLinkedValueAtItsOwnIndex)
{
  FakeGfx* g = Open();
  auto* single = new FakeControl(IRECT(0, 0, 10, 10), 1);
  auto* multi = new FakeControl(IRECT(0, 0, 10, 10), {0, 1, 2});
  auto* reversed = new FakeControl(IRECT(0, 0, 10, 10), {2, 1});
  auto* other = new FakeControl(IRECT(0, 0, 10, 10), 0);
  for (FakeControl* c : {single, multi, reversed, other})
    g->AttachControl(c);
  dlg.paramChangesUI.clear();

  // A real value of a stepped parameter: stepped to 3, then normalised.
  dlg.SendParameterValueFromDelegate(1, 3.4, false);
  const double expected = (3.0 - 0.0) / (10.0 - 0.0);
  EXPECT_DOUBLE_EQ(single->GetValue(0), expected);
  EXPECT_DOUBLE_EQ(multi->GetValue(1), expected);
  EXPECT_DOUBLE_EQ(multi->GetValue(0), 0.0);
  EXPECT_DOUBLE_EQ(multi->GetValue(2), 0.0);
  EXPECT_DOUBLE_EQ(reversed->GetValue(1), expected);
  EXPECT_DOUBLE_EQ(reversed->GetValue(0), 0.0);
  EXPECT_DOUBLE_EQ(other->GetValue(0), 0.0);
  ASSERT_EQ(dlg.paramChangesUI.size(), 1u);
  EXPECT_EQ(dlg.paramChangesUI[0], std::make_pair(1, 4));

  dlg.SendParameterValueFromDelegate(2, 0.25, true);
  EXPECT_DOUBLE_EQ(multi->GetValue(2), 0.25);
  EXPECT_DOUBLE_EQ(reversed->GetValue(0), 0.25);
}

TEST_F(EditorDelegate, AParameterIndexOutsideTheListIsIgnored)
{
  FakeGfx* g = Open();
  auto* c = new FakeControl(IRECT(0, 0, 10, 10), {3, -1});
  g->AttachControl(c);
  dlg.paramChangesUI.clear();
  dlg.SendParameterValueFromDelegate(3, 5.0, false);
  dlg.SendParameterValueFromDelegate(-1, 0.5, false);
  EXPECT_DOUBLE_EQ(c->GetValue(0), 0.0);
  EXPECT_DOUBLE_EQ(c->GetValue(1), 0.0);
  EXPECT_TRUE(dlg.paramChangesUI.empty());
}

TEST_F(EditorDelegate, OpeningShowsEveryParameterInItsControls)
{
  dlg.GetParam(2)->Set(75.0);
  auto* mix = new FakeControl(IRECT(0, 0, 10, 10), 2);
  dlg.SetLayoutFunc([&](plugkit::gfx::IGfx* g) { g->AttachControl(mix); });
  Open();
  EXPECT_DOUBLE_EQ(mix->GetValue(0), 0.75);
}

TEST_F(EditorDelegate, ControlValuesAndMessagesGoByTag)
{
  FakeGfx* g = Open();
  auto* tagged = new FakeControl(IRECT(0, 0, 10, 10), -1);
  g->AttachControl(tagged, 5);

  dlg.SendControlValueFromDelegate(6, 0.5); // unknown tag: nothing
  EXPECT_DOUBLE_EQ(tagged->GetValue(0), 0.0);
  dlg.SendControlValueFromDelegate(5, 0.5);
  EXPECT_DOUBLE_EQ(tagged->GetValue(0), 0.5);

  const char data[] = "scope";
  dlg.SendControlMsgFromDelegate(5, 42, 5, data);
  dlg.SendControlMsgFromDelegate(9, 43, 5, data);
  ASSERT_EQ(tagged->msgTags.size(), 1u);
  EXPECT_EQ(tagged->msgTags[0], 42);
  EXPECT_EQ(tagged->msgData[0], "scope");
}

TEST_F(EditorDelegate, AValueByTagLeavesAControlWithoutValuesAlone)
{
  FakeGfx* g = Open();
  auto* valueless = new FakeControl(IRECT(0, 0, 10, 10), std::initializer_list<int>{});
  ASSERT_EQ(valueless->NVals(), 0);
  g->AttachControl(valueless, 7);
  dlg.SendControlValueFromDelegate(7, 0.5);
  EXPECT_EQ(valueless->NVals(), 0);
}

TEST_F(EditorDelegate, AControlHeldByTheMouseKeepsItsValue)
{
  FakeGfx* g = Open();
  auto* held = new FakeControl(IRECT(0, 0, 10, 10), 2);
  g->AttachControl(held);
  held->SetValue(0.1);
  g->Capture(0, held);
  dlg.SendParameterValueFromDelegate(2, 0.9, true);
  EXPECT_DOUBLE_EQ(held->GetValue(0), 0.1);
  g->ReleaseMouseCapture();
  dlg.SendParameterValueFromDelegate(2, 0.9, true);
  EXPECT_DOUBLE_EQ(held->GetValue(0), 0.9);
}

TEST_F(EditorDelegate, MidiReachesOnlyControlsThatWantItThenThePlugin)
{
  FakeGfx* g = Open();
  auto* keyboard = new FakeControl(IRECT(0, 0, 10, 10), -1);
  keyboard->SetWantsMidi(true);
  auto* knob = new FakeControl(IRECT(0, 0, 10, 10), 0);
  g->AttachControl(keyboard);
  g->AttachControl(knob);

  dlg.SendMidiMsgFromDelegate(IMidiMsg{7, 0x90, 60, 100});
  ASSERT_EQ(keyboard->midi.size(), 1u);
  EXPECT_EQ(keyboard->midi[0].mData1, 60);
  EXPECT_TRUE(knob->midi.empty());
  ASSERT_EQ(dlg.midiToUI.size(), 1u);
  EXPECT_EQ(dlg.midiToUI[0].mOffset, 7);
}

TEST_F(EditorDelegate, KeysGoToTheControlUnderTheMouseOnlyOnceReady)
{
  EXPECT_FALSE(dlg.OnKeyDown(IKeyPress("a", 65)));
  FakeGfx* g = Open();
  auto* background = new FakeControl(IRECT(0, 0, 1008, 584), -1);
  auto* knob = new FakeControl(IRECT(100, 100, 200, 200), 0);
  knob->takesKeys = true;
  g->AttachControl(background);
  g->AttachControl(knob);

  g->mouseX = 150;
  g->mouseY = 150;
  EXPECT_TRUE(dlg.OnKeyDown(IKeyPress("a", 65)));
  EXPECT_TRUE(dlg.OnKeyUp(IKeyPress("a", 65)));
  EXPECT_EQ(knob->keysDown.size(), 1u);
  EXPECT_EQ(knob->keysUp.size(), 1u);

  g->mouseX = 10;
  g->mouseY = 10;
  EXPECT_FALSE(dlg.OnKeyDown(IKeyPress("b", 66)));
  EXPECT_TRUE(background->keysDown.empty()) << "the background never takes keys";
}

TEST_F(EditorDelegate, ScreenScaleWaitsForAReadyWindow)
{
  dlg.nextContextReady = false;
  FakeGfx* g = Open();
  dlg.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 1.f);
  dlg.SetUIReady(true);
  dlg.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 2.f);
}

TEST_F(EditorDelegate, EditorStateHoldsWidthHeightAndScale)
{
  FakeGfx* g = Open();
  g->Resize(1100, 600, 1.25f);
  IByteChunk chunk;
  ASSERT_TRUE(dlg.SerializeEditorState(chunk));
  ASSERT_EQ(chunk.Size(), 12);
  int32_t w = 0, h = 0;
  float s = 0.f;
  std::memcpy(&w, chunk.GetData(), 4);
  std::memcpy(&h, chunk.GetData() + 4, 4);
  std::memcpy(&s, chunk.GetData() + 8, 4);
  EXPECT_EQ(w, 1100);
  EXPECT_EQ(h, 600);
  EXPECT_FLOAT_EQ(s, 1.25f);

  // Read back into an open, ready editor: it is resized.
  g->Resize(1008, 584, 1.f);
  EXPECT_EQ(dlg.UnserializeEditorState(chunk, 0), 12);
  EXPECT_EQ(g->Width(), 1100);
  EXPECT_FLOAT_EQ(g->GetDrawScale(), 1.25f);
}

TEST_F(EditorDelegate, EditorStateReadWhileClosedIsRememberedForTheNextSave)
{
  IByteChunk chunk;
  chunk.PutInt32(0); // something before the state
  chunk.PutInt32(900);
  chunk.PutInt32(500);
  chunk.PutFloat(0.75f);
  EXPECT_EQ(dlg.UnserializeEditorState(chunk, 4), 16);
  IByteChunk saved;
  dlg.SerializeEditorState(saved);
  ASSERT_EQ(saved.Size(), 12);
  EXPECT_EQ(std::memcmp(saved.GetData(), chunk.GetData() + 4, 12), 0);
}

TEST_F(EditorDelegate, ShortOrBadEditorStateIsRefusedAndChangesNothing)
{
  FakeGfx* g = Open();
  g->Resize(1100, 600, 1.25f);
  dlg.CloseWindow();

  IByteChunk eightBytes;
  eightBytes.PutInt32(700);
  eightBytes.PutInt32(400);
  EXPECT_EQ(dlg.UnserializeEditorState(eightBytes, 0), -1);
  EXPECT_EQ(dlg.UnserializeEditorState(eightBytes, -4), -1);

  IByteChunk notANumber;
  notANumber.PutInt32(700);
  notANumber.PutInt32(400);
  notANumber.PutFloat(std::nanf(""));
  EXPECT_EQ(dlg.UnserializeEditorState(notANumber, 0), -1);

  IByteChunk saved;
  dlg.SerializeEditorState(saved);
  int32_t w = 0;
  float s = 0.f;
  std::memcpy(&w, saved.GetData(), 4);
  std::memcpy(&s, saved.GetData() + 8, 4);
  EXPECT_EQ(w, 1100);
  EXPECT_FLOAT_EQ(s, 1.25f);
}

} // namespace
