#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics/PK_HeapBuf.h"
#include "graphics/PK_Mutex.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"
#include "graphics/PK_TypedBuf.h"

namespace {

// -- PK_HeapBuf ---------------------------------------------------------------

TEST(HeapBufGrowth, SmallGranularityAddsHalfOrGranule)
{
  PK_HeapBuf buf(128);
  ASSERT_NE(buf.Resize(10), nullptr);
  EXPECT_EQ(buf.GetSize(), 10);
  EXPECT_EQ(buf.GetAllocated(), 10 + 128);

  buf.Resize(1000);
  EXPECT_EQ(buf.GetAllocated(), 1000 + 500);
}

TEST(HeapBufGrowth, PageGranularityFillsWholePagesWithAllocatorOverhead)
{
  PK_HeapBuf buf(4096);
  buf.Resize(10);
  EXPECT_EQ(buf.GetAllocated(), 4096 - 96);
  EXPECT_EQ((buf.GetAllocated() + 96) % 4096, 0);

  buf.Resize(100000);
  EXPECT_EQ((buf.GetAllocated() + 96) % 4096, 0);
  EXPECT_GE(buf.GetAllocated(), 100000 + 4096);
}

TEST(HeapBufGrowth, ShrinksOnlyWhenFarTooLargeAndKeepsContent)
{
  PK_HeapBuf buf(128);
  char* block = static_cast<char*>(buf.Resize(1000));
  std::memcpy(block, "keep", 4);

  buf.Resize(900); // above half of 1500: no reallocation
  EXPECT_EQ(buf.GetAllocated(), 1500);

  block = static_cast<char*>(buf.Resize(100));
  EXPECT_EQ(buf.GetAllocated(), 100 + 128);
  EXPECT_EQ(std::string(block, 4), "keep");

  buf.Resize(50, false); // never shrinks memory when told not to
  EXPECT_EQ(buf.GetAllocated(), 228);
}

TEST(HeapBufGrowth, ZeroOrNegativeSizeFreesTheBlock)
{
  PK_HeapBuf buf(128);
  buf.Resize(64);
  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 0);
  EXPECT_EQ(buf.Get(), nullptr);

  buf.Resize(64);
  EXPECT_EQ(buf.Resize(-7), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
}

TEST(HeapBufGrowth, ImpossibleSizeIsRefusedWithTheOldBlockKept)
{
  PK_HeapBuf buf(4096);
  void* block = buf.Resize(16);
  EXPECT_EQ(buf.Resize(0x7fffffff), block);
  EXPECT_EQ(buf.GetSize(), 16);
}

TEST(TypedBuf, SizesAreInElements)
{
  PK_TypedBuf<double> values;
  double* data = values.Resize(5);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(values.GetSize(), 5);
  data[4] = 1.5;
  EXPECT_EQ(values.Resize(8)[4], 1.5);
  EXPECT_EQ(values.Resize(-1), nullptr);
  EXPECT_EQ(values.GetSize(), 0);
}

// -- PK_PtrList ---------------------------------------------------------------

// Records the order in which objects are destroyed.
struct Tracked
{
  Tracked(int id, std::vector<int>& log) : mId(id), mLog(log) {}
  ~Tracked() { mLog.push_back(mId); }
  int mId;
  std::vector<int>& mLog;
};

TEST(PtrList, GetOutsideTheListGivesNull)
{
  PK_PtrList<int> list;
  EXPECT_EQ(list.Get(0), nullptr);
  int a = 1, b = 2;
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Get(list.GetSize()), nullptr);
  EXPECT_EQ(list.Get(1), &b);
}

TEST(PtrList, DeleteMovesLaterEntriesDownAndDeletesOnlyWhenAsked)
{
  std::vector<int> destroyed;
  PK_PtrList<Tracked> list;
  Tracked kept(0, destroyed);
  list.Add(&kept);
  list.Add(new Tracked(1, destroyed));
  list.Add(new Tracked(2, destroyed));

  list.Delete(0); // not deleted: it lives on the stack
  ASSERT_EQ(list.GetSize(), 2);
  EXPECT_EQ(list.Get(0)->mId, 1);
  EXPECT_TRUE(destroyed.empty());

  list.Delete(0, true);
  EXPECT_EQ(destroyed, std::vector<int>{1});
  EXPECT_EQ(list.Get(0)->mId, 2);

  list.Delete(5, true); // outside: nothing happens
  list.Delete(-1, true);
  EXPECT_EQ(list.GetSize(), 1);
  EXPECT_EQ(list.Get(0)->mId, 2);
  EXPECT_EQ(destroyed, std::vector<int>{1});
  list.Empty(true);
}

TEST(PtrList, EmptyDeletesFromLastToFirst)
{
  std::vector<int> destroyed;
  PK_PtrList<Tracked> list;
  for (int i = 0; i < 4; ++i)
    list.Add(new Tracked(i, destroyed));
  list.Empty(true);
  EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(list.Get(0), nullptr);
}

std::vector<int>* gFreed = nullptr;
void FreeInt(void* p)
{
  gFreed->push_back(*static_cast<int*>(p));
  delete static_cast<int*>(p);
}

TEST(PtrList, EmptyUsesTheGivenDeleteFunction)
{
  std::vector<int> freed;
  gFreed = &freed;
  PK_PtrList<int> list;
  list.Add(new int(7));
  list.Add(new int(8));
  list.Empty(true, FreeInt);
  EXPECT_EQ(freed, (std::vector<int>{8, 7}));
}

// -- PK_String ----------------------------------------------------------------

