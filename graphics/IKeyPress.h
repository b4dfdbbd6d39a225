#pragma once

#include <cstdint>

namespace plugkit {

// One key event as the editor view or the host hands it on: the virtual key
// code (0 when the key has none; letters carry their upper-case ASCII code),
// the character as UTF-8 (at most 4 bytes, NUL-terminated, empty when there
// is none) and the shift, control (Command on macOS) and option modifiers.
struct IKeyPress
{
  int32_t VK = 0;
  char utf8[5] = {};
  bool S = false;
  bool C = false;
  bool A = false;

  IKeyPress() = default;
  // Takes at most 4 bytes of the text; a null text gives the empty text.
  IKeyPress(const char* text, int32_t vk, bool shift = false, bool ctrl = false, bool alt = false)
    : VK(vk), S(shift), C(ctrl), A(alt)
  {
    // A byte loop rather than strncpy: a 4-byte character is not a truncation.
    for (int i = 0; text && i < 4 && text[i] != '\0'; ++i)
      utf8[i] = text[i];
  }
};

namespace gfx {
// The graphics code names it as one of its own.
using plugkit::IKeyPress;
} // namespace gfx

} // namespace plugkit
