#include "resources/TextPainter.h"

#include <cmath>
#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace tolvane3::artwork {

struct TextPainter::Info
{
  stbtt_fontinfo font;
};

bool TextPainter::Load(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  mData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  auto info = std::make_shared<Info>();
  if (mData.empty() || !stbtt_InitFont(&info->font, mData.data(), stbtt_GetFontOffsetForIndex(mData.data(), 0)))
    return false;
  mInfo = info;
  return true;
}

float TextPainter::Width(const char* text, float size) const
{
  const float s = stbtt_ScaleForPixelHeight(&mInfo->font, size);
  float w = 0.f;
  for (const char* p = text; *p; ++p)
  {
    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&mInfo->font, static_cast<unsigned char>(*p), &advance, &lsb);
    w += advance * s;
    if (p[1])
      w += stbtt_GetCodepointKernAdvance(&mInfo->font, static_cast<unsigned char>(*p), static_cast<unsigned char>(p[1])) * s;
  }
  return w;
}

void TextPainter::DrawCentred(Canvas& canvas, const char* text, float x, float y, float size, Rgba c) const
{
  DrawLeft(canvas, text, x - Width(text, size) * 0.5f, y, size, c);
}

void TextPainter::DrawLeft(Canvas& canvas, const char* text, float x, float y, float size, Rgba c) const
{
  const float px = static_cast<float>(canvas.Scale());
  const float s = stbtt_ScaleForPixelHeight(&mInfo->font, size * px);
  float penX = x * px;
  const float baseline = y * px;
  for (const char* p = text; *p; ++p)
  {
    const int cp = static_cast<unsigned char>(*p);
    int w = 0, h = 0, xoff = 0, yoff = 0;
    const float shift = penX - std::floor(penX);
    unsigned char* mask = stbtt_GetCodepointBitmapSubpixel(&mInfo->font, s, s, shift, 0.f, cp, &w, &h, &xoff, &yoff);
    if (mask)
    {
      canvas.BlendMask(mask, w, h, static_cast<int>(std::floor(penX)) + xoff, static_cast<int>(std::lround(baseline)) + yoff, c);
      stbtt_FreeBitmap(mask, nullptr);
    }
    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&mInfo->font, cp, &advance, &lsb);
    penX += advance * s;
    if (p[1])
      penX += stbtt_GetCodepointKernAdvance(&mInfo->font, cp, static_cast<unsigned char>(p[1])) * s;
  }
}

} // namespace tolvane3::artwork
