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

// The canvas's choices and the traced picture per project: read back as
// saved, defaults for what is missing or malformed, out-of-range values
// brought into range, and a path holding '|' kept whole.
TEST(Settings, CanvasChoicesAndTracedPicturesRoundTrip) {
  TempDir dir;
  const std::string folder = dir.path().string() + "/";
  std::filesystem::create_directories(dir.path() / "data");
  Settings s = Settings::Read(folder);
  EXPECT_EQ(s.Canvas(), Settings::CanvasChoices{});
  Settings::CanvasChoices c{true, false, 3, true};
  ASSERT_TRUE(s.SaveCanvas(folder, c));
  EXPECT_EQ(Settings::Read(folder).Canvas(), c);

  const Settings::TraceChoice t{"/pics/a|b.png", false, 50, 120, -2, 3};
  ASSERT_TRUE(Settings::SaveTrace(folder, "2026_1_1.ini", t));
  EXPECT_EQ(Settings::TraceFor(folder, "2026_1_1.ini"), t);
  EXPECT_EQ(Settings::TraceFor(folder, "other.ini"), Settings::TraceChoice{});
  EXPECT_FALSE(Settings::SaveTrace(folder, "", t));
  WriteFile(dir.path() / "data" / "Settings.ini",
            "[Canvas]\r\nOnionFrames=9\r\n[Trace]\r\nx.ini=1|x|100|0|0|p\r\n"
            "y.ini=1|999|1|5000|0|p\r\n");
  EXPECT_EQ(Settings::Read(folder).Canvas().onionFrames, 3);
  EXPECT_EQ(Settings::TraceFor(folder, "x.ini"), Settings::TraceChoice{});
  const Settings::TraceChoice y = Settings::TraceFor(folder, "y.ini");
  EXPECT_EQ(y.opacity, 90);
  EXPECT_EQ(y.scale, 10);
  EXPECT_EQ(y.dx, 1000);
  EXPECT_EQ(y.path, "p");
}
