#include <initializer_list>
#include <tuple>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/framework/fakes/RecordingDelegate.h"

namespace {

using fakes::FakeControl;
using fakes::FakeGfx;
using fakes::RecordingDelegate;
using plugkit::IByteChunk;
using plugkit::gfx::IRECT;

// An editor state: width, height, scale.
IByteChunk State(int32_t w, int32_t h, float scale)
{
  IByteChunk chunk;
  chunk.PutInt32(w);
  chunk.PutInt32(h);
  chunk.PutFloat(scale);
  return chunk;
}

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
  FakeControl* Attach(FakeGfx* g, std::initializer_list<int> params)
  {
    auto* c = new FakeControl(IRECT(0, 0, 10, 10), params);
    g->AttachControl(c);
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

TEST_F(EditorDelegate, EditorStateHoldsWidthHeightAndScale)
{
  // Read while closed (after something else in the chunk), it is what the
  // next save gives; read into an open, ready editor, it resizes it.
  IByteChunk chunk;
  chunk.PutInt32(0);
  chunk.PutChunk(State(900, 500, 0.75f));
  EXPECT_EQ(dlg.UnserializeEditorState(chunk, 4), 16);
  EXPECT_EQ(Saved(), std::make_tuple(900, 500, 0.75f));
  FakeGfx* g = Open();
  g->Resize(1100, 600, 1.25f);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
  g->Resize(1008, 584, 1.f);
  EXPECT_EQ(dlg.UnserializeEditorState(State(1100, 600, 1.25f), 0), 12);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
  // A zero size or scale means "no size saved": accepted, and the open
  // editor keeps its size.
  for (const IByteChunk& zero : {State(0, 700, 1.5f), State(700, 0, 1.5f), State(700, 400, 0.f)})
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
  for (const IByteChunk& bad : {State(700, 400, std::nanf("")), State(-1, 400, 1.f), State(700, -400, 1.f),
         State(700, 400, -1.f)})
    EXPECT_EQ(dlg.UnserializeEditorState(bad, 0), -1);
  EXPECT_EQ(Saved(), std::make_tuple(1100, 600, 1.25f));
}

} // namespace
