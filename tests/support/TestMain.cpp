#include <clocale>

#include <gtest/gtest.h>

// Every test program runs in the "C" locale, so that formatted numbers never
// depend on the machine the tests run on. Tests that need another locale set
// it themselves and restore it (see LocaleGuard).
int main(int argc, char** argv)
{
  std::setlocale(LC_ALL, "C");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
