// The plug-in base's helpers that copy parameters: values by index range,
// and whole definitions by cloning.
#include <climits>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

namespace {

using fakes::StandalonePlugin;
using plugkit::IParam;

// The processor time this thread has used, in seconds.
double ThreadCpuSeconds()
{
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::vector<double> Values(const StandalonePlugin& plug)
{
  std::vector<double> v;
  for (int i = 0; i < plug.NParams(); ++i)
    v.push_back(plug.GetParam(i)->Value());
  return v;
}

TEST(ParamCopy, ACountBeyondTheParametersStopsAtTheLastOne)
{
  struct Case
  {
    int start, dest, count;
    std::vector<double> want;
  };
  // A count near the largest int would, unbounded, spin for billions of
  // rounds and push start + k past INT_MAX.
  const Case cases[] = {
    {2, 0, INT_MAX, {3, 4, 3, 4}},
    {0, 2, INT_MAX, {1, 2, 1, 2}},
    {3, 0, INT_MAX - 1, {4, 2, 3, 4}},
    {1, 1, INT_MAX, {1, 2, 3, 4}},
    {0, 3, 1, {1, 2, 3, 1}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.start << " -> " << c.dest << " x " << c.count);
    StandalonePlugin plug(4, 0);
    for (int i = 0; i < 4; ++i)
    {
      plug.GetParam(i)->InitDouble("p", 0.0, 0.0, 10.0, 1.0);
      plug.GetParam(i)->Set(i + 1.0);
    }
    const double before = ThreadCpuSeconds();
    plug.CopyParamValues(c.start, c.dest, c.count);
    EXPECT_EQ(Values(plug), c.want);
    // Four parameters take microseconds; a loop that runs to the count
    // takes seconds even where it changes no value.
    EXPECT_LT(ThreadCpuSeconds() - before, 0.1) << "the copy went on past the last parameter";
  }
}

// Everything a host or editor sees of a parameter.
auto Definition(const IParam& p)
{
  return std::make_tuple(std::string(p.GetName()), p.Type(), p.GetMin(), p.GetMax(), p.GetStep(), p.GetDefault(),
                         std::string(p.GetLabel()), std::string(p.GetGroup()), p.GetFlags(), p.Value());
}

TEST(ParamClone, ClonesTakeTheWholeDefinitionRenamedAndRegrouped)
{
  StandalonePlugin plug(5, 0);
  plug.GetParam(0)->InitDouble("Gain L", 1.0, -24.0, 24.0, 0.1, "dB", IParam::kFlagMeta, "Left");
  plug.GetParam(1)->InitInt("Steps L", 3, 0, 8, "st", IParam::kFlagCannotAutomate, "Left");
  plug.GetParam(0)->Set(-6.5);
  plug.GetParam(1)->Set(5);

  plug.CloneParamRange(0, 1, 2, " L", " R", "Right");
  const auto want = [&](int src, const char* name, const char* group) {
    auto d = Definition(*plug.GetParam(src));
    std::get<0>(d) = name;
    std::get<7>(d) = group;
    return d;
  };
  EXPECT_EQ(Definition(*plug.GetParam(2)), want(0, "Gain R", "Right"));
  EXPECT_EQ(Definition(*plug.GetParam(3)), want(1, "Steps R", "Right"));

  // Without a search text or a group the name and group stay the source's.
  plug.CloneParamRange(1, 1, 4);
  EXPECT_EQ(Definition(*plug.GetParam(4)), Definition(*plug.GetParam(1)));
}

} // namespace
