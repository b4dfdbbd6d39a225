#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "graphics/PK_String.h"

using plugkit::IByteChunk;

namespace {

std::vector<uint8_t> Bytes(const IByteChunk& c)
{
  return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

// The little-endian bytes of a value, computed by shifting.
std::vector<uint8_t> LittleEndian(uint64_t bits, int n)
{
  std::vector<uint8_t> out;
  for (int i = 0; i < n; ++i)
    out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  return out;
}

} // namespace

TEST(IByteChunk, ValuesAreWrittenLittleEndian)
{
  IByteChunk c;
  EXPECT_EQ(c.PutInt32(-2), 4);
  EXPECT_EQ(c.PutDouble(-2.5), 12);
  EXPECT_EQ(c.PutBool(true), 13);
  EXPECT_EQ(c.PutFloat(0.75f), 17);

  uint64_t dbits;
  const double d = -2.5;
  std::memcpy(&dbits, &d, 8);
  uint32_t fbits;
  const float f = 0.75f;
  std::memcpy(&fbits, &f, 4);
  std::vector<uint8_t> expected = LittleEndian(0xFFFFFFFEu, 4);
  for (uint8_t b : LittleEndian(dbits, 8))
    expected.push_back(b);
  expected.push_back(1);
  for (uint8_t b : LittleEndian(fbits, 4))
    expected.push_back(b);
  EXPECT_EQ(Bytes(c), expected);
}

TEST(IByteChunk, ValuesReadBackAndPositionsAdvance)
{
  IByteChunk c;
  c.PutInt32(123456);
  c.PutDouble(0.1);
  c.PutStr("hello");
  c.PutBool(false);

  int32_t i = 0;
  double d = 0.0;
  PK_String s;
  bool b = true;
  int pos = c.GetInt32(i, 0);
  pos = c.GetDouble(d, pos);
  pos = c.GetStr(s, pos);
  pos = c.GetBool(b, pos);
  EXPECT_EQ(pos, c.Size());
  EXPECT_EQ(i, 123456);
  EXPECT_EQ(d, 0.1);
  EXPECT_STREQ(s.Get(), "hello");
  EXPECT_FALSE(b);
}

TEST(IByteChunk, ShortOrNegativeReadsFailAndLeaveTheOutput)
{
  IByteChunk c;
  c.PutInt32(7);
  double d = 42.0;
  EXPECT_EQ(c.GetDouble(d, 0), -1);
  EXPECT_EQ(d, 42.0);
  int32_t i = 9;
  EXPECT_EQ(c.GetInt32(i, 1), -1);
  EXPECT_EQ(c.GetInt32(i, -1), -1);
  EXPECT_EQ(c.GetInt32(i, 4), -1);
  EXPECT_EQ(i, 9);
  uint8_t raw[2];
  EXPECT_EQ(c.GetBytes(raw, -1, 0), -1);
}

TEST(IByteChunk, TextEndsAtAnInnerZeroAndSkipsItsWholeLength)
{
  IByteChunk c;
  c.PutUInt32(6);
  c.PutBytes("ab\0cde", 6);
  c.PutInt32(5);
  PK_String s("old");
  const int pos = c.GetStr(s, 0);
  EXPECT_EQ(pos, 10);
  EXPECT_STREQ(s.Get(), "ab");

  IByteChunk empty;
  empty.PutStr("");
  EXPECT_EQ(empty.GetStr(s, 0), 4);
  EXPECT_STREQ(s.Get(), "");
}

TEST(IByteChunk, NoTextLengthWrapsPastTheEnd)
{
  for (uint32_t len : {0xFFFFFFFFu, 0xFFFFFFFCu, 0x80000000u, 0x7FFFFFFFu, 5u})
  {
    IByteChunk c;
    c.PutUInt32(len);
    c.PutBytes("abcd", 4);
    PK_String s("kept");
    EXPECT_EQ(c.GetStr(s, 0), -1) << len;
    EXPECT_STREQ(s.Get(), "kept");
  }
  IByteChunk three;
  three.PutBytes("abc", 3);
  PK_String s("kept");
  EXPECT_EQ(three.GetStr(s, 0), -1);
  EXPECT_EQ(three.GetStr(s, 2147483647), -1);
}

TEST(IByteChunk, AppendingChunksAndResizing)
{
  IByteChunk a, b;
  a.PutInt32(1);
  b.PutInt32(2);
  a.PutChunk(b);
  a.PutChunk(a);
  EXPECT_EQ(a.Size(), 16);
  int32_t v = 0;
  EXPECT_EQ(a.GetInt32(v, 12), 16);
  EXPECT_EQ(v, 2);

  EXPECT_EQ(b.Resize(10), 10);
  EXPECT_EQ(b.GetData()[9], 0);
  b.Clear();
  EXPECT_EQ(b.Size(), 0);
  EXPECT_FALSE(a.IsEqual(b));
}
