// The stand-in GPU on its own: rasterisation rules, blending, texture
// storage, command-buffer order and the layer's drawables.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "MVGcontext_vTolvane3_au.h"
#include "Metal/Metal.h"
#include "MetalCanvas.h"

namespace {

// Positions arrive in pixels of a 64 x 48 target; the colour is the
// fragment buffer's four floats.
void PixelVertex(const standin::VertexInput& in, standin::VertexOutput& out)
{
  out.position[0] = in.attributes[0][0] / 32.0f - 1.0f;
  out.position[1] = 1.0f - in.attributes[0][1] / 24.0f;
  out.position[3] = 1;
}

void ConstantColor(const standin::FragmentInput& in, const standin::FragmentSpan& span)
{
  float c[4];
  std::memcpy(c, in.buffers[0], sizeof c);
  for (int i = 0; i < span.count; ++i)
    std::memcpy(span.rgba + i * 4, c, sizeof c);
}

const bool kRegistered = standin::RegisterShaderFunction("testPixelVertex", {PixelVertex, nullptr, 0}) &&
                         standin::RegisterShaderFunction("testConstantColor", {nullptr, ConstantColor, 0});

struct Gpu
{
  Strong<MTLDevice> device = MTLCreateSystemDefaultDevice();
  Strong<MTLCommandQueue> queue = device->newCommandQueue();
  Strong<MTLTexture> target;

  explicit Gpu(MTLPixelFormat format = MTLPixelFormatRGBA8Unorm)
  {
    MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(format, 64, 48, false);
    target = device->newTextureWithDescriptor(d);
  }

  Strong<MTLRenderPipelineState> Pipeline(MVGblend blend)
  {
    static_cast<void>(kRegistered);
    std::vector<uint8_t> blob = standin::MakeShaderLibraryBlob({"testPixelVertex", "testConstantColor"});
    dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
    Strong<MTLLibrary> library = device->newLibraryWithData(data, nullptr);
    dispatch_release(data);
    MTLRenderPipelineDescriptor d;
    d.vertexFunction = library->newFunctionWithName("testPixelVertex");
    d.fragmentFunction = library->newFunctionWithName("testConstantColor");
    d.vertexDescriptor.attributes[0] = {MTLVertexFormatFloat2, 0, 0};
    d.vertexDescriptor.layouts[0].stride = 8;
    auto& c = d.colorAttachments[0];
    c.pixelFormat = target->pixelFormat();
    c.blendingEnabled = true;
    c.sourceRGBBlendFactor = blend.srcRGB, c.destinationRGBBlendFactor = blend.dstRGB;
    c.sourceAlphaBlendFactor = blend.srcAlpha, c.destinationAlphaBlendFactor = blend.dstAlpha;
    return device->newRenderPipelineStateWithDescriptor(d, nullptr);
  }

  // Draws `points` (x, y pairs in pixels) as `primitive` in `color`.
  void Draw(const std::vector<float>& points, MTLPrimitiveType primitive, const float color[4], MVGblend blend,
            MTLLoadAction load = MTLLoadActionLoad, MTLClearColor clear = {})
  {
    Strong<MTLBuffer> verts = device->newBufferWithBytes(points.data(), points.size() * 4, 0);
    Strong<MTLBuffer> uniforms = device->newBufferWithBytes(color, 16, 0);
    Strong<MTLCommandBuffer> commands = queue->commandBuffer();
    MTLRenderPassDescriptor pass;
    pass.colorAttachments[0].texture = target;
    pass.colorAttachments[0].loadAction = load;
    pass.colorAttachments[0].clearColor = clear;
    Strong<MTLRenderCommandEncoder> e = commands->renderCommandEncoderWithDescriptor(pass);
    e->setRenderPipelineState(Pipeline(blend).get());
    e->setCullMode(MTLCullModeBack);
    e->setFrontFacingWinding(MTLWindingCounterClockwise);
    e->setVertexBuffer(verts.get(), 0, 0);
    e->setFragmentBuffer(uniforms.get(), 0, 0);
    e->drawPrimitives(primitive, 0, points.size() / 2);
    e->endEncoding();
    commands->commit();
    commands->waitUntilCompleted();
  }

