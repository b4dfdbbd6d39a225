#pragma once

#include <cstdint>
#include <vector>

namespace plugkit::gfx {

enum ETextStyle : int32_t { kTextStyleNormal = 0, kTextStyleBold, kTextStyleItalic };

struct IFontFileData;

// A font the platform made from a file, memory or a family name: it owns
// the font's bytes (or the means to read them) until the back-end has
// registered them.
class PlatformFont
{
public:
  explicit PlatformFont(bool system = false) : mSystem(system) {}
  PlatformFont(const void* pData, int size, bool system = false)
    : mData(static_cast<const uint8_t*>(pData), static_cast<const uint8_t*>(pData) + (size > 0 ? size : 0)),
      mSystem(system)
  {
  }
  virtual ~PlatformFont() = default;
  PlatformFont(const PlatformFont&) = delete;
  PlatformFont& operator=(const PlatformFont&) = delete;

  // The platform's descriptor of the font; null when it has none.
  virtual const void* GetDescriptor() const { return nullptr; }
  // A new, caller-owned copy of the font's bytes with their table
  // information; null when this font cannot give one.
  virtual IFontFileData* GetFontData() const { return nullptr; }

  const uint8_t* GetData() const { return mData.data(); }
  int GetSize() const { return static_cast<int>(mData.size()); }
  bool IsSystem() const { return mSystem; }

protected:
  std::vector<uint8_t> mData;
  bool mSystem;
};

} // namespace plugkit::gfx
