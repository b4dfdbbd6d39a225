#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/framework/fakes/RecordingDelegate.h"

namespace {

using fakes::FakeControl;
using fakes::EditorStateChunk;
using fakes::FakeGfx;
using fakes::RecordingDelegate;
using plugkit::IByteChunk;
using plugkit::IMidiMsg;
using plugkit::gfx::IKeyPress;
using plugkit::gfx::IRECT;
using Events = std::vector<std::string>;

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
  FakeControl* Attach(FakeGfx* g, std::initializer_list<int> params, IRECT r = IRECT(0, 0, 10, 10), int tag = -1)
  {
    auto* c = new FakeControl(r, params);
    g->AttachControl(c, tag);
    return c;
  }
  // The size and scale the delegate would save now.
  std::tuple<int32_t, int32_t, float> Saved()
  {
    IByteChunk chunk;
    EXPECT_TRUE(dlg.SerializeEditorState(chunk));
    EXPECT_EQ(chunk.Size(), 12);
    int32_t w = 0, h = 0;
    float s = 0.f;
    chunk.GetInt32(w, 0);
    chunk.GetInt32(h, 4);
    chunk.GetFloat(s, 8);
    return {w, h, s};
  }

  RecordingDelegate dlg;
};

TEST_F(EditorDelegate, OpeningMakesLaysOutAndAnnouncesAContextAndASecondOpenClosesTheFirstBeforeMakingAnother)
{
  bool firstGone = false;
  FakeGfx* first = Open();
  EXPECT_EQ(dlg.events, (Events{"make", "OpenWindow", "layout", "OnUIOpen"}));
  EXPECT_TRUE(dlg.IsUIReady() && dlg.GetUI() == first && dlg.GetGraphicsContext() == first);
  first->destroyed = &firstGone;
  dlg.events.clear();
  FakeGfx* second = Open();
  EXPECT_TRUE(firstGone);
  EXPECT_EQ(dlg.events, (Events{"OnUIClose", "CloseWindow", "make", "OpenWindow", "layout", "OnUIOpen"}));
  EXPECT_EQ(dlg.GetGraphicsContext(), second);
  // Without a context to make, or a function to make one, the editor stays
  // closed and nothing is announced.
  for (const bool withFunction : {true, false})
  {
    RecordingDelegate none(1);
    none.makeNothing = true;
    if (!withFunction)
      none.SetMakeGraphicsFunc(nullptr);
    EXPECT_EQ(none.OpenWindow(nullptr), nullptr);
    EXPECT_EQ(none.GetGraphicsContext(), nullptr);
    EXPECT_EQ(none.events, withFunction ? Events{"make"} : Events{});
  }
}

TEST_F(EditorDelegate, ReopeningRestoresTheSizeAndScaleOfTheLastCloseOnceThePlatformWasReady)
{
  for (const bool ready : {true, false})
  {
    RecordingDelegate d(1);
    d.nextContextReady = ready;
    d.OpenWindow(nullptr);
    d.made.back()->Resize(1200, 700, 1.5f);
    d.CloseWindow();
    EXPECT_EQ(d.GetGraphicsContext(), nullptr);
    d.OpenWindow(nullptr);
    EXPECT_EQ(d.made.back()->Width(), ready ? 1200 : 1008);
    EXPECT_EQ(d.made.back()->Height(), ready ? 700 : 584);
    EXPECT_FLOAT_EQ(d.made.back()->GetDrawScale(), ready ? 1.5f : 1.f);
  }
}

