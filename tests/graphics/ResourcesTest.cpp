// Bitmaps, SVGs, raw resources and fonts through the shared caches, with
// real PNG files on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "graphics/StaticStorage.h"
#include "tests/support/TempHome.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/ImageEncoding.h"

namespace {

using namespace gfxtest;

class Resources : public testing::Test
{
protected:
  Resources() { g = dlg.Open(); }

  // A w x h opaque PNG at path; returns the path.
  std::string WritePng(const std::string& name, int w, int h)
  {
    const std::string path = temp.Join(name);
    std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4), 255);
    EXPECT_TRUE(WritePngFile(path, w, h, rgba.data()));
    return path;
  }

  testsupport::TempFolder temp;
  FakeEditorDelegate dlg;
  RecordingGfx* g = nullptr;
};

TEST_F(Resources, CacheKeysCarryTheScale)
{
  EXPECT_STREQ(StaticStorageKey("knob.png", 2.0).Get(), "knob.png-2.0x");
  EXPECT_STREQ(StaticStorageKey("a", 1.5).Get(), "a-1.5x");
  testsupport::LocaleGuard comma("de_DE.UTF-8");
  EXPECT_STREQ(StaticStorageKey("knob.png", 3.0).Get(), "knob.png-3.0x");
}

TEST_F(Resources, ScaledFilesAreSearchedTargetFirstThenFromFourDown)
{
  struct Case { const char* name; std::vector<const char*> files; int target; int found; };
  const Case cases[] = {
    {"exact", {"k.png", "k@2x.png", "k@4x.png"}, 2, 2},
    {"then 4", {"k.png", "k@3x.png", "k@4x.png"}, 2, 4},
    {"then 3", {"k.png", "k@3x.png"}, 2, 3},
    {"1x last", {"k.png"}, 2, 1},
    {"target 1 then 4", {"k@2x.png", "k@3x.png", "k@4x.png"}, 1, 4},
    {"target 1 then 2", {"k@2x.png"}, 1, 2},
    {"nothing", {}, 2, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    testsupport::TempFolder dir;
    for (const char* f : c.files)
      dir.WriteFile(f, "x");
    PK_String path;
    int scale = 0;
    const EResourceLocation where = g->SearchScaledResource(dir.Join("k.png").c_str(), "png", path, c.target, scale);
    EXPECT_EQ(where == kNotFound ? 0 : scale, c.found);
  }
  // A name without an extension gets none; a dot in a folder is no
  // extension; a target below 1 finds nothing.
  testsupport::TempFolder dir;
  dir.WriteFile("a.b/knob@2x", "x");
  PK_String path;
  int scale = 0;
  EXPECT_EQ(g->SearchScaledResource(dir.Join("a.b/knob").c_str(), "", path, 2, scale), kAbsolutePath);
  EXPECT_EQ(path.Get(), dir.Join("a.b/knob@2x"));
  EXPECT_EQ(g->SearchScaledResource(dir.Join("a.b/knob").c_str(), "", path, 0, scale), kNotFound);
}

TEST_F(Resources, BitmapsLoadAtTheScreenScaleOncePerProcess)
{
  const std::string name = WritePng("knob.png", 4, 6);
  WritePng("knob@2x.png", 8, 12);
  g->SetScreenScale(2.f);
  const IBitmap a = g->LoadBitmap(name.c_str(), 3);
  ASSERT_TRUE(a.IsValid());
  EXPECT_EQ(a.GetAPIBitmap()->GetWidth(), 8);  // the 2x file
  EXPECT_EQ(a.GetAPIBitmap()->GetScale(), 2.f);
  EXPECT_EQ(a.W(), 4);
  EXPECT_EQ(a.N(), 3);
  EXPECT_EQ(BitmapStorage().Find(name.c_str(), 2.0), a.GetAPIBitmap());
  EXPECT_EQ(g->diskLoads, 1);
  // A second editor of the process reads no file.
  FakeEditorDelegate other;
  RecordingGfx* g2 = other.Open();
  g2->SetScreenScale(2.f);
  EXPECT_EQ(g2->LoadBitmap(name.c_str()).GetAPIBitmap(), a.GetAPIBitmap());
  EXPECT_EQ(g2->diskLoads, 0);
  // Closing one editor keeps the caches, the last one empties them.
  EXPECT_EQ(g2->LoadSVG("x", static_cast<const void*>("<svg width='1' height='1'/>"), 0).IsValid(), true);
  other.CloseWindow();
  EXPECT_EQ(BitmapStorage().Size(), 1);
  EXPECT_EQ(SVGStorage().Size(), 1);
  dlg.CloseWindow();
  EXPECT_EQ(BitmapStorage().Size(), 0);
  EXPECT_EQ(SVGStorage().Size(), 0);
}

TEST_F(Resources, OnlyA1xFileIsRescaledThroughALayer)
{
  const std::string name = WritePng("dial.png", 5, 3);
  const IBitmap b = g->LoadBitmap(name.c_str(), 1, false, 2);
  ASSERT_TRUE(b.IsValid());
  EXPECT_EQ(b.GetAPIBitmap()->GetScale(), 2.f);
  EXPECT_EQ(b.GetAPIBitmap()->GetWidth(), 10);
  EXPECT_EQ(b.GetAPIBitmap()->GetHeight(), 6);
  EXPECT_EQ(BitmapStorage().Find(name.c_str(), 2.0), b.GetAPIBitmap());
  EXPECT_EQ(BitmapStorage().Find(name.c_str(), 1.0), nullptr);  // the 1x bitmap is gone
  EXPECT_EQ(g->diskLoads, 1);
  // The copy was drawn into a layer at the target scale; the screen scale
  // is back as it was.
  const auto draws = g->CallsNamed("DrawBitmap");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].editorPts, (std::vector<float>{0, 0, 5, 3}));
  EXPECT_EQ(g->GetScreenScale(), 1.f);
  EXPECT_EQ(g->NLayers(), 0);
}

