#pragma once

#include <string>

#include <gtest/gtest.h>

namespace testsupport {

// A fresh temporary folder, removed with everything in it when the object
// goes away.
class TempFolder
{
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return mPath; }
  // Path of a file or folder inside the temporary folder.
  std::string Join(const std::string& relative) const { return mPath + "/" + relative; }
  // Writes a file (creating the folders on the way) and returns its path.
  std::string WriteFile(const std::string& relative, const std::string& content) const;

private:
  std::string mPath;
};

// Fixture: HOME and XDG_DATA_HOME point into a temporary folder for the
// duration of a test, so user folders never touch the real home. The old
// values come back afterwards.
class TempHomeTest : public testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;

  std::string Home() const { return mTemp.Join("home"); }
  std::string DataHome() const { return mTemp.Join("home/.local/share"); }

  TempFolder mTemp;

private:
  std::string mOldHome, mOldXdg;
  bool mHadHome = false, mHadXdg = false;
};

// Sets a locale for the scope of a test and restores the previous one.
// Returns IsAvailable() false when the machine lacks it.
class LocaleGuard
{
public:
  explicit LocaleGuard(const char* name);
  ~LocaleGuard();
  bool IsAvailable() const { return mAvailable; }

private:
  std::string mOld;
  bool mAvailable;
};

} // namespace testsupport
