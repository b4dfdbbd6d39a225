#include <string>

#include <gtest/gtest.h>

#include "framework/HostIds.h"

namespace {

using namespace plugkit;

TEST(HostLookUp, FindsTheFirstKeyTheNameContainsIgnoringCase)
{
  struct Case { const char* name; int32_t id; };
  for (const Case& c : {Case{"Live", 9}, Case{"LIVE 11", 9}, Case{"VST Live Pro", 58}, Case{"WaveLab Elements 12", 32},
         Case{"WaveLab Pro", 31}, Case{"Logic Pro", 21}, Case{"com.apple.logic10", 21}, Case{"www", 35},
         Case{"Kv_ElementFX", 52}, Case{"Element", 52}, Case{"REAPER", 1}, Case{"Metaplugin", 67},
         Case{"my standalone app", 24}, Case{"IZOTOPE RX 10", kHostIZotopeRX}, Case{"An unheard-of host", 0},
         Case{"", 0}, Case{nullptr, kHostUnknown}})
    EXPECT_EQ(LookUpHostId(c.name), c.id) << (c.name ? c.name : "null");
  // Only the first 255 characters count.
  std::string name(255, 'x');
  EXPECT_EQ(LookUpHostId((name + "reaper").c_str()), kHostUnknown);
  name.resize(249);
  EXPECT_EQ(LookUpHostId((name + "reaper").c_str()), kHostReaper);
  // Whatever a host calls itself, the unassigned row never answers.
  for (const char* unassigned : {"com.unassigned.host-identifier", "COM.UNASSIGNED.HOST-IDENTIFIER"})
    EXPECT_NE(LookUpHostId(unassigned), kHostReservedBundleID) << unassigned;
}

} // namespace