TEST_F(EditorDelegate, CloseIsNotReenteredAndDestroyingAnOpenEditorDeletesItSilently)
{
  Open()->reenterDelegateOnClose = true;
  dlg.CloseWindow();
  EXPECT_EQ(dlg.uiCloseCalls, 1);
  EXPECT_EQ(dlg.GetGraphicsContext(), nullptr);
  dlg.CloseWindow(); // closed already: only the announcement
  EXPECT_EQ(dlg.uiCloseCalls, 2);
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

TEST_F(EditorDelegate, ValuesReachEveryLinkedValueAtItsOwnIndexUnlessHeldByTheMouse)
{
  dlg.GetParam(2)->Set(75.0);
  FakeControl* mix = nullptr;
  dlg.SetLayoutFunc([&](plugkit::gfx::IGfx* g) { mix = Attach(static_cast<FakeGfx*>(g), {2}); });
  FakeGfx* g = Open();
  EXPECT_DOUBLE_EQ(mix->GetValue(0), 0.75) << "opening shows every parameter";
  FakeControl* single = Attach(g, {1});
  FakeControl* multi = Attach(g, {0, 1, 2});
  FakeControl* reversed = Attach(g, {2, 1});
  FakeControl* other = Attach(g, {0});
  FakeControl* outside = Attach(g, {3, -1});
  const auto values = [&] {
    return std::vector<double>{single->GetValue(0), multi->GetValue(0),    multi->GetValue(1), multi->GetValue(2),
                               reversed->GetValue(0), reversed->GetValue(1), other->GetValue(0)};
  };
  dlg.paramChangesUI.clear();
  // A real value of a stepped parameter: stepped to 3, then normalised.
  dlg.SendParameterValueFromDelegate(1, 3.4, false);
  EXPECT_EQ(values(), (std::vector<double>{0.3, 0.0, 0.3, 0.0, 0.0, 0.3, 0.0}));
  EXPECT_EQ(dlg.paramChangesUI, (std::vector<std::pair<int, int>>{{1, 4}}));
  dlg.SendParameterValueFromDelegate(2, 0.25, true);
  EXPECT_TRUE(multi->GetValue(2) == 0.25 && reversed->GetValue(0) == 0.25);
  // Indices outside the list reach nothing.
  dlg.SendParameterValueFromDelegate(3, 5.0, false);
  dlg.SendParameterValueFromDelegate(-1, 0.5, false);
  EXPECT_TRUE(outside->GetValue(0) == 0.0 && outside->GetValue(1) == 0.0);
  EXPECT_EQ(dlg.paramChangesUI.size(), 2u);
  // A control held by the mouse keeps its value until released.
  mix->SetValue(0.1);
  g->Capture(0, mix);
  dlg.SendParameterValueFromDelegate(2, 0.9, true);
  EXPECT_DOUBLE_EQ(mix->GetValue(0), 0.1);
  g->ReleaseMouseCapture();
  dlg.SendParameterValueFromDelegate(2, 0.9, true);
  EXPECT_DOUBLE_EQ(mix->GetValue(0), 0.9);
}

TEST_F(EditorDelegate, ControlValuesMessagesAndMidiReachOnlyTheControlsTheyAreFor)
{
  FakeGfx* g = Open();
  FakeControl* tagged = Attach(g, {-1}, IRECT(0, 0, 10, 10), 5);
  FakeControl* valueless = Attach(g, {}, IRECT(0, 0, 10, 10), 7);
  FakeControl* keyboard = Attach(g, {-1});
  keyboard->SetWantsMidi(true);
  FakeControl* knob = Attach(g, {0});
  const char data[] = "scope";
  // By tag: an unknown tag reaches nothing, and a control that holds no
  // value takes none.
  dlg.SendControlValueFromDelegate(6, 0.5);
  EXPECT_EQ(tagged->GetValue(0), 0.0);
  dlg.SendControlValueFromDelegate(5, 0.5);
  dlg.SendControlValueFromDelegate(7, 0.5);
  EXPECT_TRUE(tagged->GetValue(0) == 0.5 && valueless->NVals() == 0);
  dlg.SendControlMsgFromDelegate(5, 42, 5, data);
  dlg.SendControlMsgFromDelegate(9, 43, 5, data);
  dlg.SendControlMsgFromDelegate(5, 44, 0, nullptr);
  EXPECT_EQ(tagged->messages, (std::vector<std::string>{"42:scope", "44:"}));
  EXPECT_TRUE(knob->messages.empty() && valueless->messages.empty());
  // MIDI: the controls that want it, then the delegate.
  dlg.SendMidiMsgFromDelegate(IMidiMsg{7, 0x90, 60, 100});
  ASSERT_EQ(keyboard->midi.size(), 1u);
  EXPECT_TRUE(keyboard->midi[0].mData1 == 60 && knob->midi.empty() && tagged->midi.empty());
  ASSERT_EQ(dlg.midiToUI.size(), 1u);
  EXPECT_EQ(dlg.midiToUI[0].mOffset, 7);
}

TEST_F(EditorDelegate, KeysAndTheScreenScaleWaitForAReadyWindow)
{
  // Keys go to the control under the mouse, and only once the window is
  // ready; the background never takes them.
  EXPECT_FALSE(dlg.OnKeyDown(IKeyPress("a", 65)));
  dlg.nextContextReady = false;
  FakeControl* background = nullptr;
  FakeControl* knob = nullptr;
  dlg.SetLayoutFunc([&](plugkit::gfx::IGfx* gfx) {
    auto* g = static_cast<FakeGfx*>(gfx);
    background = Attach(g, {-1}, IRECT(0, 0, 1008, 584));
    knob = Attach(g, {0}, IRECT(100, 100, 200, 200));
    knob->takesKeys = true;
  });
  FakeGfx* g = Open();
  struct Case { bool ready; float mouse; bool taken; std::vector<int> knobKeys; };
  for (const Case& c : {Case{false, 150.f, false, {}}, Case{true, 150.f, true, {65}}, Case{true, 10.f, false, {}}})
  {
    dlg.SetUIReady(c.ready);
    g->mouseX = g->mouseY = c.mouse;
    knob->keysDown.clear();
    knob->keysUp.clear();
    EXPECT_EQ(dlg.OnKeyDown(IKeyPress("a", 65)), c.taken) << c.ready << c.mouse;
    EXPECT_EQ(dlg.OnKeyUp(IKeyPress("a", 65)), c.taken) << c.ready << c.mouse;
    EXPECT_TRUE(knob->keysDown == c.knobKeys && knob->keysUp == c.knobKeys) << c.ready << c.mouse;
  }
  EXPECT_TRUE(background->keysDown.empty());
  // The screen scale reaches the context only once the window is ready.
  dlg.SetUIReady(false);
  dlg.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 1.f);
  dlg.SetUIReady(true);
  dlg.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 2.f);
}

