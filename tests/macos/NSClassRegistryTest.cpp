#include <gtest/gtest.h>

#include "AppKit/AppKit.h"

namespace {

struct Greeter : NSObject
{
  static inline int live = 0;
  Greeter() { ++live; }
  ~Greeter() override { --live; }
};

TEST(NSClassRegistry, ClassesAreFoundByNameUntilTheirModuleForgetsThem)
{
  EXPECT_EQ(NSClassFromString("RegistryTest_Greeter"), nullptr);
  ASSERT_TRUE(NSRegisterClass("RegistryTest_Greeter", [] { return new Greeter; }));
  EXPECT_FALSE(NSRegisterClass("RegistryTest_Greeter", [] { return nullptr; })) << "the first definition wins";
  EXPECT_FALSE(NSRegisterClass("", [] { return new Greeter; }));
  EXPECT_EQ(NSClassFromString("registrytest_greeter"), nullptr) << "names match case";

  Class cls = NSClassFromString("RegistryTest_Greeter");
  ASSERT_NE(cls, nullptr);
  NSObject* a = cls->allocInit();
  EXPECT_NE(dynamic_cast<Greeter*>(a), nullptr);
  a->retain()->release();
  NSUnregisterClass("RegistryTest_Greeter");
  EXPECT_EQ(NSClassFromString("RegistryTest_Greeter"), nullptr);
  EXPECT_EQ(Greeter::live, 1) << "instances outlive their class and keep their last reference";
  a->release();
  EXPECT_EQ(Greeter::live, 0);
  EXPECT_TRUE(NSRegisterClass("RegistryTest_Greeter", [] { return nullptr; }));
}

} // namespace
