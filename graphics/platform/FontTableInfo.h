#pragma once

// What the editor needs to know of a TrueType or OpenType font's bytes: where
// the face of a collection starts, where its 'head', 'name', 'hhea' and
// 'fdsc' tables lie, its family and style names and the metrics that relate
// point sizes to em sizes. Every read is checked against the size, so cut or
// damaged bytes (a memory font, a broken file) only make the view invalid.

#include <cstdint>

#include "graphics/PK_String.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

struct IFontTableInfo
{
  IFontTableInfo() = default;
  // Parses face `faceIndex` of the bytes; does not keep or own them beyond
  // `data`, which points into them.
  IFontTableInfo(const uint8_t* bytes, int size, int faceIndex) { Parse(bytes, size, faceIndex); }
  IFontTableInfo(const IFontTableInfo&) = delete;
  IFontTableInfo& operator=(const IFontTableInfo&) = delete;

  bool IsValid() const { return data && head && name && hhea; }
  // Units per em over the line height, 1.0 when the line height is not
  // above 0.
  double EmRatio() const;

  const uint8_t* data = nullptr;
  uint32_t head = 0, name = 0, hhea = 0, fdsc = 0;
  PK_String family;
  PK_String style;
  uint16_t macStyle = 0;
  uint16_t unitsPerEm = 0;
  int16_t ascender = 0, descender = 0, lineGap = 0;

protected:
  void Parse(const uint8_t* bytes, int size, int faceIndex);

private:
  void ReadNameString(int nameID, PK_String& out) const;
  const uint8_t* mFileStart = nullptr;
  uint32_t mFileSize = 0;
};

// Table information over its own copy of the bytes, and the face chosen
// (-1: none matched).
struct IFontFileData : IFontTableInfo
{
  IFontFileData(const uint8_t* bytes, int size, int faceIndex);

  const uint8_t* Bytes() const { return mBytes.Get(); }
  int GetSize() const { return mBytes.GetSize(); }
  int GetFaceIdx() const { return mFaceIdx; }

private:
  PK_TypedBuf<uint8_t> mBytes{4096};
  int mFaceIdx;
};

// The first face whose style name is set and equals `style` byte for byte
// (any face with a style name when `style` is empty); -1 when a face is
// reached that does not parse first, or when the faces' table directories
// together would take more than the bytes (they overlap: damaged). A face
// listed twice in a collection is looked at once.
int FindFaceIndexByStyle(const uint8_t* bytes, int size, const char* style);

} // namespace plugkit::gfx
