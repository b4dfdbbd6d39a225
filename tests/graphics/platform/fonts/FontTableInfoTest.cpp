#include <gtest/gtest.h>

#include <cstring>

#include "FontBlob.h"
#include "graphics/platform/FontTableInfo.h"

using namespace plugkit::gfx;

namespace {

struct ParseCase
{
  const char* what;
  std::vector<uint8_t> bytes;
  int face;
  bool valid;
  const char* family;
  const char* style;
};

fontblob::Face Named(const char* style, bool windows = true)
{
  fontblob::Face f;
  f.style = style;
  f.windowsNames = windows;
  return f;
}

} // namespace

TEST(FontTableInfo, SelectsFacesAndReadsNames)
{
  const auto pair = fontblob::Collection({Named("Regular"), Named("Bold")});
  const ParseCase cases[] = {
    {"TrueType face 0", fontblob::Single(), 0, true, "Test Sans", "Regular"},
    {"TrueType has no face 1", fontblob::Single(), 1, false, "", ""},
    {"'true' is refused", fontblob::Single({}, 0x74727565), 0, false, "", ""},
    {"'OTTO' face 0", fontblob::Single({}, 0x4F54544F), 0, true, "Test Sans", "Regular"},
    {"'1\\0\\0\\0' face 0", fontblob::Single({}, 0x31000000), 0, true, "Test Sans", "Regular"},
    {"Macintosh names only", fontblob::Single(Named("Italic", false)), 0, true, "Test Sans", "Italic"},
    {"collection face 1", pair, 1, true, "Test Sans", "Bold"},
    {"collection has no face 2", pair, 2, false, "", ""},
    {"collection version 3", fontblob::Collection({Named("Regular")}, 0x00030000), 0, false, "", ""},
    {"collection version 1", fontblob::Collection({Named("Regular")}, 0x00010000), 0, true, "Test Sans", "Regular"},
    {"negative face", fontblob::Single(), -1, false, "", ""},
    {"names beyond ASCII", fontblob::Single(Named("\u00e9\u20ac\U0001D11E")), 0, true, "Test Sans",
     "\u00e9\u20ac\U0001D11E"},
  };
  for (const ParseCase& c : cases)
  {
    const IFontTableInfo info(c.bytes.data(), int(c.bytes.size()), c.face);
    EXPECT_EQ(info.IsValid(), c.valid) << c.what;
    EXPECT_STREQ(info.family.Get(), c.family) << c.what;
    EXPECT_STREQ(info.style.Get(), c.style) << c.what;
  }
  EXPECT_FALSE(IFontTableInfo(nullptr, 100, 0).IsValid());
}

TEST(FontTableInfo, FaceSearchComparesStylesByteForByte)
{
  const auto pair = fontblob::Collection({Named("Regular"), Named("Bold")});
  const struct
  {
    const char* style;
    int face;
  } cases[] = {{"Bold", 1}, {"Regular", 0}, {"", 0}, {"bold", -1}, {"Italic", -1}};
  for (const auto& c : cases)
    EXPECT_EQ(FindFaceIndexByStyle(pair.data(), int(pair.size()), c.style), c.face) << c.style;
  const auto single = fontblob::Single(Named("Book"));
  EXPECT_EQ(FindFaceIndexByStyle(single.data(), int(single.size()), "Regular"), -1);
}

namespace {

// A collection whose table lists `entries` faces: `offsets` picks, for each,
// how many 16-byte steps before the Regular face its directory starts (0:
// the face itself); one more entry, last, is a Bold face. The steps before
// the face are views into it: a table count that reaches its records, and
// the records of the larger views before it, whose tags are none we read.
std::vector<uint8_t> CollectionOfViews(const std::vector<int>& steps, int maxStep)
{
  const size_t entries = steps.size() + 1;
  std::vector<uint8_t> out(12 + 4 * entries + 16 * size_t(maxStep));
  fontblob::Put32(out, 0, 0x74746366);
  fontblob::Put32(out, 4, 0x00020000);
  fontblob::Put32(out, 8, uint32_t(entries));
  const size_t regular = out.size();
  for (int k = 1; k <= maxStep; ++k)
    fontblob::Put16(out, regular - 16 * size_t(k) + 4, uint32_t(3 + k));
  fontblob::AppendFace(out, Named("Regular"), 0x00010000);
  const size_t bold = out.size();
  fontblob::AppendFace(out, Named("Bold"), 0x00010000);
  for (size_t i = 0; i < steps.size(); ++i)
    fontblob::Put32(out, 12 + 4 * i, uint32_t(regular - 16 * size_t(steps[i])));
  fontblob::Put32(out, 12 + 4 * steps.size(), uint32_t(bold));
  return out;
}

} // namespace

