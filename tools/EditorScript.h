// The event script of `auhost editor`: one event a line, "TIME_MS KIND
// ARGS [modifiers]", times on the manual clock from the first frame, points
// in window points from the top-left, no time past a day (a script's times
// are not a calendar's). A '#' at a line's start or after a blank starts a
// comment; one inside a word is the word's.
//
//   move|down|drag|up|rdown|rup X Y     (down may add "clicks N")
//   wheel X Y DY
//   key down|up CODE [TEXT]             TEXT may use \r \t \e \s \xHH; without
//                                       it Return, Tab, Delete, Escape, Enter,
//                                       forward Delete and the arrows carry
//                                       the text the platform sends for them
//   drop X Y PATH
//   focus lost
//   scale N                             the window's backing scale, 1 or 2
//   snapshot FILE                       the window as PNG at that moment
//   modifiers at the end: shift cmd alt ctrl
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace auhost {

struct EditorEvent
{
  enum Kind { kMove, kDown, kDrag, kUp, kRightDown, kRightUp, kWheel, kKeyDown, kKeyUp, kDrop, kFocusLost, kScale,
    kSnapshot };
  double timeMs = 0;
  Kind kind = kMove;
  double x = 0, y = 0;
  double value = 0; // wheel delta, scale
  long clicks = 1;
  int keyCode = 0;
  std::string text; // key characters, drop path, snapshot file
  uint64_t modifiers = 0; // the window system's modifier flags
};

constexpr double kLatestEventMs = 24 * 60 * 60 * 1000.0;
// The most of a script the host reads: far more than a hand or a recorder
// writes.
inline constexpr size_t kMaxEditorScriptBytes = 16u << 20;

// The script's events in order; false, with no events and `error` naming the bad line
// ("line 3: ...") when a line cannot be read or goes back in time.
bool ParseEditorScript(const std::string& script, std::vector<EditorEvent>& events, std::string& error);

} // namespace auhost
