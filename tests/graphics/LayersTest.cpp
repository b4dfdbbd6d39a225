// Transforms, clips, layers and drop shadows on the recording back-end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "graphics/ShadowBlur.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/ProbeControl.h"

namespace {

using namespace gfxtest;

class Layers : public testing::Test
{
protected:
  Layers() { g = dlg.Open(); }

  // A w x h layer whose alpha bytes are alpha (row by row), blurred by the
  // context; returns the alpha handed to the back-end's shadow mask.
  std::vector<int> Blur(int w, int h, const std::vector<uint8_t>& alpha, float blur)
  {
    g->StartLayer(nullptr, IRECT(0, 0, static_cast<float>(w), static_cast<float>(h)));
    ILayerPtr layer = g->EndLayer();
    IRawBitmapData pixels;
    pixels.Resize(w * h * 4);
    for (int i = 0; i < w * h; ++i)
      pixels.Get()[4 * i + 3] = alpha[static_cast<size_t>(i)];
    g->WriteLayerBitmapData(layer, pixels);
    g->calls.clear();
    g->ApplyLayerDropShadow(layer, IShadow(kColorBlack, blur, 2, 2, 0.5f));
    std::vector<int> out;
    for (const GfxCall& c : g->CallsNamed("ApplyShadowMask"))
      for (char a : c.text)
        out.push_back(static_cast<uint8_t>(a));
    return out;
  }

  Journal journal; // outlives the delegate, which destroys the probes
  FakeEditorDelegate dlg;
  RecordingGfx* g = nullptr;
};

TEST_F(Layers, TransformStackRestoresWhatWasSaved)
{
  g->PathTransformTranslate(10, 20);
  g->calls.clear();
  g->PathTransformRestore();  // nothing saved
  EXPECT_TRUE(g->calls.empty());
  EXPECT_TRUE(g->GetTransform() == IMatrix(1, 0, 0, 1, 10, 20));
  g->PathTransformSave();
  g->PathTransformScale(2);
  g->PathTransformRotate(90);
  g->PathTransformSkew(0, 0);
  g->PathTransformMatrix(IMatrix(1, 0, 0, 1, 1, 0));
  double x = 1, y = 0;
  g->CurrentMatrix().TransformPoint(x, y);
  EXPECT_NEAR(x, 10, 1e-5);
  EXPECT_NEAR(y, 24, 1e-5);
  g->PathTransformRestore();
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix(1, 0, 0, 1, 10, 20));
  g->PathTransformSave();
  g->PathTransformReset(true);
  g->PathTransformRestore();  // the stack was emptied
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix());
}

TEST_F(Layers, ClipStaysInsideTheDrawingArea)
{
  g->SetBaseClipRect(IRECT(0, 0, 100, 100));
  g->PathTransformTranslate(50, 50);
  struct Case { IRECT r; IRECT want; };
  const Case cases[] = {
    {IRECT(), IRECT(0, 0, 100, 100)},
    {IRECT(50, 50, 150, 150), IRECT(50, 50, 100, 100)},
    {IRECT(200, 200, 300, 300), IRECT()},
  };
  for (const Case& c : cases)
  {
    g->PathClipRegion(c.r);
    EXPECT_EQ(g->CurrentClip(), c.want);
    EXPECT_TRUE(g->CurrentMatrix() == IMatrix(1, 0, 0, 1, 50, 50));  // applied again after the clip
  }
  g->StartLayer(nullptr, IRECT(10, 10, 20, 20));
  g->PathClipRegion(IRECT(0, 0, 15, 15));
  EXPECT_EQ(g->CurrentClip(), IRECT(10, 10, 15, 15));
  ILayerPtr layer = g->EndLayer();
  EXPECT_EQ(g->CurrentClip(), IRECT(0, 0, 100, 100));
}

TEST_F(Layers, LayersAlignToPixelsAndNest)
{
  EXPECT_EQ(g->EndLayer(), nullptr);  // nothing pushed
  g->SetScreenScale(2.f);
  g->PathTransformTranslate(5, 5);
  g->StartLayer(nullptr, IRECT(0.3f, 0.3f, 10.2f, 10.2f));
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix());
  g->StartLayer(nullptr, IRECT(0, 0, 4, 4));
  EXPECT_EQ(g->NLayers(), 2);
  ILayerPtr inner = g->EndLayer();
  ILayerPtr outer = g->EndLayer();
  EXPECT_EQ(g->NLayers(), 0);
  ASSERT_TRUE(outer && outer->GetAPIBitmap());
  EXPECT_EQ(outer->Bounds(), IRECT(0, 0, 10.5f, 10.5f));
  EXPECT_EQ(outer->GetAPIBitmap()->GetWidth(), 22);
  EXPECT_EQ(outer->GetAPIBitmap()->GetHeight(), 22);
  EXPECT_EQ(inner->GetAPIBitmap()->GetWidth(), 8);
  EXPECT_TRUE(g->CheckLayer(outer));
  g->SetScreenScale(1.f);
  EXPECT_FALSE(g->CheckLayer(outer));  // made for another scale
  g->ResumeLayer(inner);
  EXPECT_EQ(inner, nullptr);
  EXPECT_EQ(g->NLayers(), 1);  // the context deletes what is left pushed
}

