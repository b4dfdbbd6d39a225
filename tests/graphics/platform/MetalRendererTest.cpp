// The renderer seen through the stand-in GPU's command log: which passes
// and draws each kind of NanoVG call encodes, texture slots, errors, and
// frames that are cancelled.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MVGcontext_vTolvane3_au.h"
#include "MetalCanvas.h"
#include "MetalNanoVGShaders.h"

namespace {

// "strip/fill antialias/color": primitive, depth-stencil label, and whether
// the draw writes colour or only the stencil.
std::vector<std::string> DrawsInLog()
{
  std::vector<std::string> draws;
  for (const standin::CommandLogEntry& e : standin::CommandLog())
    if (e.kind == standin::CommandLogEntry::kDraw)
      draws.push_back(std::string(e.primitive == MTLPrimitiveTypeTriangle ? "tri" : "strip") + "/" + e.stencilLabel +
                      "/" + (e.writesColor ? "color" : "stencil"));
  return draws;
}

std::vector<const standin::CommandLogEntry*> Entries(const std::vector<standin::CommandLogEntry>& log,
                                                     standin::CommandLogEntry::Kind kind)
{
  std::vector<const standin::CommandLogEntry*> out;
  for (const auto& e : log)
    if (e.kind == kind)
      out.push_back(&e);
  return out;
}

void ConcaveFill(NVGcontext* vg)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, 10, 10);
  nvgLineTo(vg, 50, 10);
  nvgLineTo(vg, 30, 20);
  nvgLineTo(vg, 50, 40);
  nvgLineTo(vg, 10, 40);
  nvgFillColor(vg, nvgRGBAf(1, 0, 0, 1));
  nvgFill(vg);
}

void ConvexFill(NVGcontext* vg)
{
  nvgBeginPath(vg);
  nvgRect(vg, 5, 5, 30, 20);
  nvgFillColor(vg, nvgRGBAf(0, 1, 0, 1));
  nvgFill(vg);
}

void Stroke(NVGcontext* vg)
{
  nvgBeginPath(vg);
  nvgMoveTo(vg, 5, 5);
  nvgLineTo(vg, 40, 30);
  nvgLineTo(vg, 60, 5);
  nvgStrokeColor(vg, nvgRGBAf(0, 0, 1, 0.5f));
  nvgStrokeWidth(vg, 3);
  nvgStroke(vg);
}

} // namespace

using MetalRendererTest = MetalTest;