TEST_F(Resources, RescalingRestoresAFractionalScreenScale)
{
  const std::string name = WritePng("frac.png", 4, 4);
  g->SetScreenScale(1.5f);
  const IBitmap b = g->LoadBitmap(name.c_str(), 1, false, 3);
  ASSERT_TRUE(b.IsValid());
  EXPECT_EQ(b.GetAPIBitmap()->GetScale(), 3.f);
  EXPECT_EQ(g->GetScreenScale(), 1.5f);
}

TEST_F(Resources, MissingOrUnsupportedBitmapsAreInvalidAndNotCached)
{
  WritePng("pic.gif", 2, 2);
  struct Case { const char* name; std::string file; };
  const Case cases[] = {
    {"missing", temp.Join("none.png")}, {"unsupported", temp.Join("pic.gif")}, {"empty name", ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const IBitmap b = g->LoadBitmap(c.file.c_str(), 0);
    EXPECT_FALSE(b.IsValid());
    EXPECT_EQ(b.W(), 0);
    EXPECT_EQ(b.H(), 0);
    EXPECT_GE(b.N(), 1);
    EXPECT_EQ(BitmapStorage().Size(), 0);
  }
  // Undecodable bytes in memory: nothing either.
  EXPECT_FALSE(g->LoadBitmap("mem.png", "not a png", 9).IsValid());
  EXPECT_EQ(BitmapStorage().Size(), 0);
}

TEST_F(Resources, MemoryBitmapsAndReleaseGoThroughTheCache)
{
  const std::string path = WritePng("m.png", 2, 2);
  FILE* f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<char> bytes(4096);
  bytes.resize(fread(bytes.data(), 1, bytes.size(), f));
  fclose(f);
  const IBitmap a = g->LoadBitmap("m.png", bytes.data(), static_cast<int>(bytes.size()));
  ASSERT_TRUE(a.IsValid());
  EXPECT_EQ(g->LoadBitmap("m.png", nullptr, 0).GetAPIBitmap(), a.GetAPIBitmap());
  g->ReleaseBitmap(a);
  EXPECT_EQ(BitmapStorage().Find("m.png", 1.0), nullptr);
}

TEST_F(Resources, SvgsAreParsedOncePerName)
{
  const std::string path = temp.WriteFile("icon.svg", "<svg width='10' height='20'><rect width='1' height='1'/></svg>");
  const ISVG a = g->LoadSVG(path.c_str());
  ASSERT_TRUE(a.IsValid());
  EXPECT_EQ(a.mImage->height, 20.f);
  EXPECT_EQ(g->LoadSVG(path.c_str()).mImage, a.mImage);
  EXPECT_EQ(SVGStorage().Size(), 1);
  temp.WriteFile("broken.svg", "<html/>");
  EXPECT_FALSE(g->LoadSVG(temp.Join("broken.svg").c_str()).IsValid());
  EXPECT_FALSE(g->LoadSVG(temp.Join("none.svg").c_str()).IsValid());
  // Memory: at most dataSize bytes, up to the first NUL.
  const char text[] = "<svg width='3' height='4'/>garbage";
  EXPECT_EQ(g->LoadSVG("mem", static_cast<const void*>(text), 27).mImage->width, 3.f);
  EXPECT_EQ(SVGStorage().Size(), 2);
}

TEST_F(Resources, ResourceFilesAreReadWholeOrNotAtAll)
{
  const std::string small = temp.WriteFile("data.bin", "abc\0def");
  IRawBitmapData bytes = g->LoadResource(small.c_str(), "bin");
  ASSERT_EQ(bytes.GetSize(), 3);  // WriteFile stops at the NUL
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.Get()), 3), "abc");
  EXPECT_EQ(g->LoadResource(temp.Join("none.bin").c_str(), "bin").GetSize(), 0);
  // A file larger than the buffer can hold (sparse, so it costs no disk)
  // gives nothing rather than its size cut to 32 bits.
  const std::string huge = temp.Join("huge.bin");
  const int fd = open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, (4LL << 30) + 16), 0);
  close(fd);
  EXPECT_EQ(g->LoadResource(huge.c_str(), "bin").GetSize(), 0);
}

TEST_F(Resources, FontsAreCachedOnlyWhenRegistered)
{
  const std::string font = temp.WriteFile("Roboto.ttf", "font bytes");
  const std::string empty = temp.WriteFile("Empty.ttf", "");
  EXPECT_FALSE(g->LoadFont("missing", temp.Join("none.ttf").c_str()));
  EXPECT_FALSE(g->LoadFont("empty", empty.c_str()));  // the back-end refuses it
  EXPECT_FALSE(g->LoadFont("family", "Helvetica", kTextStyleBold));
  EXPECT_TRUE(g->fontsCached.empty());
  EXPECT_TRUE(g->LoadFont("Roboto", font.c_str()));
  char data[] = "abc";
  EXPECT_TRUE(g->LoadFont("Mem", data, 3));
  EXPECT_EQ(g->fontsCached, (std::vector<std::string>{"Roboto", "Mem"}));
}

} // namespace
