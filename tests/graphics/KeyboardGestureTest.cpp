#include <gtest/gtest.h>

#include <functional>

#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;

struct Note
{
  int status, note, velocity;
  bool operator==(const Note&) const = default;
};

class QwertyMidi : public EditorTest
{
protected:
  void SetUp() override
  {
    EditorTest::SetUp();
    g->SetQwertyMidiKeyHandlerFunc([this](const plugkit::IMidiMsg& msg) {
      // The delegate has heard it already.
      heardFirst = heardFirst && !dlg.midiFromUI.empty() && dlg.midiFromUI.back().mData1 == msg.mData1;
      played.push_back({msg.mStatus, msg.mData1, msg.mData2});
    });
  }
  // "A", "A^" (release), ... played through the context.
  std::vector<Note> Play(std::initializer_list<const char*> keys)
  {
    played.clear();
    for (const char* k : keys)
    {
      const bool up = k[1] == '^';
      const IKeyPress key(k, k[0] == ' ' ? 32 : k[0]);
      EXPECT_TRUE(up ? g->OnKeyUp(0.f, 0.f, key) : g->OnKeyDown(0.f, 0.f, key)) << k;
    }
    return played;
  }

  std::vector<Note> played;
  bool heardFirst = true;
};

TEST_F(QwertyMidi, LettersPlayNotesAndOctaveKeysShiftWithinRange)
{
  struct Case { const char* name; std::initializer_list<const char*> keys; std::vector<Note> notes; };
  const Case cases[] = {
    {"held with repeat", {"A", "A", "A^"}, {{144, 48, 127}, {128, 48, 0}}},
    {"upper keys", {"K", "O", "L", "K^", "O^", "L^"},
     {{144, 60, 127}, {144, 61, 127}, {144, 62, 127}, {128, 60, 0}, {128, 61, 0}, {128, 62, 0}}},
    {"down to the floor", {"Z", "Z", "Z", "A", "A^"}, {{144, 24, 127}, {128, 24, 0}}},
    {"up to the ceiling", {"X", "X", "X", "X", "X", "X", "A", "A^"}, {{144, 96, 127}, {128, 96, 0}}},
    {"silent keys", {"Z^", "X^", "1", " ", "Q", "Q^"}, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IGfx::ResetQwertyMidiState();
    EXPECT_EQ(Play(c.keys), c.notes);
  }
  EXPECT_TRUE(heardFirst);
}

TEST_F(QwertyMidi, OctaveChangeReleasesHeldNotesOnce)
{
  // A held across Z and back with X, then struck again.
  EXPECT_EQ(Play({"A", "Z", "X", "A"}), (std::vector<Note>{{144, 48, 127}, {128, 48, 0}, {144, 48, 127}}));
}

class Gestures : public EditorTest
{
protected:
  IGestureInfo At(float x, float y)
  {
    IGestureInfo info;
    info.x = x;
    info.y = y;
    info.type = kGesturePinch;
    return info;
  }
};

TEST_F(Gestures, ControlWithHandlersWinsElseTheRegion)
{
  int controlHits = 0, regionHits = 0;
  ProbeControl* handled = Probe("handled", IRECT(0, 0, 100, 100));
  handled->AttachGestureHandler(kGesturePinch, [&](IControl* c, const IGestureInfo&) { controlHits += c == handled; });
  Probe("plain", IRECT(100, 0, 200, 100));
  g->AttachGestureRecognizerToRegion(IRECT(0, 0, 400, 300), kGesturePinch,
    [&](IControl* c, const IGestureInfo&) { regionHits += c == nullptr; });
  g->OnGestureRecognized(At(50, 50));
  g->OnGestureRecognized(At(150, 50));
  EXPECT_EQ(controlHits, 1);
  EXPECT_EQ(regionHits, 1);
  EXPECT_TRUE(g->RespondsToGesture(150, 50));
  g->ClearGestureRegions();
  EXPECT_FALSE(g->RespondsToGesture(150, 50));
  EXPECT_TRUE(g->RespondsToGesture(50, 50));
}

TEST_F(Gestures, RegionWithAnEmptyFunctionIsNoHandler)
{
  int behindHits = 0;
  g->AttachGestureRecognizerToRegion(IRECT(0, 0, 400, 300), kGesturePinch, nullptr);
  g->AttachGestureRecognizerToRegion(IRECT(0, 0, 400, 300), kGesturePinch,
    [&](IControl*, const IGestureInfo&) { ++behindHits; });
  EXPECT_NO_THROW(g->OnGestureRecognized(At(50, 50)));
  // The first region holding the point decides, for both questions alike.
  EXPECT_EQ(behindHits, 0);
  EXPECT_FALSE(g->RespondsToGesture(50, 50));
}

TEST_F(Gestures, GestureFindsItsControlAsThePointerDoes)
{
  enum class Target { kHandled, kRegion, kNone };
  struct Case { const char* name; std::function<void(ProbeControl* handled)> setUp; float x; bool region;
    Target want; };
  const Case cases[] = {
    {"over the control", [](ProbeControl*) {}, 50, true, Target::kHandled},
    {"a held control takes it anywhere", [this](ProbeControl*) { g->OnMouseDown(MouseAction().Press(50, 50)); },
      250, true, Target::kHandled},
    {"an open text entry covers the control", [this](ProbeControl* handled) {
       g->AttachTextEntryControl();
       g->CreateTextEntry(*handled, IText(), IRECT(300, 200, 350, 220), "1");
     }, 50, true, Target::kRegion},
    {"a running animation takes none", [](ProbeControl* handled) {
       handled->SetAnimation([](IControl*) {}, 1000);
     }, 50, true, Target::kRegion},
    {"nor does the region without it", [](ProbeControl* handled) {
       handled->SetAnimation([](IControl*) {}, 1000);
     }, 50, false, Target::kNone},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    g->ClearGestureRegions();
    Target got = Target::kNone;
    ProbeControl* handled = Probe("handled", IRECT(0, 0, 100, 100));
    handled->AttachGestureHandler(kGesturePinch, [&](IControl*, const IGestureInfo&) { got = Target::kHandled; });
    Probe("plain", IRECT(200, 0, 300, 100));
    if (c.region)
      g->AttachGestureRecognizerToRegion(IRECT(0, 0, 400, 300), kGesturePinch,
        [&](IControl*, const IGestureInfo&) { got = Target::kRegion; });
    c.setUp(handled);
    EXPECT_EQ(g->RespondsToGesture(c.x, 50), c.want != Target::kNone);
    g->OnGestureRecognized(At(c.x, 50));
    EXPECT_EQ(got, c.want);
  }
}

} // namespace
