#pragma once

#include "graphics/IBitmap.h"
#include "graphics/IControl.h"

namespace plugkit::gfx {

// The second base of controls drawn from a film strip: the frame shown
// follows value 0.
class IBitmapBase
{
public:
  explicit IBitmapBase(const IBitmap& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;

  void AttachIControl(IControl* pControl) { mControl = pControl; }
  // Draws the frame for value 0 centred in the control; an invalid bitmap
  // draws nothing.
  void DrawBitmap(IGfx& g);
  // The frame (1-based) that value shows.
  int FrameForValue(double value) const;
  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
  IControl* mControl = nullptr;
};

// A film-strip bitmap at a point; the context's bitmap background is one.
// On an invalid bitmap it is 0 x 0 and draws nothing.
class IBitmapControl : public IControl, public IBitmapBase
{
public:
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = -1, EBlend blend = kBlendDefault);

  void Draw(IGfx& g) override { DrawBitmap(g); }
  // Loads the bitmap again for the current scale.
  void OnRescale() override;
};

} // namespace plugkit::gfx
