#pragma once

// Builders of the window system's events for tests and the command-line
// host: points in window coordinates (origin bottom-left), modifiers as the
// event's flags.

#include <cstdint>
#include <string>

#include "AppKit/NSEvent.h"
#include "StandIn/Strong.h"

namespace standin {

Strong<NSEvent> MouseEvent(NSEventType type, NSPoint windowPoint, uint64_t modifiers = 0, long clickCount = 1);
Strong<NSEvent> WheelEvent(NSPoint windowPoint, double deltaY, uint64_t modifiers = 0);
// characters: what the key types with the modifiers applied; ignoring:
// without them (the same when null).
Strong<NSEvent> KeyEvent(NSEventType type, unsigned short keyCode, const std::string& characters,
  uint64_t modifiers = 0, const char* ignoring = nullptr);

} // namespace standin
