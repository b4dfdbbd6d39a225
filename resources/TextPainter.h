// Text for the generated pictures, rasterised from a TrueType file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "resources/Canvas.h"

namespace tolvane3::artwork {

class TextPainter
{
public:
  // False when the file cannot be read or is no font.
  bool Load(const std::string& path);

  // ASCII text of the given height (1x units) centred on x, its baseline
  // at y.
  void DrawCentred(Canvas& canvas, const char* text, float x, float y, float size, Rgba c) const;
  void DrawLeft(Canvas& canvas, const char* text, float x, float y, float size, Rgba c) const;
  // The width of the text in 1x units.
  float Width(const char* text, float size) const;

private:
  std::vector<unsigned char> mData;
  struct Info;
  std::shared_ptr<Info> mInfo;
};

} // namespace tolvane3::artwork