// Crafted collections must not make the search read the same directory
// records over and over (a 1.3 MB file once took seconds): a face listed
// again is not read again, and directories that overlap so much that they
// could not all fit in the bytes mark the collection as damaged.
TEST(FontTableInfo, FaceSearchReadsEachDirectoryOnce)
{
  const std::vector<int> sameFace(200, 0);
  std::vector<int> overlapping;
  for (int k = 40; k >= 0; --k)
    overlapping.push_back(k);
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int face;
  } cases[] = {
    {"one face listed 200 times", CollectionOfViews(sameFace, 0), 200},
    {"two views of one face", CollectionOfViews({1, 0}, 1), 2},
    {"41 overlapping directories", CollectionOfViews(overlapping, 40), -1},
  };
  for (const auto& c : cases)
  {
    // Every view before the Bold face is a valid Regular face.
    EXPECT_STREQ(IFontTableInfo(c.bytes.data(), int(c.bytes.size()), 0).style.Get(), "Regular") << c.what;
    EXPECT_EQ(FindFaceIndexByStyle(c.bytes.data(), int(c.bytes.size()), "Bold"), c.face) << c.what;
    EXPECT_EQ(FindFaceIndexByStyle(c.bytes.data(), int(c.bytes.size()), "Regular"), 0) << c.what;
  }
}

TEST(FontTableInfo, EmRatioIsOneWithoutAPositiveLineHeight)
{
  const struct
  {
    int16_t ascender, descender;
    double ratio;
  } cases[] = {{1900, -500, 2048.0 / 2400.0}, {0, 0, 1.0}, {-500, 1900, 1.0}, {100, 100, 1.0}};
  for (const auto& c : cases)
  {
    fontblob::Face f;
    f.ascender = c.ascender;
    f.descender = c.descender;
    const auto bytes = fontblob::Single(f);
    const IFontTableInfo info(bytes.data(), int(bytes.size()), 0);
    EXPECT_DOUBLE_EQ(info.EmRatio(), c.ratio) << c.ascender << " " << c.descender;
  }
}

// Every cut of a font and every field pointed past the end is read without
// leaving the bytes (AddressSanitizer watches the heap copy of each cut).
TEST(FontTableInfo, CutAndOverflowingBytesStayInBounds)
{
  const auto whole = fontblob::Collection({Named("Regular"), Named("Bold")});
  for (size_t n = 0; n < whole.size(); ++n)
  {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(n));
    for (int face = 0; face < 3; ++face)
    {
      const IFontTableInfo info(cut.data(), int(cut.size()), face);
      if (info.IsValid())
      {
        EXPECT_LE(info.hhea + 10u, n);
      }
    }
    (void)FindFaceIndexByStyle(cut.data(), int(cut.size()), "Bold");
  }
  const auto single = fontblob::Single();
  const size_t nameTable = 12 + 48 + 54 + 36;
  const struct
  {
    const char* what;
    size_t at;
    uint32_t value;
    bool wide;
    bool valid;
  } damage[] = {
    {"table offset past the end", 12 + 8, 0xFFFFFFF0u, true, false},
    {"table count past the end", 4, 0xFFFF, false, false},
    {"name storage past the end", nameTable + 4, 0xFFFF, false, true},
    {"name length past the end", nameTable + 6 + 8, 0xFFFF, false, true},
    {"name record count past the end", nameTable + 2, 0xFFFF, false, true},
  };
  for (const auto& d : damage)
  {
    auto bytes = single;
    if (d.wide)
      fontblob::Put32(bytes, d.at, d.value);
    else
      fontblob::Put16(bytes, d.at, d.value);
    const IFontTableInfo info(bytes.data(), int(bytes.size()), 0);
    EXPECT_EQ(info.IsValid(), d.valid) << d.what;
    if (!d.valid)
    {
      EXPECT_EQ(info.unitsPerEm + info.ascender + info.descender + info.lineGap, 0) << d.what;
    }
    EXPECT_LE(strlen(info.family.Get()), bytes.size()) << d.what;
  }
  // A Macintosh name that claims more bytes than remain ends with the file.
  auto mac = fontblob::Single(Named("Bold", false));
  fontblob::Put16(mac, nameTable + 6 + 8, 0xFFFF);
  EXPECT_STREQ(IFontTableInfo(mac.data(), int(mac.size()), 0).family.Get(), "Test SansBold");
}

TEST(FontTableInfo, FileDataKeepsItsOwnCopy)
{
  auto bytes = fontblob::Single();
  const IFontFileData data(bytes.data(), int(bytes.size()), 0);
  std::fill(bytes.begin(), bytes.end(), uint8_t(0));
  ASSERT_TRUE(data.IsValid());
  EXPECT_EQ(data.GetSize(), int(bytes.size()));
  EXPECT_EQ(data.data, data.Bytes());
  EXPECT_EQ(data.unitsPerEm, 2048);
}
