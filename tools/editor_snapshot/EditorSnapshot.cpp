// editor_snapshot [out.png]: opens the product's editor on the recording
// back-end, prints its control table (index, class, rectangle, parameter,
// tool tip) and writes the bitmaps the first frame drew as one PNG
// (default editor_snapshot.png). For reviewers: the layout without a screen.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <cxxabi.h>

#include "tests/editor/ProductEditorSession.h"
#include "tests/support/gfx/HeadlessView.h"
#include "tests/support/gfx/ImageDecoding.h"
#include "tests/support/gfx/ImageEncoding.h"

using namespace editortest;

namespace {

std::string ClassName(const IControl& c)
{
  int status = 0;
  char* name = abi::__cxa_demangle(typeid(c).name(), nullptr, nullptr, &status);
  std::string out = status == 0 && name ? name : typeid(c).name();
  std::free(name);
  return out;
}

void PrintTable(IGfx& g)
{
  std::printf("%-3s %-40s %-28s %-6s %s\n", "#", "class", "rectangle", "param", "tool tip");
  for (int i = 0; i < g.NControls(); ++i)
  {
    const IControl& c = *g.GetControl(i);
    const IRECT& r = c.GetRECT();
    char rect[64];
    std::snprintf(rect, sizeof rect, "(%g, %g, %g, %g)", r.L, r.T, r.R, r.B);
    std::printf("%-3d %-40s %-28s %-6d %s%s\n", i, ClassName(c).c_str(), rect, c.GetParamIdx(), c.GetTooltip(),
      c.IsHidden() ? " [hidden]" : "");
  }
}

// Composites every recorded bitmap draw, source over, onto a canvas the
// size of the editor.
bool WriteSnapshot(ProductGfx& g, const std::string& path)
{
  const int w = g.Width(), h = g.Height();
  std::vector<uint8_t> canvas(static_cast<size_t>(w) * h * 4, 0);
  std::map<std::string, std::unique_ptr<gfxtest::MemoryBitmap>> pictures;
  for (const gfxtest::GfxCall& call : g.CallsNamed("DrawBitmap"))
  {
    auto& picture = pictures[call.text];
    if (!picture)
      picture = gfxtest::DecodeImageFile((BundleRoot() + "/Contents/Resources/" + call.text).c_str(), 1);
    if (!picture || call.editorPts.size() < 4 || call.args.size() < 6)
      continue;
    const int dx = static_cast<int>(call.editorPts[0]), dy = static_cast<int>(call.editorPts[1]);
    const int dw = static_cast<int>(call.args[2] - call.args[0]), dh = static_cast<int>(call.args[3] - call.args[1]);
    const int sx = static_cast<int>(call.args[4]), sy = static_cast<int>(call.args[5]);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x)
      {
        const int px = dx + x, py = dy + y, qx = sx + x, qy = sy + y;
        if (px < 0 || py < 0 || px >= w || py >= h || qx >= picture->GetWidth() || qy >= picture->GetHeight())
          continue;
        const uint8_t* s = &picture->rgba[(static_cast<size_t>(qy) * picture->GetWidth() + qx) * 4];
        uint8_t* d = &canvas[(static_cast<size_t>(py) * w + px) * 4];
        const int a = s[3];
        for (int k = 0; k < 3; ++k)
          d[k] = static_cast<uint8_t>((s[k] * a + d[k] * (255 - a)) / 255);
        d[3] = static_cast<uint8_t>(std::min(255, a + d[3] * (255 - a) / 255));
      }
  }
  return gfxtest::WritePngFile(path, w, h, canvas.data());
}

} // namespace

int main(int argc, char** argv)
{
  const std::string out = argc > 1 ? argv[1] : "editor_snapshot.png";
  ProductEditorSession session;
  ProductGfx* g = session.G();
  if (!g)
  {
    std::fprintf(stderr, "editor_snapshot: the editor did not open\n");
    return 1;
  }
  gfxtest::HeadlessView view(*g);
  view.Tick();
  PrintTable(*g);
  if (!WriteSnapshot(*g, out))
  {
    std::fprintf(stderr, "editor_snapshot: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("wrote %s\n", out.c_str());
  return 0;
}