  std::vector<uint8_t> Read()
  {
    std::vector<uint8_t> bytes(64 * 48 * target->bytesPerPixel());
    target->getBytes(bytes.data(), 64 * target->bytesPerPixel(), MTLRegionMake2D(0, 0, 64, 48), 0);
    return bytes;
  }
};

const MVGblend kAdd = {MTLBlendFactorOne, MTLBlendFactorOne, MTLBlendFactorOne, MTLBlendFactorOne};
const MVGblend kOver = {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                        MTLBlendFactorOneMinusSourceAlpha};
const float kQuarter[4] = {0.25f, 0.25f, 0.25f, 0.25f};

// Each triangle turned counter-clockwise, the front face.
void AddTriangle(std::vector<float>& list, float ax, float ay, float bx, float by, float cx, float cy)
{
  float area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
  if (area > 0) // clockwise as seen: flip to counter-clockwise
    std::swap(bx, cx), std::swap(by, cy);
  list.insert(list.end(), {ax, ay, bx, by, cx, cy});
}

} // namespace

using MetalStandInTest = MetalTest;

TEST_F(MetalStandInTest, TrianglesSharingEdgesCoverEveryPixelExactlyOnce)
{
  std::mt19937 random(7);
  std::uniform_real_distribution<float> jitter(-1.4f, 1.4f); // keeps every cell convex
  for (int round = 0; round < 20; ++round)
  {
    // A grid from (3.3, 2.7) to (59.7, 44.1) with its inner points moved at
    // random (and onto pixel centres and edges now and then), cut into
    // triangles along random diagonals.
    const int n = 6;
    float x[n + 1][n + 1], y[n + 1][n + 1];
    for (int i = 0; i <= n; ++i)
      for (int j = 0; j <= n; ++j)
      {
        bool inner = i > 0 && i < n && j > 0 && j < n;
        x[i][j] = 3.3f + i * 9.4f + (inner ? jitter(random) : 0);
        y[i][j] = 2.7f + j * 6.9f + (inner ? jitter(random) : 0);
        if (inner && round % 3 == 0)
          x[i][j] = std::round(x[i][j]) + 0.5f, y[i][j] = std::round(y[i][j]);
      }
    std::vector<float> list;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (random() % 2)
        {
          AddTriangle(list, x[i][j], y[i][j], x[i + 1][j], y[i + 1][j], x[i + 1][j + 1], y[i + 1][j + 1]);
          AddTriangle(list, x[i][j], y[i][j], x[i + 1][j + 1], y[i + 1][j + 1], x[i][j + 1], y[i][j + 1]);
        }
        else
        {
          AddTriangle(list, x[i][j], y[i][j], x[i + 1][j], y[i + 1][j], x[i][j + 1], y[i][j + 1]);
          AddTriangle(list, x[i + 1][j], y[i + 1][j], x[i + 1][j + 1], y[i + 1][j + 1], x[i][j + 1], y[i][j + 1]);
        }
    Gpu gpu;
    gpu.Draw(list, MTLPrimitiveTypeTriangle, kQuarter, kAdd, MTLLoadActionClear, {0, 0, 0, 0});
    std::vector<uint8_t> px = gpu.Read();
    int drawn = 0;
    for (int py = 0; py < 48; ++py)
      for (int pxl = 0; pxl < 64; ++pxl)
      {
        uint8_t a = px[(py * 64 + pxl) * 4 + 3];
        bool inside = pxl + 0.5f > 3.3f && pxl + 0.5f < 59.7f && py + 0.5f > 2.7f && py + 0.5f < 44.1f;
        ASSERT_EQ(inside ? 64 : 0, a) << "round " << round << " pixel " << pxl << ", " << py;
        drawn += a != 0;
      }
    EXPECT_EQ(57 * 41, drawn);
  }
}

TEST_F(MetalStandInTest, StripsListsAndDegenerateTrianglesAgree)
{
  // A zig-zag band as a strip, and the same triangles as a list.
  std::vector<float> strip = {4.7f, 5.3f, 4.2f, 40.1f, 22.9f, 8.8f, 20.4f, 43.6f, 37.1f, 3.6f, 40.5f, 39.2f, 60.2f, 4.7f};
  std::vector<float> list;
  for (size_t k = 0; k + 2 < strip.size() / 2; ++k)
  {
    size_t a = k, b = k + 1, c = k + 2;
    if (k % 2)
      std::swap(a, b);
    list.insert(list.end(), {strip[a * 2], strip[a * 2 + 1], strip[b * 2], strip[b * 2 + 1], strip[c * 2], strip[c * 2 + 1]});
  }
  Gpu asStrip, asList, degenerate;
  asStrip.Draw(strip, MTLPrimitiveTypeTriangleStrip, kQuarter, kAdd, MTLLoadActionClear, {0, 0, 0, 0});
  asList.Draw(list, MTLPrimitiveTypeTriangle, kQuarter, kAdd, MTLLoadActionClear, {0, 0, 0, 0});
  EXPECT_EQ(asList.Read(), asStrip.Read());
  std::vector<uint8_t> px = asStrip.Read();
  EXPECT_GT(std::count(px.begin(), px.end(), 64), 1000) << "both windings of the strip were drawn";
  degenerate.Draw({5, 5, 30, 30, 55, 55, 10, 40, 10, 40, 50, 20}, MTLPrimitiveTypeTriangle, kQuarter, kAdd,
                  MTLLoadActionClear, {0, 0, 0, 0});
  px = degenerate.Read();
  EXPECT_EQ(static_cast<long>(px.size()), std::count(px.begin(), px.end(), 0));
}

