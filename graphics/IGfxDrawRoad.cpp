// The draw road: which areas are dirty, and drawing exactly those.
#include <cmath>

#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGfx.h"
#include "graphics/SteadyClock.h"

namespace plugkit::gfx {

namespace {

// Anti-aliased edges reach a little outside a control's rectangle.
constexpr float kDirtyMargin = 0.75f;

} // namespace

bool IGfx::IsDirty(IRECTList& rects)
{
  if (mDisplayTickFunc)
    mDisplayTickFunc();
  ForAllControlsFunc([](IControl* c) { c->Animate(); });
  bool dirty = false;
  ForAllControlsFunc([&](IControl* c) {
    if (c->IsDirty())
    {
      rects.Add(c->GetRECT().GetPadded(kDirtyMargin));
      dirty = true;
    }
  });
  return dirty;
}

void IGfx::DrawDirtyRegions(const IRECTList& rects)
{
  if (rects.Size() == 0)
    return;
  const float scale = GetTotalScale();
  BeginFrame();
  if (mStrict)
  {
    Draw(rects.Bounds().GetPixelAligned(scale), scale);
  }
  else
  {
    IRECTList aligned;
    for (int i = 0; i < rects.Size(); ++i)
      aligned.Add(rects.Get(i).GetPixelAligned(scale));
    aligned.Optimize();
    for (int i = 0; i < aligned.Size(); ++i)
      Draw(aligned.Get(i), scale);
  }
  EndFrame();
}

void IGfx::Draw(const IRECT& area, float scale)
{
  ForAllControlsFunc([&](IControl* c) { DrawControl(c, area, scale); });
}

void IGfx::DrawControl(IControl* pControl, const IRECT& area, float scale)
{
  if (!pControl || (pControl->IsHidden() && pControl != GetControl(0)))
    return;
  const IRECT bounds = pControl->GetRECT().GetPadded(kDirtyMargin).GetPixelAligned(scale);
  const bool meets = !area.Empty() && bounds.R > area.L && area.R >= bounds.L && area.B >= bounds.T && bounds.B > area.T;
  if (!meets)
    return;
  const IRECT clip(std::max(bounds.L, area.L), std::max(bounds.T, area.T), std::min(bounds.R, area.R),
    std::min(bounds.B, area.B));
  if (!(clip.W() > 0.f) || !(clip.H() > 0.f))
    return;
  PathTransformReset(true);
  PathClear();
  SetClipRegion(clip);
  mClipRECT = clip;
  pControl->Draw(*this);
  CompleteControlDraw(clip);
}

void IGfx::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGfx::BeginFrame()
{
  if (!mPerfDisplay)
    return;
  // One start for the process, so frame times of every editor share a base.
  static const double startMs = SteadyTimeMs();
  const double t = (SteadyTimeMs() - startMs) / 1000.0;
  mPerfDisplay->Update(static_cast<float>(t - mPrevTimestamp));
  mPrevTimestamp = t;
}

} // namespace plugkit::gfx