TEST_F(MetalRendererTest, EachCallKindEncodesItsPasses)
{
  struct Case
  {
    const char* name;
    int flags;
    void (*draw)(NVGcontext*);
    std::vector<std::string> want;
  } cases[] = {
    {"convex fill, antialias", MVG_ANTIALIAS, ConvexFill, {"tri//color", "strip//color"}},
    {"convex fill, aliased", 0, ConvexFill, {"tri//color"}},
    {"concave fill, antialias", MVG_ANTIALIAS, ConcaveFill,
     {"tri/fill shape/stencil", "strip/fill antialias/color", "strip/fill/color"}},
    {"concave fill, aliased", 0, ConcaveFill, {"tri/fill shape/stencil", "strip/fill/color"}},
    {"stroke", MVG_ANTIALIAS, Stroke, {"strip//color"}},
    {"stencil stroke", 0x2003, Stroke,
     {"strip/stroke shape/color", "strip/stroke antialias/color", "strip/stroke clear/stencil"}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MetalCanvas canvas(c.flags);
    standin::ClearCommandLog();
    canvas.Draw(c.draw);
    EXPECT_EQ(c.want, DrawsInLog());
    // The stencil strokes draw one strip three times.
    std::vector<standin::CommandLogEntry> log = standin::CommandLog();
    auto draws = Entries(log, standin::CommandLogEntry::kDraw);
    for (const auto* d : draws)
    {
      if (c.draw == Stroke)
      {
        EXPECT_EQ(draws[0]->start, d->start);
      }
    }
  }
}

TEST_F(MetalRendererTest, ClearsOnceAfterSetClearColorAndCancelledFramesDropTheRequest)
{
  MetalCanvas canvas(MVG_ANTIALIAS);
  mvgBindTarget(canvas.target);
  auto frame = [&](float width) {
    nvgBeginFrame(canvas.vg, width, 48, 1);
    ConvexFill(canvas.vg);
    nvgEndFrame(canvas.vg);
  };
  standin::ClearCommandLog();
  mvgSetClearColor(canvas.vg, nvgRGBAf(1, 0.5f, 0, 0.5f));
  frame(64);
  frame(64);
  mvgSetClearColor(canvas.vg, nvgRGBAf(0, 0, 1, 1));
  frame(0); // cancelled: no pass at all, and the clear is dropped
  frame(64);
  std::vector<standin::CommandLogEntry> log = standin::CommandLog();
  auto passes = Entries(log, standin::CommandLogEntry::kRenderPass);
  ASSERT_EQ(3u, passes.size());
  EXPECT_EQ(MTLLoadActionClear, passes[0]->loadAction);
  EXPECT_EQ(0.5, passes[0]->clearColor.red);
  EXPECT_EQ(0.25, passes[0]->clearColor.green);
  EXPECT_EQ(0.5, passes[0]->clearColor.alpha);
  EXPECT_EQ(MTLLoadActionLoad, passes[1]->loadAction);
  EXPECT_EQ(MTLLoadActionLoad, passes[2]->loadAction);
  mvgBindTarget(nullptr);
}

TEST_F(MetalRendererTest, PipelinesFollowTheCompositeOperation)
{
  MetalCanvas canvas(MVG_ANTIALIAS);
  standin::ClearCommandLog();
  canvas.Draw([](NVGcontext* vg) {
    ConvexFill(vg);
    ConvexFill(vg);
    nvgGlobalCompositeOperation(vg, NVG_DESTINATION_OUT);
    ConvexFill(vg);
    nvgGlobalCompositeBlendFuncSeparate(vg, NVG_SRC_ALPHA_SATURATE, NVG_ONE, NVG_ZERO, NVG_DST_COLOR);
    ConvexFill(vg);
  });
  std::vector<standin::CommandLogEntry> log = standin::CommandLog();
  auto draws = Entries(log, standin::CommandLogEntry::kDraw);
  ASSERT_EQ(8u, draws.size());
  EXPECT_EQ(draws[0]->pipeline, draws[2]->pipeline) << "same operation, same pipeline";
  EXPECT_NE(draws[2]->pipeline, draws[4]->pipeline);
  EXPECT_NE(draws[4]->pipeline, draws[6]->pipeline);
  const MTLBlendFactor want[4][4] = {
    {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha},
    {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha},
    {MTLBlendFactorZero, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorZero, MTLBlendFactorOneMinusSourceAlpha},
    {MTLBlendFactorSourceAlphaSaturated, MTLBlendFactorOne, MTLBlendFactorZero, MTLBlendFactorDestinationColor},
  };
  for (int call = 0; call < 4; ++call)
    for (int f = 0; f < 4; ++f)
      EXPECT_EQ(want[call][f], draws[call * 2]->blend[f]) << "call " << call << " factor " << f;
}

TEST_F(MetalRendererTest, FramesWithoutTheirOwnTargetDrawToTheLayer)
{
  MetalCanvas owner(MVG_ANTIALIAS), other(MVG_ANTIALIAS);
  std::vector<uint8_t> before = owner.Pixels();
  mvgBindTarget(owner.target); // belongs to another context than `other`
  other.DrawToScreen(ConvexFill);
  mvgBindTarget(nullptr);
  EXPECT_EQ(1, other.layer->presentCount());
  EXPECT_EQ(before, owner.Pixels());
  int w = 0, h = 0;
  std::vector<uint8_t> shown = other.layer->lastPresentedImage(&w, &h);
  ASSERT_EQ(64, w);
  EXPECT_EQ(255, MetalCanvas::At(shown, 10, 10, 1)) << "green, stored BGRA and shown RGBA";
  EXPECT_EQ(0, MetalCanvas::At(shown, 10, 10, 0));
  other.layer->setPresentsWithTransaction(true); // the renderer presents once scheduled
  other.DrawToScreen(Stroke);
  EXPECT_EQ(2, other.layer->presentCount());
  EXPECT_FALSE(other.layer->isOpaque()) << "the renderer draws with transparency";
}

TEST_F(MetalRendererTest, TextureSlotsAreReusedWithNewIds)
{
  MetalCanvas canvas(MVG_ANTIALIAS);
  auto* renderer = static_cast<MVGcontext_vTolvane3_au*>(nvgInternalParams(canvas.vg)->userPtr);
  // The font atlas and the canvas's target already hold ids 1 and 2.
  const uint8_t pixel[4] = {1, 2, 3, 4};
  int a = nvgCreateImageRGBA(canvas.vg, 1, 1, 0, pixel);
  int b = nvgCreateImageRGBA(canvas.vg, 1, 1, 0, pixel);
  int c = nvgCreateImageRGBA(canvas.vg, 1, 1, 0, pixel);
  EXPECT_EQ((std::vector<int>{3, 4, 5}), (std::vector<int>{a, b, c}));
  nvgDeleteImage(canvas.vg, b);
  int d = nvgCreateImageRGBA(canvas.vg, 1, 1, 0, pixel);
  EXPECT_EQ(6, d);
  EXPECT_EQ(6, renderer->textures()[3]->id) << "the freed slot";
  EXPECT_EQ(5u, renderer->textures().size());

  struct Refused
  {
    const char* name;
    int type, w, h;
  } refused[] = {{"zero width", NVG_TEXTURE_RGBA, 0, 4}, {"negative height", NVG_TEXTURE_RGBA, 4, -1},
                 {"three-byte RGB", NVG_TEXTURE_RGB, 4, 4}, {"three-byte BGR", NVG_TEXTURE_BGR, 4, 4}};
  for (const Refused& r : refused)
    EXPECT_EQ(0, nvgCreateImageRaw(canvas.vg, r.w, r.h, 0, static_cast<NVGtexture>(r.type), nullptr)) << r.name;
  EXPECT_EQ(5u, renderer->textures().size()) << "refused images take no slot";

  // A sub-rectangle update reads the caller's whole image, rows as wide as
  // the texture.
  std::vector<uint8_t> whole(4 * 3 * 4), got(whole.size());
  for (size_t i = 0; i < whole.size(); ++i)
    whole[i] = static_cast<uint8_t>(i);
  int image = nvgCreateImageRGBA(canvas.vg, 4, 3, 0, std::vector<uint8_t>(whole.size(), 0).data());
  ASSERT_EQ(1, renderer->renderUpdateTexture(image, 1, 1, 2, 2, whole.data()));
  EXPECT_EQ(0, renderer->renderUpdateTexture(999, 1, 1, 2, 2, whole.data()));
  mvgReadImagePixels(canvas.vg, image, 0, 0, 4, 3, got.data());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
    {
      bool updated = x >= 1 && x <= 2 && y >= 1;
      EXPECT_EQ(updated ? whole[(y * 4 + x) * 4] : 0, got[(y * 4 + x) * 4]) << x << ", " << y;
    }

  // An image over a caller's texture: deleting it leaves the texture alive.
  Strong<MTLTexture> own = mvgGetDevice(canvas.vg)->newTextureWithDescriptor(
    MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatRGBA8Unorm, 2, 2, false));
  int wrapped = mvgImageFromTexture(canvas.vg, own.get(), MVG_IMAGE_NODELETE);
  EXPECT_EQ(own.get(), mvgTextureOfImage(canvas.vg, wrapped));
  nvgDeleteImage(canvas.vg, wrapped);
  EXPECT_EQ(1, CFGetRetainCount(own.get()));
  EXPECT_EQ(nullptr, mvgTextureOfImage(canvas.vg, wrapped));
}