TEST_F(EditorDelegate, EditorStateHoldsWidthHeightAndScale)
{
  // Read while closed (after something else in the chunk), it is what the
  // next save gives; read into an open, ready editor, it resizes it.
  IByteChunk chunk;
  chunk.PutInt32(0);
  chunk.PutChunk(EditorStateChunk(900, 500, 0.75f));
  EXPECT_EQ(dlg.UnserializeEditorState(chunk, 4), 16);
  EXPECT_EQ(Saved(), std::make_tuple(900, 500, 0.75f));
  FakeGfx* g = Open();
  g->Resize(1100, 600, 1.25f);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
  g->Resize(1008, 584, 1.f);
  EXPECT_EQ(dlg.UnserializeEditorState(EditorStateChunk(1100, 600, 1.25f), 0), 12);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
  // A zero size or scale means "no size saved": accepted, and the open
  // editor keeps its size.
  for (const IByteChunk& zero :
       {EditorStateChunk(0, 700, 1.5f), EditorStateChunk(700, 0, 1.5f), EditorStateChunk(700, 400, 0.f)})
  {
    EXPECT_EQ(dlg.UnserializeEditorState(zero, 0), 12);
    EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
  }
}

TEST_F(EditorDelegate, ShortOrBadEditorStateIsRefusedAndChangesNothing)
{
  Open()->Resize(1100, 600, 1.25f);
  dlg.CloseWindow();
  IByteChunk eightBytes;
  eightBytes.PutInt32(700);
  eightBytes.PutInt32(400);
  EXPECT_EQ(dlg.UnserializeEditorState(eightBytes, 0), -1);
  EXPECT_EQ(dlg.UnserializeEditorState(eightBytes, -4), -1);
  for (const IByteChunk& bad : {EditorStateChunk(700, 400, std::nanf("")), EditorStateChunk(-1, 400, 1.f),
                                EditorStateChunk(700, -400, 1.f), EditorStateChunk(700, 400, -1.f)})
    EXPECT_EQ(dlg.UnserializeEditorState(bad, 0), -1);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
}

} // namespace
