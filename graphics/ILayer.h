#pragma once

#include <cstdint>
#include <memory>

#include "graphics/IBitmap.h"
#include "graphics/IRECT.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

class IControl;

// An off-screen drawing target: the back-end image it draws into (owned),
// the control it was made for (may be null) with that control's bounds at
// the time, its own bounds in points aligned to whole pixels, and whether
// it must be drawn again.
struct ILayer
{
  std::unique_ptr<APIBitmap> mBitmap;
  const IControl* mControl = nullptr;
  IRECT mControlRECT;
  IRECT mRECT;
  bool mInvalid = false;

  ILayer(std::unique_ptr<APIBitmap> bitmap, const IRECT& layerRect, const IControl* pControl,
    const IRECT& controlRect)
    : mBitmap(std::move(bitmap)), mControl(pControl), mControlRECT(controlRect), mRECT(layerRect)
  {
  }
  APIBitmap* GetAPIBitmap() const { return mBitmap.get(); }
  const IRECT& Bounds() const { return mRECT; }
  void Invalidate() { mInvalid = true; }
};

using ILayerPtr = std::unique_ptr<ILayer>;

// A layer's pixels: width x height x 4 bytes, the alpha at the back-end's
// alpha channel index.
using IRawBitmapData = PK_TypedBuf<uint8_t>;

} // namespace plugkit::gfx
