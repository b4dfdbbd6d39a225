#pragma once

#include <cstdint>

#include "graphics/PK_String.h"

namespace plugkit::gfx {

struct NSVGimage;

// The back-end's image: a handle of its own, the pixel size and the pixel
// scale (1..4) and draw scale it was made for. Back-ends derive from it;
// caches and layers delete it through the virtual destructor.
class APIBitmap
{
public:
  APIBitmap() = default;
  APIBitmap(int width, int height, float scale, float drawScale)
    : mWidth(width), mHeight(height), mScale(scale), mDrawScale(drawScale)
  {
  }
  virtual ~APIBitmap() = default;
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;

  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  float GetScale() const { return mScale; }
  float GetDrawScale() const { return mDrawScale; }

protected:
  int mWidth = 0;
  int mHeight = 0;
  float mScale = 1.f;
  float mDrawScale = 1.f;
};

// A bitmap as controls use it: a back-end image it does not own, its size in
// points, and its frames (a film strip, side by side or stacked). A null
// image is the invalid bitmap.
class IBitmap
{
public:
  IBitmap() = default;
  // Sizes in points from the image's pixels and scale; a frame count below 1
  // counts as 1, so no frame size divides by zero.
  IBitmap(APIBitmap* pAPIBitmap, int nFrames, bool framesAreHorizontal, const char* name = "")
    : mAPIBitmap(pAPIBitmap), mNFrames(nFrames < 1 ? 1 : nFrames), mFramesAreHorizontal(framesAreHorizontal)
  {
    if (pAPIBitmap && pAPIBitmap->GetScale() > 0.f)
    {
      mW = static_cast<int>(static_cast<float>(pAPIBitmap->GetWidth()) / pAPIBitmap->GetScale());
      mH = static_cast<int>(static_cast<float>(pAPIBitmap->GetHeight()) / pAPIBitmap->GetScale());
    }
    mResourceName.Set(name ? name : "");
  }

  APIBitmap* GetAPIBitmap() const { return mAPIBitmap; }
  bool IsValid() const { return mAPIBitmap != nullptr; }
  int W() const { return mW; }
  int H() const { return mH; }
  int N() const { return mNFrames; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  int FW() const { return mFramesAreHorizontal ? mW / mNFrames : mW; }
  int FH() const { return mFramesAreHorizontal ? mH : mH / mNFrames; }
  const char* GetResourceName() const { return mResourceName.Get(); }

private:
  APIBitmap* mAPIBitmap = nullptr;
  int mW = 0;
  int mH = 0;
  int mNFrames = 1;
  bool mFramesAreHorizontal = false;
  PK_String mResourceName;
};

// A parsed SVG image, owned by the process-wide SVG cache. Null is the
// invalid SVG.
struct ISVG
{
  NSVGimage* mImage = nullptr;

  ISVG() = default;
  explicit ISVG(NSVGimage* pImage) : mImage(pImage) {}
  bool IsValid() const { return mImage != nullptr; }
};

} // namespace plugkit::gfx
