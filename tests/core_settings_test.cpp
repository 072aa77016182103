// The settings file: what each value reads as, and writing a choice keeps
// the rest of the file and the kept copy in step with it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <string>

#include "document/Settings.h"
#include "tests/TestSupport.h"

using document::Settings;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(Settings, ThePreviewModeAsTheFileHoldsIt) {
  TempDir dir("zoetrix-doc");
  const std::string folder = dir.folder();
  ASSERT_EQ(folder.back(), '/');
  EXPECT_EQ(Settings::PathIn(folder), folder + "data/Settings.ini");
  // No data folder at all, then an empty data folder.
  EXPECT_EQ(Settings::Read(folder).PreviewMode(), 1);
  std::filesystem::create_directory(dir.path() / "data");
  EXPECT_EQ(Settings::Read(folder).PreviewMode(), 1);

  const auto settings = dir.path() / "data" / "Settings.ini";
  struct Case {
    const char* name;
    const char* bytes;
    int want;
  };
  const Case cases[] = {
      {"zero CR LF", "[Frame]\r\nNewFrame=0\r\n", 0},
      {"zero LF", "[Frame]\nNewFrame=0\n", 0},
      {"two CR LF", "[Frame]\r\nNewFrame=2\r\n", 2},
      {"two LF", "[Frame]\nNewFrame=2\n", 2},
      {"one", "[Frame]\r\nNewFrame=1\r\n", 1},
      {"no final line end", "[Frame]\r\nNewFrame=0", 0},
      {"among other keys and sections",
       "[Window]\r\nNewFrame=5\r\n[Frame]\r\nSpeed=3\r\nNewFrame=0\r\nOther=9\r\n", 0},
      {"section missing", "[Other]\r\nNewFrame=0\r\n", 1},
      {"key missing", "[Frame]\r\nSpeed=0\r\n", 1},
      {"empty file", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(settings, c.bytes);
    const Settings s = Settings::Read(folder);
    EXPECT_EQ(s.PreviewMode(), c.want);
    EXPECT_EQ(s.PreviewFollows(), c.want == 1);
  }
}

TEST(Settings, AFileThatCannotBeReadReadsAsNone) {
  TempDir dir("zoetrix-doc");
  const std::string folder = dir.folder();
  // A folder where the file should be, then a pipe no one writes to.
  std::filesystem::create_directories(dir.path() / "data" / "Settings.ini");
  EXPECT_EQ(Settings::Read(folder).PreviewMode(), 1);
  std::filesystem::remove(dir.path() / "data" / "Settings.ini");
  ASSERT_EQ(::mkfifo(Settings::PathIn(folder).c_str(), 0600), 0);
  EXPECT_EQ(Settings::Read(folder).PreviewMode(), 1);
}

TEST(Settings, SavingWritesTheFileKeepsItsOtherLinesAndTakesTheChoice) {
  TempDir dir("zoetrix-doc");
  const std::string folder = dir.folder();
  std::filesystem::create_directory(dir.path() / "data");
  Settings s = Settings::Read(folder);
  ASSERT_TRUE(s.SavePreviewFollows(folder, false));
  EXPECT_EQ(ReadFile(Settings::PathIn(folder)), "[Frame]\r\nNewFrame=0\r\n");
  EXPECT_FALSE(s.PreviewFollows());
  EXPECT_EQ(s.PreviewMode(), 0);

  WriteFile(Settings::PathIn(folder), "; mine\n[Window]\nX=1\n[Frame]\nNewFrame=2\nSpeed=3\n");
  s = Settings::Read(folder);
  EXPECT_EQ(s.PreviewMode(), 2);
  ASSERT_TRUE(s.SavePreviewFollows(folder, true));
  EXPECT_EQ(ReadFile(Settings::PathIn(folder)),
            "; mine\r\n[Window]\r\nX=1\r\n[Frame]\r\nNewFrame=1\r\nSpeed=3\r\n");
  EXPECT_TRUE(s.PreviewFollows());
  EXPECT_EQ(Settings::Read(folder).PreviewMode(), s.PreviewMode());
}

TEST(Settings, AFailedSaveLeavesTheSettingAsItWas) {
  TempDir dir("zoetrix-doc");
  std::filesystem::create_directory(dir.path() / "data");
  WriteFile(dir.path() / "data" / "Settings.ini", "[Frame]\r\nNewFrame=0\r\n");
  Settings s = Settings::Read(dir.folder());
  ASSERT_EQ(s.PreviewMode(), 0);
  // A work folder without data/: nothing can be written there.
  TempDir elsewhere("zoetrix-doc");
  EXPECT_FALSE(s.SavePreviewFollows(elsewhere.folder(), true));
  EXPECT_EQ(s.PreviewMode(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
  // A folder in the file's place is not replaced either.
  std::filesystem::create_directories(elsewhere.path() / "data" / "Settings.ini");
  EXPECT_FALSE(s.SavePreviewFollows(elsewhere.folder(), true));
  EXPECT_EQ(s.PreviewMode(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(elsewhere.path() / "data" / "Settings.ini"));
}

}  // namespace
