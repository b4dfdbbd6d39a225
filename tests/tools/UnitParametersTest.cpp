// A unit's parameter names as the host reads them: the name strings are
// the host's to release only when the unit says so.
#include <gtest/gtest.h>

#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"
#include "tools/ComponentBundle.h"
#include "tools/UnitParameters.h"

namespace {

TEST(UnitParameters, NameStringsAreReleasedExactlyWhenTheUnitHandsThemOver)
{
  struct Case
  {
    const char* bundle;
    const char* firstName;
  };
  // The product hands each name over (kAudioUnitParameterFlag_CFNameRelease);
  // the strict unit keeps its own.
  for (const Case c : {Case{PRODUCT_BUNDLE, "GUI Scale"}, Case{STRICT_BUNDLE, "€€"}})
  {
    SCOPED_TRACE(c.bundle);
    standin::UseManualClock();
    std::string error;
    const auto bundle = auhost::ComponentBundle::Load(c.bundle, error);
    ASSERT_TRUE(bundle) << error;
    standin::ResetOverReleaseCount();
    {
      auto unit = auhost::OpenedUnit::Open(*bundle, error);
      ASSERT_TRUE(unit) << error;
      const long alive = standin::LiveObjectCount();
      for (int read = 0; read < 2; ++read)
      {
        const auto params = auhost::ReadParameters(unit->Unit());
        ASSERT_FALSE(params.empty());
        EXPECT_EQ(params[0].name, c.firstName) << "read " << read;
      }
      EXPECT_EQ(standin::LiveObjectCount(), alive) << "a name handed over was kept";
    }
    EXPECT_EQ(standin::OverReleaseCount(), 0) << "a name the unit kept was released";
  }
}

} // namespace
