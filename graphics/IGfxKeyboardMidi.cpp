// Two small input services: letter keys played as a piano, and gestures
// routed to a control or a screen region.
#include <algorithm>
#include <array>

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// One keyboard for the process: every editor shares the octave and the
// notes held.
struct QwertyMidiState
{
  int baseNote = 48;
  std::array<bool, 128> held{};
};

QwertyMidiState& MidiState()
{
  static QwertyMidiState state;
  return state;
}

// Semitones above the base note of the mapped letters, -1 for the others.
int SemitoneOf(int vk)
{
  static constexpr char kKeys[] = "AWSEDFTGYHUJKOL";
  for (int i = 0; kKeys[i]; ++i)
    if (kKeys[i] == vk)
      return i;
  return -1;
}

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;

} // namespace

void IGfx::ResetQwertyMidiState()
{
  MidiState() = QwertyMidiState();
}

void IGfx::SetQwertyMidiKeyHandlerFunc(std::function<void(const IMidiMsg& msg)> func)
{
  IGEditorDelegate* dlg = mDelegate;
  SetKeyHandlerFunc([dlg, func = std::move(func)](const IKeyPress& key, bool isUp) {
    const auto send = [&](uint8_t status, int note, int velocity) {
      IMidiMsg msg;
      msg.mStatus = status;
      msg.mData1 = static_cast<uint8_t>(note);
      msg.mData2 = static_cast<uint8_t>(velocity);
      dlg->SendMidiMsgFromUI(msg);
      if (func)
        func(msg);
    };
    QwertyMidiState& state = MidiState();
    if (key.VK == 'Z' || key.VK == 'X')
    {
      if (isUp)
        return true;
      state.baseNote = key.VK == 'Z' ? std::min(std::max(state.baseNote, 36), 108) - 12
                                     : std::min(std::max(state.baseNote, 12), 84) + 12;
      // The flags go with the note-offs: a key still down is a new press
      // next time, and the next octave change sends no second note-off.
      for (int note = 0; note < 128; ++note)
        if (state.held[static_cast<size_t>(note)])
        {
          state.held[static_cast<size_t>(note)] = false;
          send(kNoteOff, note, 0);
        }
      return true;
    }
    const int semitone = key.VK >= 'A' && key.VK <= 'Z' ? SemitoneOf(key.VK) : -1;
    if (semitone < 0)
      return true;
    const int note = state.baseNote + semitone;
    bool& held = state.held[static_cast<size_t>(note)];
    if (!isUp && !held)
    {
      held = true;
      send(kNoteOn, note, 127);
    }
    else if (isUp && held)
    {
      held = false;
      send(kNoteOff, note, 0);
    }
    return true;
  });
}

void IGfx::AttachGestureRecognizerToRegion(const IRECT& region, EGestureType type, IGestureFunc func)
{
  mGestureRegions.Add(region);
  AttachGestureRecognizer(type);
  mGestureRegionFuncs.emplace(mGestureRegions.Size() - 1, std::move(func));
}

void IGfx::ClearGestureRegions()
{
  mGestureRegions.Clear();
  mGestureRegionFuncs.clear();
}

IControl* IGfx::GestureControlAt(float x, float y)
{
  // Found as every pointer event finds its control: a capture, an open menu
  // or entry, the corner resizer and frame-time display come first.
  IControl* c = GetMouseControl(x, y, false, false, 0);
  return c && c->HasGestureHandlers() && !c->IsAnimating() ? c : nullptr;
}

const IGestureFunc* IGfx::GestureRegionFuncAt(float x, float y) const
{
  for (int i = 0; i < mGestureRegions.Size(); ++i)
    if (mGestureRegions.Get(i).Contains(x, y))
    {
      // The first region holding the point decides; an empty function is no
      // handler.
      const auto it = mGestureRegionFuncs.find(i);
      return it != mGestureRegionFuncs.end() && it->second ? &it->second : nullptr;
    }
  return nullptr;
}

bool IGfx::RespondsToGesture(float x, float y)
{
  return GestureControlAt(x, y) || GestureRegionFuncAt(x, y);
}

void IGfx::OnGestureRecognized(const IGestureInfo& info)
{
  if (IControl* c = GestureControlAt(info.x, info.y))
    c->OnGesture(info);
  else if (const IGestureFunc* found = GestureRegionFuncAt(info.x, info.y))
  {
    // A copy: the function may clear the regions that hold it.
    const IGestureFunc func = *found;
    func(nullptr, info);
  }
}

} // namespace plugkit::gfx