TEST_F(MetalRendererTest, ContextCreationFailsCleanlyAndReportsOnlyInDebugMode)
{
  std::vector<uint8_t> saved = MVGembeddedShaderLibrary();
  struct Case
  {
    const char* name;
    std::vector<uint8_t> library;
    bool gpu;
    int flags;
    std::string printed;
  } cases[] = {
    {"unknown function, debug", standin::MakeShaderLibraryBlob({"vertexShader", "noSuchShader"}), true, 4,
     "Error occurs after init library: "},
    {"not a library, debug", {'J', 'U', 'N', 'K'}, true, 5, "Error occurs after init library: "},
    {"unknown function, quiet", standin::MakeShaderLibraryBlob({"noSuchShader"}), true, 1, ""},
    {"no GPU", saved, false, 4, ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MVGembeddedShaderLibrary() = c.library;
    standin::SetGpuAvailable(c.gpu);
    Strong<CAMetalLayer> layer = MakeStrong<CAMetalLayer>();
    testing::internal::CaptureStdout();
    NVGcontext* vg = mvgCreateContext(layer.get(), c.flags);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(nullptr, vg);
    EXPECT_EQ(c.printed, out.substr(0, c.printed.size()));
    EXPECT_EQ(c.printed.empty(), out.empty());
    EXPECT_EQ(nullptr, layer->device()) << "the renderer's teardown gives the device back";
  }
  MVGembeddedShaderLibrary() = saved;
  standin::SetGpuAvailable(true);
}

TEST_F(MetalRendererTest, FramesAfterACancelledOneCompleteAndPresent)
{
  struct Case
  {
    const char* name;
    std::function<void(MetalCanvas&)> cancelledFrame;
  } cases[] = {
    {"viewport of width 0",
     [](MetalCanvas& c) {
       nvgBeginFrame(c.vg, 0, 48, 1);
       ConvexFill(c.vg);
       nvgEndFrame(c.vg);
     }},
    {"no drawable",
     [](MetalCanvas& c) {
       c.layer->withholdDrawables(true);
       c.DrawToScreen(ConvexFill);
       c.layer->withholdDrawables(false);
     }},
    {"target without texture",
     [](MetalCanvas& c) {
       MVGframebuffer* t = mvgCreateTarget(c.vg, 8, 8, 0);
       nvgDeleteImage(c.vg, mvgTargetImage(t));
       mvgBindTarget(t);
       c.DrawToScreen(ConvexFill);
       mvgDeleteTarget(t);
     }},
    {"begun twice", [](MetalCanvas& c) { nvgBeginFrame(c.vg, 64, 48, 1); }},
    {"cancelled by the caller",
     [](MetalCanvas& c) {
       nvgBeginFrame(c.vg, 64, 48, 1);
       nvgCancelFrame(c.vg);
     }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MetalCanvas canvas(0x2001);
    c.cancelledFrame(canvas);
    // More frames than buffer sets: a set or a queue slot lost to the
    // cancelled frame would show here.
    for (int i = 0; i < 5; ++i)
      canvas.DrawToScreen(ConvexFill);
    EXPECT_EQ(5, canvas.layer->presentCount());
  }
  EXPECT_EQ(nullptr, mvgCreateTarget(MetalCanvas(0).vg, 0, 8, 0)) << "a target whose image cannot be made";
}

// A GPU that cannot grow a frame's buffers drops the call that needed the
// room (the allocation answers -1) and draws the others; the next frame
// with room draws everything.
TEST_F(MetalRendererTest, CallsThatFindNoBufferRoomAreDroppedAndTheRestDrawn)
{
  MetalCanvas canvas(0x2001);
  auto scene = [](NVGcontext* vg) {
    auto square = [vg](float x, float y) {
      nvgBeginPath(vg);
      nvgRect(vg, x, y, 8, 8);
      nvgFillColor(vg, nvgRGBAf(1, 0, 0, 1));
      nvgFill(vg);
    };
    square(2, 2);
    // A zigzag whose stroke needs more vertices than the first buffer holds.
    nvgBeginPath(vg);
    nvgMoveTo(vg, 30, 4);
    for (int i = 1; i <= 3000; ++i)
      nvgLineTo(vg, 30 + 20 * float(i % 2), 4 + 40 * float(i) / 3000);
    nvgStrokeColor(vg, nvgRGBAf(0, 0, 1, 1));
    nvgStrokeWidth(vg, 1);
    nvgStroke(vg);
    square(2, 30);
  };
  // Room for the first buffers a frame makes (4096 vertices of 16 bytes),
  // none to grow them.
  standin::SetGpuAllocationLimit(4096 * 16);
  const std::vector<uint8_t> tight = canvas.Draw(scene);
  standin::SetGpuAllocationLimit(0);
  EXPECT_EQ(255, MetalCanvas::At(tight, 5, 5, 0)) << "the square before";
  EXPECT_EQ(255, MetalCanvas::At(tight, 5, 33, 0)) << "the square after";
  int blue = 0;
  for (int y = 0; y < MetalCanvas::kHeight; ++y)
    for (int x = 20; x < MetalCanvas::kWidth; ++x)
      blue += MetalCanvas::At(tight, x, y, 2) > 0;
  EXPECT_EQ(0, blue) << "a stroke drawn from a buffer that was never grown";

  const std::vector<uint8_t> roomy = canvas.Draw(scene);
  EXPECT_EQ(tight.size(), roomy.size());
  EXPECT_GT(MetalCanvas::At(roomy, 40, 24, 2) + MetalCanvas::At(roomy, 41, 24, 2), 0) << "the stroke with room";
  EXPECT_EQ(255, MetalCanvas::At(roomy, 5, 33, 0));
}
