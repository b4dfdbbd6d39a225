#include "tests/support/TempHome.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace testsupport {

TempFolder::TempFolder()
{
  std::string pattern = (fs::temp_directory_path() / "tolvane3-test-XXXXXX").string();
  if (char* made = mkdtemp(pattern.data()))
    mPath = made;
}

TempFolder::~TempFolder()
{
  std::error_code ignored;
  if (!mPath.empty())
    fs::remove_all(mPath, ignored);
}

std::string TempFolder::WriteFile(const std::string& relative, const std::string& content) const
{
  const fs::path path = fs::path(mPath) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
  return path.string();
}

static void Remember(const char* name, std::string& value, bool& had)
{
  const char* current = std::getenv(name);
  had = current != nullptr;
  value = had ? current : "";
}

static void Restore(const char* name, const std::string& value, bool had)
{
  if (had)
    setenv(name, value.c_str(), 1);
  else
    unsetenv(name);
}

void TempHomeTest::SetUp()
{
  Remember("HOME", mOldHome, mHadHome);
  Remember("XDG_DATA_HOME", mOldXdg, mHadXdg);
  fs::create_directories(DataHome());
  setenv("HOME", Home().c_str(), 1);
  setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
}

void TempHomeTest::TearDown()
{
  Restore("HOME", mOldHome, mHadHome);
  Restore("XDG_DATA_HOME", mOldXdg, mHadXdg);
}

LocaleGuard::LocaleGuard(const char* name)
{
  const char* old = std::setlocale(LC_ALL, nullptr);
  mOld = old ? old : "C";
  mAvailable = std::setlocale(LC_ALL, name) != nullptr;
}

LocaleGuard::~LocaleGuard()
{
  std::setlocale(LC_ALL, mOld.c_str());
}

} // namespace testsupport