TEST_F(MetalStandInTest, BlendingIsFloatClampedAndRoundedPerPixelFormat)
{
  const std::vector<float> screen = {0, 0, 0, 48, 64, 0, 64, 0, 0, 48, 64, 48};
  const float source[4] = {0.2f, 0.4f, 0.6f, 0.8f};
  struct Case
  {
    const char* name;
    MTLPixelFormat format;
    MVGblend blend;
    MTLClearColor destination;
    std::vector<uint8_t> want; // the stored bytes of one pixel
  } cases[] = {
    // min(As, 1 - Ad) = 0.5 for colour, 1 for alpha: 0.2 * 0.5 + 0.5 * 1 = 0.6 -> 153
    {"source alpha saturated", MTLPixelFormatRGBA8Unorm,
     {MTLBlendFactorSourceAlphaSaturated, MTLBlendFactorOne, MTLBlendFactorSourceAlphaSaturated, MTLBlendFactorZero},
     {0.5, 0.5, 0.5, 0.5}, {153, 179, 204, 204}},
    {"over, BGRA stored as B, G, R, A", MTLPixelFormatBGRA8Unorm, kOver, {1, 0, 0, 1}, {153, 102, 102, 255}},
    {"destination colour times source", MTLPixelFormatRGBA8Unorm,
     {MTLBlendFactorDestinationColor, MTLBlendFactorZero, MTLBlendFactorOne, MTLBlendFactorOneMinusDestinationAlpha},
     {1, 0.5, 0.25, 0.75}, {51, 51, 38, 252}},
    {"R8 keeps red only", MTLPixelFormatR8Unorm, kOver, {1, 1, 1, 1}, {102}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Gpu gpu(c.format);
    gpu.Draw(screen, MTLPrimitiveTypeTriangle, source, c.blend, MTLLoadActionClear, c.destination);
    std::vector<uint8_t> px = gpu.Read();
    EXPECT_EQ(c.want, std::vector<uint8_t>(px.begin() + 20 * 64 * gpu.target->bytesPerPixel(),
                                           px.begin() + 20 * 64 * gpu.target->bytesPerPixel() + c.want.size()));
  }
}

TEST_F(MetalStandInTest, FastPathsDrawTheSameBits)
{
  auto scene = [](NVGcontext* vg) {
    static const uint8_t image[16] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 255, 255, 255, 0};
    int id = nvgCreateImageRGBA(vg, 2, 2, NVG_IMAGE_REPEATX | NVG_IMAGE_REPEATY, image);
    nvgBeginPath(vg);
    nvgRect(vg, 0, 0, 64, 48);
    nvgFillPaint(vg, nvgImagePattern(vg, 3, 1, 7, 5, 0.3f, id, 1));
    nvgFill(vg);
    nvgBeginPath(vg);
    nvgCircle(vg, 30, 20, 15);
    nvgPathWinding(vg, NVG_HOLE);
    nvgCircle(vg, 30, 20, 6);
    nvgFillPaint(vg, nvgRadialGradient(vg, 30, 20, 2, 16, nvgRGBAf(1, 1, 0, 1), nvgRGBAf(0, 0, 1, 0.4f)));
    nvgFill(vg);
    nvgBeginPath(vg);
    nvgMoveTo(vg, 2, 40);
    nvgBezierTo(vg, 20, 0, 40, 60, 62, 8);
    nvgStrokeColor(vg, nvgRGBAf(1, 1, 1, 0.7f));
    nvgStrokeWidth(vg, 2.5f);
    nvgStroke(vg);
  };
  auto [without, with] = DrawWithAndWithout(standin::SetGpuFastPaths, 0x2003, scene);
  EXPECT_EQ(without, with);
  EXPECT_GT(std::count_if(with.begin(), with.end(), [](uint8_t b) { return b != 0 && b != 255; }), 1000);
}

