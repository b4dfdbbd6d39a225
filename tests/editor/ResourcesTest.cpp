// The bundle carries every picture the editor loads, at 1x and 2x, and
// the three fonts.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "resources/ArtworkTable.h"
#include "tests/editor/ProductEditorFixture.h"
#include "tests/support/gfx/ImageDecoding.h"

namespace editortest {
namespace {

using tolvane3::artwork::kPictures;

std::string ResourcePath(const std::string& file)
{
  return BundleRoot() + "/Contents/Resources/" + file;
}

// The alpha of the 1x pixel at (x, y) of a decoded picture.
int AlphaAt(const gfxtest::MemoryBitmap& b, int x, int y)
{
  return b.rgba[(static_cast<size_t>(y) * static_cast<size_t>(b.GetWidth()) + static_cast<size_t>(x)) * 4 + 3];
}

TEST(BundleResources, EveryPictureIsThereAtBothScalesWithWholeFrames)
{
  for (const auto& p : kPictures)
  {
    SCOPED_TRACE(p.name);
    auto one = gfxtest::DecodeImageFile(ResourcePath(std::string(p.name) + ".png").c_str(), 1);
    auto two = gfxtest::DecodeImageFile(ResourcePath(std::string(p.name) + "@2x.png").c_str(), 2);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->GetWidth(), p.frameWidth);
    EXPECT_EQ(one->GetHeight(), p.frameHeight * p.frames);
    EXPECT_EQ(one->GetHeight() % p.frames, 0);
    EXPECT_EQ(two->GetWidth(), 2 * one->GetWidth());
    EXPECT_EQ(two->GetHeight(), 2 * one->GetHeight());
  }
}

TEST(BundleResources, TheScopePictureShowsTheCurvesAndLabelsThrough)
{
  auto plane = gfxtest::DecodeImageFile(ResourcePath("ScopePlane.png").c_str(), 1);
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetWidth(), 746);
  // Plot centre, both label margins: clear; the bezel above the plot: opaque.
  EXPECT_EQ(AlphaAt(*plane, 373, 170), 0);
  EXPECT_EQ(AlphaAt(*plane, 10, 170), 0);
  EXPECT_EQ(AlphaAt(*plane, 736, 170), 0);
  EXPECT_EQ(AlphaAt(*plane, 373, 1), 255);
}

TEST(BundleResources, FontsAndTheirCopyrightsAreBesideThePictures)
{
  for (const char* file : {"Roboto-Regular.ttf", "verdana.ttf", "verdanab.ttf", "fonts-roboto-unhinted.copyright",
         "fonts-dejavu-core.copyright"})
  {
    std::FILE* f = std::fopen(ResourcePath(file).c_str(), "rb");
    EXPECT_NE(f, nullptr) << file;
    if (f)
      std::fclose(f);
  }
}

TEST_F(ProductEditorTest, TheLayoutLoadsTheThreeFontsFromTheBundle)
{
  EXPECT_EQ(G().fontsCached, (std::vector<std::string>{"Roboto-Regular", "Verdana Normal", "Verdana Bold"}));
  EXPECT_NE(G().loadedFontPath.find("Tolvane3.component/Contents/Resources/verdanab.ttf"), std::string::npos);
}

} // namespace
} // namespace editortest
