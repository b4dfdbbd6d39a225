// The editor view's translation of key events into the context's key
// records: virtual keys as the framework's other platforms number them.
#include <cwctype>

#include "graphics/platform/IGfxView_vTolvane3_au.h"

namespace plugkit::gfx {

namespace {

// Hardware key codes of the keys without a character of their own (or whose
// character would be ambiguous), with their virtual keys.
struct KeyCodeRow
{
  unsigned short keyCode;
  int32_t vk;
};

constexpr KeyCodeRow kKeyCodes[] = {
  {51, 8}, {65, 110}, {67, 106}, {69, 107}, {71, 144}, {75, 111}, {76, 0x800D}, {78, 109}, {81, 108},
  {82, 96}, {83, 97}, {84, 98}, {85, 99}, {86, 100}, {87, 101}, {88, 102}, {89, 103}, {91, 104},
  {92, 105}, {96, 116}, {97, 117}, {98, 118}, {99, 114}, {100, 119}, {101, 120}, {103, 122}, {105, 124},
  {106, 127}, {107, 125}, {109, 121}, {111, 123}, {113, 126}, {114, 45}, {115, 36}, {116, 33}, {117, 46},
  {118, 115}, {119, 35}, {120, 113}, {121, 34}, {122, 112}, {123, 37}, {124, 39}, {125, 40}, {126, 38},
};

enum : int
{
  kValid = 1,
  kShift = 4,
  kCommand = 8,
  kOption = 16,
  kControl = 32,
};

constexpr char16_t kFirstFunctionKey = 0xF704; // F1
constexpr char16_t kLastFunctionKey = 0xF71B;  // F24
constexpr char16_t kBackTab = 25;              // what Shift+Tab types

void AppendUTF8(char32_t cp, char* out)
{
  if (cp < 0x80)
    out[0] = static_cast<char>(cp);
  else if (cp < 0x800)
  {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
  }
  else
  {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
  }
}

} // namespace

IKeyPress TranslateKeyEvent(unsigned short keyCode, const std::string& characters, uint64_t modifierFlags)
{
  int flags = 0;
  if (modifierFlags & NSEventModifierFlagShift)
    flags |= kShift;
  if (modifierFlags & NSEventModifierFlagCommand)
    flags |= kCommand;
  if (modifierFlags & NSEventModifierFlagOption)
    flags |= kOption;
  if (modifierFlags & NSEventModifierFlagControl)
    flags |= kControl;

  const std::u16string units = NSStringUTF16(characters);
  int32_t code = 0;
  for (const KeyCodeRow& row : kKeyCodes)
    if (row.keyCode == keyCode)
    {
      code = row.vk;
      flags |= kValid;
      break;
    }
  if (!(flags & kValid))
  {
    if (units.empty())
    {
      code = keyCode + 1024;
      flags |= kValid;
    }
    else if (units[0] >= kFirstFunctionKey && units[0] <= kLastFunctionKey)
    {
      code = 112 + (units[0] - kFirstFunctionKey);
      flags |= kValid;
    }
    else
    {
      char16_t c = units[0];
      if (c >= u'a' && c <= u'z')
        c = static_cast<char16_t>(c - u'a' + u'A');
      // Shift+Tab arrives as back-tab: it is Tab with Shift held.
      if (c == kBackTab)
        c = 9;
      // Wide classes: the narrow ones are undefined beyond one byte.
      if (std::iswalpha(c) || std::iswdigit(c) || c == 9 || c == 10 || c == 13 || c == 27 || c == 32)
        flags |= kValid;
      code = c;
    }
  }
  if (!(flags & kValid))
    flags &= ~kShift;

  IKeyPress key;
  key.VK = (flags & kValid) ? code : 0;
  // A lone character that is no surrogate fits three UTF-8 bytes.
  if (units.size() == 1 && (units[0] < 0xD800 || units[0] > 0xDFFF))
    AppendUTF8(units[0], key.utf8);
  key.S = (flags & kShift) != 0;
  key.C = (flags & kCommand) != 0;
  key.A = (flags & kOption) != 0;
  return key;
}

} // namespace plugkit::gfx