TEST_F(MetalStandInTest, TexturesAreRefusedWhenEmptyAndStartZeroedOrMagentaWhenStrict)
{
  Gpu gpu;
  EXPECT_FALSE(gpu.device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatRGBA8Unorm, 0, 4, false)));
  for (bool strict : {false, true})
  {
    standin::SetStrictTextures(strict);
    Strong<MTLTexture> t = gpu.device->newTextureWithDescriptor(
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatRGBA8Unorm, 5, 3, true));
    ASSERT_TRUE(t);
    EXPECT_EQ(3u, t->mipmapLevelCount());
    uint8_t pixel[4];
    t->getBytes(pixel, 4, MTLRegionMake2D(4, 2, 1, 1), 0);
    std::vector<uint8_t> want = strict ? std::vector<uint8_t>{255, 0, 255, 255} : std::vector<uint8_t>{0, 0, 0, 0};
    EXPECT_EQ(want, std::vector<uint8_t>(pixel, pixel + 4));
  }
  // Mipmaps: each level the rounded mean of the 2 x 2 above it.
  Strong<MTLTexture> t = gpu.device->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatR8Unorm, 2, 2, true));
  const uint8_t levels0[4] = {10, 20, 30, 41};
  t->replaceRegion(MTLRegionMake2D(0, 0, 2, 2), 0, levels0, 2);
  t->replaceRegion(MTLRegionMake2D(1, 1, 2, 2), 0, levels0, 2); // outside: refused
  Strong<MTLCommandBuffer> commands = gpu.queue->commandBuffer();
  Strong<MTLBlitCommandEncoder> blit = commands->blitCommandEncoder();
  blit->generateMipmapsForTexture(t.get());
  blit->endEncoding();
  commands->commit();
  commands->waitUntilCompleted();
  uint8_t top = 0, corner = 0;
  t->getBytes(&top, 1, MTLRegionMake2D(0, 0, 1, 1), 1);
  t->getBytes(&corner, 1, MTLRegionMake2D(1, 1, 1, 1), 0);
  EXPECT_EQ(25, top);
  EXPECT_EQ(41, corner);
}

TEST_F(MetalStandInTest, CommandBuffersRunInEnqueueOrderAndKeepWhatTheyUse)
{
  Gpu gpu;
  std::vector<int> order;
  Strong<MTLCommandBuffer> first = gpu.queue->commandBuffer(), second = gpu.queue->commandBuffer();
  first->addCompletedHandler([&](MTLCommandBuffer*) { order.push_back(1); });
  second->addCompletedHandler([&](MTLCommandBuffer*) { order.push_back(2); });
  Strong<MTLTexture> used = gpu.target;
  {
    MTLRenderPassDescriptor pass;
    pass.colorAttachments[0].texture = used;
    Strong<MTLRenderCommandEncoder> e = second->renderCommandEncoderWithDescriptor(pass);
    e->endEncoding();
  }
  first->enqueue();
  second->commit();
  EXPECT_EQ(MTLCommandBufferStatusCommitted, second->status()) << "held back by the uncommitted first";
  gpu.target = nullptr;
  EXPECT_EQ(2, CFGetRetainCount(used.get())) << "ours and the pending pass's";
  first->commit();
  EXPECT_EQ((std::vector<int>{1, 2}), order);
  EXPECT_EQ(MTLCommandBufferStatusCompleted, second->status());
  EXPECT_EQ(1, CFGetRetainCount(used.get()));
}

TEST_F(MetalStandInTest, TheLayerLendsThreeDrawablesThatKeepTheirPixels)
{
  Gpu gpu;
  Strong<CAMetalLayer> layer = MakeStrong<CAMetalLayer>();
  EXPECT_FALSE(layer->nextDrawable()) << "no device yet";
  layer->setDevice(gpu.device.get());
  layer->setDrawableSize(4, 2);
  EXPECT_EQ(MTLPixelFormatBGRA8Unorm, layer->pixelFormat());
  std::vector<Strong<CAMetalDrawable>> held;
  for (int i = 0; i < 3; ++i)
    held.push_back(layer->nextDrawable());
  for (auto& d : held)
    ASSERT_TRUE(d);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(layer->nextDrawable());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << "waits about a second";

  const uint8_t bgra[4] = {1, 2, 3, 4};
  MTLTexture* first = held[0]->texture();
  for (int x = 0; x < 4; ++x)
    first->replaceRegion(MTLRegionMake2D(x, 1, 1, 1), 0, bgra, 4);
  held[0]->present();
  held[1] = nullptr; // dropped unpresented: back to the pool
  int w = 0, h = 0;
  std::vector<uint8_t> shown = layer->lastPresentedImage(&w, &h);
  EXPECT_EQ(1, layer->presentCount());
  ASSERT_EQ(4 * 2 * 4u, shown.size());
  EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 4}), std::vector<uint8_t>(shown.end() - 4, shown.end()));
  Strong<CAMetalDrawable> again = layer->nextDrawable(), reused = layer->nextDrawable();
  ASSERT_TRUE(again && reused);
  EXPECT_TRUE(again->texture() == first || reused->texture() == first) << "the pool reuses its textures";
}