TEST(String, NeverSetReadsAsEmptyTextNotNull)
{
  PK_String s;
  ASSERT_NE(s.Get(), nullptr);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(s.GetBlockSize(), 0);

  PK_String fromNull(nullptr);
  EXPECT_STREQ(fromNull.Get(), "");
}

TEST(String, SettingTheEmptyTextGivesOneByteBlock)
{
  PK_String s;
  s.Set("");
  EXPECT_EQ(s.GetBlockSize(), 1);
  EXPECT_STREQ(s.Get(), "");
  s.Set("abc");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
}

struct SetCase
{
  const char* text;
  int maxLen;
  const char* expected;
};

class StringSetWithLimit : public testing::TestWithParam<SetCase> {};

TEST_P(StringSetWithLimit, CopiesUpToLimitOrFirstNul)
{
  PK_String s("previous");
  s.Set(GetParam().text, GetParam().maxLen);
  EXPECT_STREQ(s.Get(), GetParam().expected);
  EXPECT_EQ(s.GetLength(), static_cast<int>(std::strlen(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(Cases, StringSetWithLimit,
  testing::Values(SetCase{"abcdef", 3, "abc"}, SetCase{"ab", 10, "ab"}, SetCase{"abcdef", 0, "abcdef"},
    SetCase{"abcdef", -4, "abcdef"}, SetCase{"abcdef", 6, "abcdef"}));

TEST(String, AppendRespectsLimitAndKeepsText)
{
  PK_String s("knob");
  s.Append(".png-extra", 4);
  EXPECT_STREQ(s.Get(), "knob.png");
  s.Append("");
  EXPECT_STREQ(s.Get(), "knob.png");
}

TEST(String, AppendingPartOfItselfSurvivesTheBlockMoving)
{
  PK_String s("0123456789");
  for (int i = 0; i < 6; ++i) // grows past several reallocations
    s.Append(s.Get());
  EXPECT_EQ(s.GetLength(), 10 << 6);
  const std::string text = s.Get();
  for (size_t i = 0; i < text.size(); ++i)
    ASSERT_EQ(text[i], '0' + static_cast<char>(i % 10)) << "at " << i;

  PK_String t("abcdef");
  t.Set(t.Get() + 2); // overlapping source inside the block
  EXPECT_STREQ(t.Get(), "cdef");
}

TEST(String, FormattedSetCutsAtLimit)
{
  PK_String s;
  s.SetFormatted(5, "%s", "abcdefgh");
  EXPECT_STREQ(s.Get(), "abcde");
  EXPECT_EQ(s.GetLength(), 5);
  EXPECT_EQ(s.GetBlockSize(), 6);

  s.SetFormatted(32, "%d dB", -12);
  EXPECT_STREQ(s.Get(), "-12 dB");
}

TEST(String, FormattedAppendAddsAtMostLimit)
{
  PK_String s("knob.png");
  s.AppendFormatted(6, "-%.1fx", 2.0);
  EXPECT_STREQ(s.Get(), "knob.png-2.0x");

  s.AppendFormatted(3, "%s", "abcdef");
  EXPECT_STREQ(s.Get(), "knob.png-2.0xabc");
  EXPECT_EQ(s.GetBlockSize(), s.GetLength() + 1);
}

TEST(String, FormattedSettersTakeArgumentsFromTheStringItself)
{
  // The argument points into the block that the setter resizes and writes.
  const struct
  {
    bool append;
    int offset;
    const char* expected;
  } cases[] = {{false, 0, "<abc>"}, {false, 1, "<bc>"}, {true, 0, "abc<abc>"}, {true, 1, "abc<bc>"}};
  for (const auto& c : cases)
  {
    PK_String s("abc");
    if (c.append)
      s.AppendFormatted(300, "<%s>", s.Get() + c.offset);
    else
      s.SetFormatted(300, "<%s>", s.Get() + c.offset);
    EXPECT_STREQ(s.Get(), c.expected);
    EXPECT_EQ(s.GetBlockSize(), s.GetLength() + 1);
  }
}

// A wide character that the "C" locale cannot encode makes vsnprintf fail.
const wchar_t kUnencodable[] = {0xE9, 0};

TEST(String, FormattingErrorLeavesAConsistentString)
{
  PK_String s("before");
  s.SetFormatted(32, "%ls", kUnencodable);
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(s.GetBlockSize(), 1);

  s.Set("keep");
  s.AppendFormatted(32, "%ls", kUnencodable);
  EXPECT_STREQ(s.Get(), "keep");
  EXPECT_EQ(s.GetBlockSize(), 5);
  s.Append("!");
  EXPECT_STREQ(s.Get(), "keep!");
}

TEST(String, SetLenCutsAndIsClampedToTheText)
{
  PK_String s("knob.png");
  s.SetLen(4);
  EXPECT_STREQ(s.Get(), "knob");
  s.SetLen(400);
  EXPECT_STREQ(s.Get(), "knob");
  EXPECT_EQ(s.GetLength(), 4);
  s.SetLen(-3);
  EXPECT_STREQ(s.Get(), "");

  PK_String unset;
  unset.SetLen(10);
  EXPECT_STREQ(unset.Get(), "");
}

TEST(String, CopiesAreIndependent)
{
  PK_String a("one");
  PK_String b(a);
  b.Append("two");
  EXPECT_STREQ(a.Get(), "one");
  EXPECT_STREQ(b.Get(), "onetwo");
  a = b;
  EXPECT_STREQ(a.Get(), "onetwo");
}

TEST(Mutex, RecursiveMutexCanBeEnteredTwiceByItsOwner)
{
  PK_Mutex mutex(true);
  PK_Mutex::Scope outer(mutex);
  EXPECT_TRUE(mutex.TryEnter());
  mutex.Leave();
}

} // namespace
