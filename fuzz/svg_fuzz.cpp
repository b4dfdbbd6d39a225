// Feeds arbitrary text to the SVG reader and draws what it made through the
// recording back-end: under AddressSanitizer any read outside the text or
// the image, or a leak of a half-built image, is caught.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/SVG.h"
#include "tests/support/gfx/FakeEditorDelegate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  using namespace plugkit::gfx;
  static gfxtest::FakeEditorDelegate dlg;
  static gfxtest::RecordingGfx* g = [] {
    gfxtest::RecordingGfx* opened = dlg.Open();
    opened->logging = false;
    return opened;
  }();
  static const char* const kUnits[] = {"px", "mm", "in", "em"};
  const std::string text(reinterpret_cast<const char*>(data), size);
  NSVGimage* image = nsvgParse(text.c_str(), kUnits[size % 4], 96.f);
  if (image)
  {
    g->DrawSVG(ISVG(image), IRECT(0.f, 0.f, 100.f, 100.f));
    g->DrawRotatedSVG(ISVG(image), 50.f, 50.f, 40.f, 30.f, 30.f);
  }
  nsvgDelete(image);
  return 0;
}
