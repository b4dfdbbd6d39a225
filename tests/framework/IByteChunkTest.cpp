#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "framework/IByteChunk.h"
#include "graphics/PK_String.h"

using plugkit::IByteChunk;

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
