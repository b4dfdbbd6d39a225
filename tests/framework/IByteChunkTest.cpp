#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "graphics/PK_String.h"

using plugkit::IByteChunk;

TEST(IByteChunk, ValuesAreWrittenLittleEndianAndReadBackAsPositionsAdvance)
{
  IByteChunk c;
  EXPECT_EQ(c.PutInt32(-2), 4);
  EXPECT_EQ(c.PutDouble(-2.5), 12); // 0xC004000000000000
  EXPECT_EQ(c.PutBool(true), 13);
  EXPECT_EQ(c.PutFloat(0.75f), 17); // 0x3F400000
  EXPECT_EQ(c.PutStr("hi"), 23);
  EXPECT_EQ(std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size()),
    (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x04, 0xC0, 1, 0, 0, 0x40, 0x3F, 2, 0, 0, 0, 'h', 'i'}));
  int32_t i = 0;
  double d = 0.0;
  bool b = false;
  float f = 0.f;
  PK_String s;
  int pos = c.GetInt32(i, 0);
  pos = c.GetDouble(d, pos);
  pos = c.GetBool(b, pos);
  pos = c.GetFloat(f, pos);
  EXPECT_EQ(c.GetStr(s, pos), c.Size());
  EXPECT_TRUE(i == -2 && d == -2.5 && b && f == 0.75f);
  EXPECT_STREQ(s.Get(), "hi");
}

TEST(IByteChunk, ShortOrNegativeReadsFailAndLeaveTheOutput)
{
  IByteChunk c;
  c.PutInt32(7);
  double d = 42.0;
  int32_t i = 9;
  uint8_t raw[2];
  EXPECT_EQ(c.GetDouble(d, 0), -1);
  for (int at : {1, -1, 4})
    EXPECT_EQ(c.GetInt32(i, at), -1) << at;
  EXPECT_EQ(c.GetBytes(raw, -1, 0), -1);
  EXPECT_TRUE(d == 42.0 && i == 9);
}

TEST(IByteChunk, TextEndsAtAnInnerZeroSkipsItsWholeLengthAndNeverWrapsPastTheEnd)
{
  IByteChunk c;
  c.PutUInt32(6);
  c.PutBytes("ab\0cde", 6);
  c.PutInt32(5);
  PK_String s("old");
  EXPECT_EQ(c.GetStr(s, 0), 10);
  EXPECT_STREQ(s.Get(), "ab");
  IByteChunk empty;
  empty.PutStr("");
  EXPECT_EQ(empty.GetStr(s, 0), 4);
  EXPECT_STREQ(s.Get(), "");
  for (uint32_t len : {0xFFFFFFFFu, 0xFFFFFFFCu, 0x80000000u, 0x7FFFFFFFu, 5u})
  {
    IByteChunk bad;
    bad.PutUInt32(len);
    bad.PutBytes("abcd", 4);
    PK_String kept("kept");
    EXPECT_EQ(bad.GetStr(kept, 0), -1) << len;
    EXPECT_STREQ(kept.Get(), "kept");
  }
  IByteChunk three;
  three.PutBytes("abc", 3);
  EXPECT_EQ(three.GetStr(s, 0), -1);
  EXPECT_EQ(three.GetStr(s, 2147483647), -1);
}

TEST(IByteChunk, AppendingChunksResizingAndComparing)
{
  IByteChunk a, b;
  a.PutInt32(1);
  b.PutInt32(2);
  a.PutChunk(b);
  a.PutChunk(a);
  int32_t v = 0;
  EXPECT_EQ(a.Size(), 16);
  EXPECT_EQ(a.GetInt32(v, 12), 16);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(b.Resize(10), 10);
  EXPECT_EQ(b.GetData()[9], 0);
  IByteChunk same;
  same.PutInt32(2);
  same.Resize(10);
  EXPECT_TRUE(b.IsEqual(same));
  same.GetData()[9] = 1;
  EXPECT_FALSE(b.IsEqual(same));
  b.Clear();
  EXPECT_EQ(b.Size(), 0);
  EXPECT_FALSE(a.IsEqual(b));
}
