#include <gtest/gtest.h>

#include "AppKit/AppKit.h"

namespace {

struct Greeter : NSObject
{
  static int live;
  Greeter() { ++live; }
  ~Greeter() override { --live; }
};
int Greeter::live = 0;

TEST(NSClassRegistry, AHostFindsAClassByNameAndOwnsWhatItMakes)
{
  EXPECT_EQ(NSClassFromString("RegistryTest_Greeter"), nullptr);
  ASSERT_TRUE(NSRegisterClass("RegistryTest_Greeter", [] { return new Greeter; }));

  Class cls = NSClassFromString("RegistryTest_Greeter");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->name(), "RegistryTest_Greeter");
  EXPECT_EQ(NSClassFromString("registrytest_greeter"), nullptr) << "class names match case";

  NSObject* a = cls->allocInit();
  NSObject* b = cls->allocInit();
  ASSERT_NE(a, b);
  EXPECT_NE(dynamic_cast<Greeter*>(a), nullptr);
  EXPECT_EQ(Greeter::live, 2);
  a->retain();
  a->release();
  EXPECT_EQ(Greeter::live, 2) << "one reference is left";
  a->release();
  b->release();
  EXPECT_EQ(Greeter::live, 0);
}

TEST(NSClassRegistry, TheFirstDefinitionOfANameWinsUntilItsModuleForgetsIt)
{
  ASSERT_TRUE(NSRegisterClass("RegistryTest_First", [] { return new Greeter; }));
  EXPECT_FALSE(NSRegisterClass("RegistryTest_First", [] { return nullptr; }));
  EXPECT_FALSE(NSRegisterClass("", [] { return new Greeter; }));

  NSObject* made = NSClassFromString("RegistryTest_First")->allocInit();
  ASSERT_NE(made, nullptr);
  NSUnregisterClass("RegistryTest_First");
  EXPECT_EQ(NSClassFromString("RegistryTest_First"), nullptr);
  EXPECT_EQ(Greeter::live, 1) << "instances outlive their class";
  made->release();
  EXPECT_EQ(Greeter::live, 0);
  EXPECT_TRUE(NSRegisterClass("RegistryTest_First", [] { return nullptr; }));
}

} // namespace
