#include <dlfcn.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"
#include "framework/audiounit/AUPlugInGlue.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

TEST(AUFactoryRecord, HoldsEightWordsWithTheEntriesInOrder)
{
  AudioComponentPlugInInterface* record = Tolvane3_Factory();
  ASSERT_NE(record, nullptr);
  void* const* words = reinterpret_cast<void* const*>(record);
  const void* want[8] = {reinterpret_cast<void*>(plugkit::AUPlugInOpen),
                         reinterpret_cast<void*>(plugkit::AUPlugInClose),
                         reinterpret_cast<void*>(plugkit::AUMethodLookup),
                         nullptr,
                         reinterpret_cast<void*>(plugkit::AUPlugInConstruct),
                         reinterpret_cast<void*>(plugkit::AUPlugInDestroy),
                         nullptr,
                         nullptr};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(words[i], want[i]) << "word " << i;
  // A block never opened is closed as well.
  EXPECT_EQ(record->Close(record), noErr);
}

TEST(AUFactoryRecord, LooksUpExactlyTheServedSelectors)
{
  const std::set<int> served = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18};
  AudioComponentPlugInInterface* record = Tolvane3_Factory();
  for (int s = -8; s <= 300; ++s)
    EXPECT_EQ(record->Lookup(static_cast<SInt16>(s)) != nullptr, served.count(s) == 1) << "selector " << s;
  EXPECT_EQ(record->Lookup(kAudioUnitInitializeSelect), reinterpret_cast<AudioComponentMethod>(plugkit::AUMethodInitialize));
  record->Close(record);
}

TEST(AUComponentEntry, AnswersCanDoVersionAndRefusesUnservedSelectors)
{
  HostedUnit host(Road::Entry);
  const std::set<int> canDo = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17};
  for (int s = -6; s <= 270; ++s)
    EXPECT_EQ(standin::CallComponent(host.Unit(), kComponentCanDoSelect, {ComponentWordFromInt(s)}),
              canDo.count(s) ? 1 : 0)
      << "selector " << s;
  EXPECT_EQ(standin::CallComponent(host.Unit(), kComponentVersionSelect, {}), 0x0003001C);
  for (int s : {0, 8, 12, 13, 19, 100, 256, 263, 300, -5, -100})
    EXPECT_EQ(standin::CallComponent(host.Unit(), static_cast<int16_t>(s), {ComponentWordFromPointer(host.Unit())}),
              badComponentSelector)
      << "selector " << s;
}

// The buses every kind of plug-in is built with: per side the (plug
// channels, first channel) of each bus.
TEST(AUConstruction, BuildsBusesFromTheChannelLayouts)
{
  using Buses = std::vector<std::pair<int, int>>;
  struct Case
  {
    AUTestKind kind;
    Buses in, out;
    int inChannels, outChannels;
  };
  const Case cases[] = {
    {AUTestKind::Effect, {{2, 0}, {2, 2}}, {{2, 0}}, 4, 2},
    {AUTestKind::Instrument, {}, {{2, 0}}, 0, 2},
    {AUTestKind::Wildcard, {{1, 0}}, {{2, 0}}, 2, 2},
    {AUTestKind::TwoOutputs, {{2, 0}}, {{2, 0}, {2, 2}}, 2, 4},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(static_cast<int>(c.kind));
    for (Road road : {Road::Factory, Road::Entry})
    {
      HostedUnit host(road, c.kind);
      const AUTestPlugin& p = host.Plugin();
      auto busesOf = [&](AudioUnitScope scope, int n) {
        Buses b;
        for (int i = 0; i < n; ++i)
          b.emplace_back(p.GetBus(scope, i)->mNPlugChannels, p.GetBus(scope, i)->mPlugChannelStartIdx);
        return b;
      };
      EXPECT_EQ(busesOf(kAudioUnitScope_Input, p.NInBuses()), c.in);
      EXPECT_EQ(busesOf(kAudioUnitScope_Output, p.NOutBuses()), c.out);
      EXPECT_EQ(p.NInBuses(), static_cast<int>(c.in.size()));
      for (int i = 0; i < p.NInBuses(); ++i)
        EXPECT_EQ(p.GetInputConnection(i)->mInputType, plugkit::eNotConnected);
      EXPECT_EQ(p.GetBlockSize(), 512);
      EXPECT_EQ(p.MaxNChannels(plugkit::kInput), c.inChannels);
      EXPECT_EQ(p.MaxNChannels(plugkit::kOutput), c.outChannels);
      EXPECT_STREQ(p.GetCocoaViewClassName(), kAUTestViewClass);
      EXPECT_EQ(p.GetComponentInstance(), host.Unit());
      // The free preset slot is gone after open.
      EXPECT_EQ(p.NPresets(), 2);
    }
  }
}

TEST(AUConstruction, StartsTheIdleTimerOnceBuiltAndLeavesNothingBehind)
{
  standin::ResetMainLoop();
  const long liveBefore = standin::LiveObjectCount();
  for (Road road : {Road::Factory, Road::Entry})
  {
    {
      HostedUnit host(road);
      EXPECT_EQ(host.Plugin().timersWhenBuilt, 0);
      EXPECT_EQ(standin::ScheduledTimerCount(), 1);
    }
    EXPECT_EQ(AUTestPlugin::timersWhenDestroyed, 0);
    EXPECT_EQ(standin::ScheduledTimerCount(), 0);
    EXPECT_EQ(standin::LiveTimerCount(), 0);
    EXPECT_EQ(standin::LiveObjectCount(), liveBefore);
  }
  EXPECT_EQ(standin::OverReleaseCount(), 0);
}

TEST(AUBundle, LoadsWithDlopenAndOpensThroughItsFactory)
{
  const std::string root = AU_TEST_BUNDLE_ROOT;
  std::ifstream plist(root + "/Contents/Info.plist");
  std::stringstream text;
  text << plist.rdbuf();
  EXPECT_NE(text.str().find("<string>com.kestrova.audiounit.AUTestPlugin</string>"), std::string::npos);

  void* module = dlopen((root + "/Contents/MacOS/AUTestPlugin").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto factory = reinterpret_cast<AudioComponentPlugInInterface* (*)()>(dlsym(module, "Tolvane3_Factory"));
  ASSERT_NE(factory, nullptr);
  EXPECT_NE(dlsym(module, "Tolvane3_Entry"), nullptr);
  // Only the entry points leave the module.
  EXPECT_EQ(dlsym(module, "_ZN7plugkit20CreatePluginInstanceEPv"), nullptr);

  AudioComponentPlugInInterface* record = factory();
  AudioUnit unit = standin::NewAudioComponentInstance(record);
  ASSERT_EQ(record->Open(record, unit), noErr);
  void* plugin = nullptr;
  UInt32 size = sizeof(plugin);
  EXPECT_EQ(AudioUnitGetProperty(unit, plugkit::PluginAU::kPrivatePropertyPluginObject, kAudioUnitScope_Global, 0,
                                 &plugin, &size),
            noErr);
  EXPECT_NE(plugin, nullptr);
  EXPECT_EQ(record->Close(record), noErr);
  standin::DisposeComponentInstance(unit);
  dlclose(module);
}

} // namespace
