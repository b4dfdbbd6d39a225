#include "StandIn/AppKitEvents.h"

#include "CoreFoundation/CFDate.h"

namespace standin {

Strong<NSEvent> MouseEvent(NSEventType type, NSPoint windowPoint, uint64_t modifiers, long clickCount)
{
  auto e = MakeStrong<NSEvent>();
  e->type = type;
  e->locationInWindow = windowPoint;
  e->modifierFlags = modifiers;
  e->clickCount = clickCount;
  e->timestamp = CFAbsoluteTimeGetCurrent();
  return e;
}

Strong<NSEvent> WheelEvent(NSPoint windowPoint, double deltaY, uint64_t modifiers)
{
  Strong<NSEvent> e = MouseEvent(NSEventTypeScrollWheel, windowPoint, modifiers, 0);
  e->deltaY = deltaY;
  return e;
}

Strong<NSEvent> KeyEvent(NSEventType type, unsigned short keyCode, const std::string& characters,
  uint64_t modifiers, const char* ignoring)
{
  auto e = MakeStrong<NSEvent>();
  e->type = type;
  e->keyCode = keyCode;
  e->characters = characters;
  e->charactersIgnoringModifiers = ignoring ? ignoring : characters;
  e->modifierFlags = modifiers;
  e->timestamp = CFAbsoluteTimeGetCurrent();
  return e;
}

} // namespace standin