TEST_F(Layers, MovingTheControlInvalidatesItsLayerOnce)
{
  auto* probe = new ProbeControl(journal, "p", IRECT(0, 0, 10, 10));
  g->AttachControl(probe);
  g->StartLayer(probe, probe->GetRECT());
  ILayerPtr layer = g->EndLayer();
  EXPECT_TRUE(g->CheckLayer(layer));
  g->SetControlPosition(0, 1, 0);
  EXPECT_FALSE(g->CheckLayer(layer));
  EXPECT_EQ(layer->mControlRECT, probe->GetRECT());
  EXPECT_FALSE(g->CheckLayer(layer));  // invalid until drawn anew
  ILayerPtr none;
  EXPECT_FALSE(g->CheckLayer(none));
}

TEST_F(Layers, LayersAreDrawnAtTheirBounds)
{
  g->PathTransformTranslate(7, 7);
  g->StartLayer(nullptr, IRECT(10, 10, 30, 20));
  ILayerPtr layer = g->EndLayer();
  g->PathTransformTranslate(3, 3);
  g->calls.clear();
  g->DrawLayer(layer);
  g->DrawFittedLayer(layer, IRECT(0, 0, 40, 40));
  g->DrawRotatedLayer(layer, 90);
  const auto draws = g->CallsNamed("DrawBitmap");
  ASSERT_EQ(draws.size(), 3u);
  const std::vector<float> want[] = {{10, 10, 30, 20}, {3, 3, 43, 43}, {25, 5, 15, 25}};
  for (size_t i = 0; i < 3; ++i)
    for (size_t j = 0; j < 4; ++j)
      EXPECT_NEAR(draws[i].editorPts[j], want[i][j], 1e-4) << i << " " << j;
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix(1, 0, 0, 1, 3, 3));
}

TEST_F(Layers, ShadowKernelFollowsTheBlurSize)
{
  struct Case { float s; std::vector<uint8_t> weights; int normaliser; };
  const Case cases[] = {{1.f, {255}, 255}, {3.f, {255, 155, 35}, 635}, {0.f, {255}, 255}, {2.5f, {255, 124, 14}, 531}};
  for (const Case& c : cases)
  {
    const ShadowKernel k = MakeShadowKernel(c.s);
    EXPECT_EQ(k.weights, c.weights) << c.s;
    EXPECT_EQ(k.normaliser, c.normaliser) << c.s;
  }
}

TEST_F(Layers, DropShadowBlursTheAlphaSeparably)
{
  std::vector<uint8_t> dot(81, 0), full(81, 255), random(15 * 7);
  dot[40] = 255;
  for (size_t i = 0; i < random.size(); ++i)
    random[i] = static_cast<uint8_t>((i * 97 + 13) % 256);
  // Blur 0 at scale 1 leaves the alpha as it is.
  const std::vector<int> same = Blur(15, 7, random, 0.f);
  EXPECT_EQ(same, std::vector<int>(random.begin(), random.end()));
  const std::vector<int> blurredDot = Blur(9, 9, dot, 2.f);
  ASSERT_EQ(blurredDot.size(), 81u);
  EXPECT_EQ(blurredDot[40], 40);
  EXPECT_EQ(blurredDot[39], 24);
  EXPECT_EQ(blurredDot[31], 24);
  EXPECT_EQ(blurredDot[30], 15);
  EXPECT_EQ(blurredDot[0], 0);
  const std::vector<int> blurredFull = Blur(9, 9, full, 2.f);
  ASSERT_EQ(blurredFull.size(), 81u);
  EXPECT_EQ(std::vector<int>(blurredFull.begin() + 36, blurredFull.begin() + 45),
    (std::vector<int>{178, 240, 255, 255, 255, 255, 255, 240, 178}));
  // Symmetric: the transposed row equals the row.
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(blurredFull[static_cast<size_t>(i * 9 + 4)], blurredFull[static_cast<size_t>(36 + i)]);
  // A back-end whose rows run bottom up gets the same shadow.
  const std::vector<int> upright = Blur(15, 7, random, 3.f);
  g->flipped = true;
  EXPECT_EQ(Blur(15, 7, random, 3.f), upright);
}

