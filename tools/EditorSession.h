// A unit's editor opened as a host opens it: the view factory named by the
// CocoaUI property makes the view, which goes into a headless window on a
// screen of the given backing scale; the main loop runs on the manual clock
// until the first frame shows. Events from a script are played at their
// times, and what the window shows can be taken at any moment. The window
// follows the view's size when the editor resizes it (its resize corner,
// its size menu), as a host's window does. Closing removes the view from
// its window as a host does, which closes the editor.
// Main thread.
#pragma once

#include <memory>
#include <string>

#include "AppKit/AppKit.h"
#include "AudioUnit/AudioUnit.h"
#include "StandIn/WindowSnapshot.h"
#include "tools/EditorScript.h"

namespace auhost {

class EditorSession
{
public:
  // Null with `error` set when the unit offers no view or it shows nothing.
  static std::unique_ptr<EditorSession> Open(AudioUnit unit, double scale, std::string& error);
  ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  // Runs the loop up to the event's time (milliseconds after the first
  // frame) and plays it; a snapshot event writes its file. False with
  // `error` set when a snapshot cannot be written.
  bool Play(const EditorEvent& event, std::string& error);
  // Lets the next frame draw, then answers what the window shows.
  standin::WindowImage Snapshot();
  NSWindow& Window() const { return *mWindow; }

private:
  EditorSession() = default;
  NSObject* mFactory = nullptr;
  NSView* mView = nullptr;
  NSWindow* mWindow = nullptr;
  double mNowMs = 0;
};

} // namespace auhost
