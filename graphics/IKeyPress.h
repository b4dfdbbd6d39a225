#pragma once

#include <cstdint>
#include <cstring>

namespace plugkit::gfx {

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
    if (text)
      std::strncpy(utf8, text, 4);
    utf8[4] = '\0';
  }
};

} // namespace plugkit::gfx
