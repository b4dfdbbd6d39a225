#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "FontBlob.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"
#include "graphics/platform/CoreTextFont.h"

using namespace plugkit::gfx;

namespace {

const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";
const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string URLPathOf(const PlatformFont& font)
{
  auto descriptor = static_cast<CTFontDescriptorRef>(font.GetDescriptor());
  CFTypeRef url = CTFontDescriptorCopyAttribute(descriptor, kCTFontURLAttribute);
  if (!url)
    return "";
  CFStringRef path = CFURLCopyFileSystemPath(static_cast<CFURLRef>(url), kCFURLPOSIXPathStyle);
  char text[512] = {};
  CFStringGetCString(path, text, sizeof text, kCFStringEncodingUTF8);
  CFRelease(path);
  CFRelease(url);
  return text;
}

std::vector<uint8_t> ReadFile(const char* path)
{
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class CoreTextFontTest : public testing::Test
{
protected:
  void SetUp() override { mLive = standin::LiveObjectCount(); }
  void TearDown() override { EXPECT_EQ(standin::LiveObjectCount(), mLive) << "a Core Foundation object was left"; }
  long mLive = 0;
};

} // namespace

TEST_F(CoreTextFontTest, FilesGiveTheirNamesAndMetrics)
{
  const struct
  {
    const char* path;
    const char* family;
    const char* style;
    double emRatio;
  } cases[] = {{kRoboto, "Roboto", "Regular", 2048.0 / 2400.0}, {kDejaVu, "DejaVu Sans", "Book", 2048.0 / 2384.0}};
  for (const auto& c : cases)
  {
    auto font = LoadCoreTextFontFromFile("f", c.path, "", "");
    ASSERT_TRUE(font) << c.path;
    EXPECT_FALSE(font->IsSystem());
    EXPECT_EQ(URLPathOf(*font), c.path);
    std::unique_ptr<IFontFileData> data(font->GetFontData());
    ASSERT_TRUE(data && data->IsValid()) << c.path;
    EXPECT_EQ(data->GetFaceIdx(), 0);
    EXPECT_STREQ(data->family.Get(), c.family);
    EXPECT_STREQ(data->style.Get(), c.style);
    EXPECT_NEAR(data->EmRatio(), c.emRatio, 1e-12) << c.path;
    EXPECT_EQ(data->GetSize(), int(ReadFile(c.path).size()));
  }
  EXPECT_FALSE(LoadCoreTextFontFromFile("f", "/no/such/font.ttf", "", ""));
  EXPECT_FALSE(LoadCoreTextFontFromFile("f", "/etc/hostname", "", "")) << "a file that is no font";
}

TEST_F(CoreTextFontTest, FamiliesResolveThroughTheSystemFontList)
{
  const struct
  {
    const char* family;
    ETextStyle style;
    const char* file; // null: no font
    int face;
  } cases[] = {
    {"DejaVu Sans", kTextStyleBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 0},
    {"dejavu sans", kTextStyleBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 0},
    // The file names its style "Book": no face has the style asked for.
    {"DejaVu Sans", kTextStyleNormal, kDejaVu, -1},
    {"No Such Family Anywhere", kTextStyleNormal, nullptr, 0},
    {"", kTextStyleNormal, nullptr, 0},
  };
  for (const auto& c : cases)
  {
    // A family without a file leaves no URL, whose type must not be asked.
    const int nullQueries = standin::NullTypeQueryCount();
    auto font = LoadCoreTextFontFromFamily("f", c.family, c.style);
    EXPECT_EQ(standin::NullTypeQueryCount(), nullQueries) << c.family;
    ASSERT_EQ(font != nullptr, c.file != nullptr) << c.family;
    if (!font)
      continue;
    EXPECT_TRUE(font->IsSystem());
    EXPECT_EQ(URLPathOf(*font), c.file);
    std::unique_ptr<IFontFileData> data(font->GetFontData());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->GetFaceIdx(), c.face) << c.family;
  }
}

TEST_F(CoreTextFontTest, MemoryFontsAreCopiedAndChecked)
{
  auto bytes = fontblob::Collection({fontblob::Face{}, fontblob::Face{}});
  auto font = LoadCoreTextFontFromMemory("m", bytes.data(), int(bytes.size()));
  ASSERT_TRUE(font);
  std::fill(bytes.begin(), bytes.end(), uint8_t(0));
  std::unique_ptr<IFontFileData> data(font->GetFontData());
  EXPECT_TRUE(data->IsValid()) << "the font keeps its own copy";
  EXPECT_EQ(URLPathOf(*font), "");

  const uint8_t junk[64] = {'t', 'r', 'u', 'e'};
  auto cut = fontblob::Single();
  cut.resize(20);
  EXPECT_FALSE(LoadCoreTextFontFromMemory("m", junk, sizeof junk));
  EXPECT_FALSE(LoadCoreTextFontFromMemory("m", cut.data(), int(cut.size())));
  EXPECT_FALSE(LoadCoreTextFontFromMemory("m", nullptr, 100));
  EXPECT_FALSE(LoadCoreTextFontFromMemory("m", bytes.data(), 0));
}

TEST_F(CoreTextFontTest, DescriptorCacheKeepsTheFirstFontOfAnId)
{
  auto& storage = CoreTextFontDescriptorStorage();
  storage.Retain();
  {
    auto roboto = LoadCoreTextFontFromFile("f", kRoboto, "", "");
    auto dejavu = LoadCoreTextFontFromFile("f", kDejaVu, "", "");
    CacheCoreTextFontDescriptor("Label", roboto.get());
    CacheCoreTextFontDescriptor("Label", dejavu.get());
    IText text;
    text.SetFont("Label");
    CoreTextFontDescriptor* cached = GetCoreTextFontDescriptor(text);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->mDescriptor, roboto->GetDescriptor());
    EXPECT_NEAR(cached->mEmRatio, 2048.0 / 2400.0, 1e-12);
    text.SetFont("Other");
    EXPECT_FALSE(GetCoreTextFontDescriptor(text));
  }
  storage.Release();
  EXPECT_EQ(storage.Size(), 0);
}