// A back-end whose pixel rows are padded, as read-backs of GPU images often
// are: each row is followed by bytes the blur must not take for pixels.
class PaddedRows : public RecordingGfx
{
public:
  using RecordingGfx::RecordingGfx;
  static constexpr int kPad = 12;
  void GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data) override
  {
    IRawBitmapData packed;
    RecordingGfx::GetLayerBitmapData(layer, packed);
    const int w = layer->GetAPIBitmap()->GetWidth(), h = layer->GetAPIBitmap()->GetHeight();
    const int stride = 4 * w + kPad;
    data.Resize(stride * h);
    std::fill(data.Get(), data.Get() + data.GetSize(), uint8_t{0xAB});
    for (int y = 0; y < h; ++y)
      std::copy_n(packed.Get() + 4 * w * y, 4 * w, data.Get() + stride * y);
  }
  void ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow) override
  {
    const int w = layer->GetAPIBitmap()->GetWidth(), h = layer->GetAPIBitmap()->GetHeight();
    alpha.clear();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        alpha.push_back(mask.Get()[(4 * w + kPad) * y + 4 * x + GetAlphaChannelIndex()]);
  }
  std::vector<int> alpha;
};

TEST_F(Layers, DropShadowReadsRowsAtTheBackEndsStride)
{
  const int w = 15, h = 7;
  std::vector<uint8_t> random(static_cast<size_t>(w * h));
  for (size_t i = 0; i < random.size(); ++i)
    random[i] = static_cast<uint8_t>((i * 97 + 13) % 256);
  for (bool flipped : {false, true})
  {
    SCOPED_TRACE(flipped);
    g->flipped = flipped;
    const std::vector<int> packed = Blur(w, h, random, 3.f);
    FakeEditorDelegate other;
    PaddedRows padded(other, 400, 300);
    padded.flipped = flipped;
    padded.StartLayer(nullptr, IRECT(0, 0, w, h));
    ILayerPtr layer = padded.EndLayer();
    IRawBitmapData pixels;
    pixels.Resize(w * h * 4);
    for (int i = 0; i < w * h; ++i)
      pixels.Get()[4 * i + 3] = random[static_cast<size_t>(i)];
    padded.WriteLayerBitmapData(layer, pixels);
    padded.ApplyLayerDropShadow(layer, IShadow(kColorBlack, 3.f, 2, 2, 0.5f));
    EXPECT_EQ(padded.alpha, packed);
  }
}

// The blur written plainly: every tap of every pixel, rows then columns.
std::vector<int> ReferenceBlur(const std::vector<int>& a, int w, int h, const ShadowKernel& k)
{
  const int n = static_cast<int>(k.weights.size());
  auto pass = [&](const std::vector<int>& in, bool alongRows) {
    std::vector<int> out(in.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        int sum = 0;
        for (int j = -(n - 1); j <= n - 1; ++j)
        {
          const int xx = alongRows ? x + j : x, yy = alongRows ? y : y + j;
          if (xx >= 0 && xx < w && yy >= 0 && yy < h)
            sum += k.weights[static_cast<size_t>(std::abs(j))] * in[static_cast<size_t>(yy * w + xx)];
        }
        out[static_cast<size_t>(y * w + x)] = std::min(255, sum / k.normaliser);
      }
    return out;
  };
  return pass(pass(a, true), false);
}

TEST_F(Layers, BlurMatchesAPlainModelOnRandomLayers)
{
  std::mt19937 rng(5);
  for (const float s : {1.f, 2.f, 3.7f, 11.f})
  {
    const int w = 37, h = 23;
    // Runs of equal values, so the shortcut for flat windows is exercised.
    std::vector<uint8_t> image(static_cast<size_t>(w * h * 4), 0);
    std::vector<int> alpha(static_cast<size_t>(w * h));
    int value = 0;
    for (size_t i = 0; i < alpha.size(); ++i)
    {
      if (rng() % 9 == 0)
        value = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 256);
      alpha[i] = value;
      image[4 * i + 3] = static_cast<uint8_t>(value);
    }
    std::vector<uint8_t> scratch(image.size());
    const ShadowKernel k = MakeShadowKernel(s);
    BlurAlpha(image.data(), 4L * w, scratch.data(), 4L * h, w, h, false, 3, k);
    const std::vector<int> want = ReferenceBlur(alpha, w, h, k);
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(image[4 * i + 3], want[i]) << "blur " << s << " pixel " << i;
  }
}

} // namespace
