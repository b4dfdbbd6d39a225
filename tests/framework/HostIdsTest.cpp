#include <gtest/gtest.h>

#include "framework/HostIds.h"

namespace {

using namespace plugkit;

struct HostCase
{
  const char* name;
  int32_t expected;
};

class HostLookUp : public testing::TestWithParam<HostCase>
{
};

TEST_P(HostLookUp, FindsTheFirstKeyTheNameContainsIgnoringCase)
{
  EXPECT_EQ(LookUpHostId(GetParam().name), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, HostLookUp,
  testing::Values(HostCase{"Live", 9}, HostCase{"LIVE 11", 9}, HostCase{"VST Live Pro", 58},
    HostCase{"WaveLab Elements 12", 32}, HostCase{"WaveLab Pro", 31}, HostCase{"Logic Pro", 21},
    HostCase{"com.apple.logic10", 21}, HostCase{"www", 35}, HostCase{"Kv_ElementFX", 52},
    HostCase{"Element", 52}, HostCase{"REAPER", 1}, HostCase{"Metaplugin", 67}, HostCase{"my standalone app", 24},
    HostCase{"An unheard-of host", 0}, HostCase{"", 0}));

TEST(HostLookUpLimits, NoNameIsUnknown)
{
  EXPECT_EQ(LookUpHostId(nullptr), kHostUnknown);
}

TEST(HostLookUpLimits, OnlyTheFirst255CharactersCount)
{
  std::string name(255, 'x');
  EXPECT_EQ(LookUpHostId((name + "reaper").c_str()), kHostUnknown);
  name.resize(249);
  EXPECT_EQ(LookUpHostId((name + "reaper").c_str()), kHostReaper);
}

TEST(HostLookUpLimits, TheUnassignedRowMatchesNoName)
{
  // Whatever a host calls itself, row 56 never answers, in any spelling.
  for (const char* name : {"com.unassigned.host-identifier", "COM.UNASSIGNED.HOST-IDENTIFIER",
         "com.UNASSIGNED.host-identifier"})
    EXPECT_NE(LookUpHostId(name), kHostReservedBundleID) << name;
}

} // namespace
