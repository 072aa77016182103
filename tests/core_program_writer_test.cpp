#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "program/ProgramWriter.h"
#include "project/FrameTextEscape.h"
#include "res/AppInfo.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::FrameList;
using document::MakeFrameText;

using output::EscapeFrameText;
using output::MakeColorCode;
using output::MakeProgramBody;
using output::MakeProgramPrologue;
using output::ProgramBodyOptions;
using output::WriteProgramBody;
using output::WriteProgramPrologue;

using testsupport::AnimationOf;
using testsupport::Gbk;
using testsupport::ReadFile;

namespace {

const platform::LocalTime kTime{2019, 7, 5, 9, 3, 7};
const auto kGoldenDir = std::filesystem::path(ZOETRIX_TEST_DATA) / "program";

std::size_t LineCount(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n') + 1;
}

void Fill(FrameList& list, const std::vector<std::string>& frames) {
  for (const auto& f : frames) list.Append(MakeFrameText(f));
}

// The printf argument one frame gets in the generated program.
std::string PrintfArgument(const std::string& frame) {
  Animation animation = AnimationOf("n", 80, 25, "07");
  Fill(animation.m_frames, {frame});
  std::string body = MakeProgramBody(animation, {true, false});
  std::size_t from = body.find("printf(\"") + 8;
  return body.substr(from, body.find("\");\n\tSleep(") - from);
}

// Compares with program/<name>/expected.c, or rewrites it when ZOETRIX_UPDATE_GOLDEN=1.
void ExpectGolden(const std::string& name, const std::string& actual) {
  auto path = kGoldenDir / name / "expected.c";
  if (const char* update = std::getenv("ZOETRIX_UPDATE_GOLDEN");
      update && update == std::string("1")) {
    std::filesystem::create_directories(path.parent_path());
    testsupport::WriteFile(path, actual);
    EXPECT_EQ(ReadFile(path), actual) << "could not write " << path;
    return;
  }
  const std::string want = ReadFile(path);
  auto at = std::mismatch(want.begin(), want.end(), actual.begin(), actual.end()).first;
  EXPECT_TRUE(want == actual) << name << ": first difference at line "
                              << std::count(want.begin(), at, '\n') + 1;
}

TEST(ProgramWriterTest, GoldenPrograms) {
  struct Case {
    const char* name;
    platform::LocalTime created;
    Animation animation;
    std::vector<std::string> frames;
    ProgramBodyOptions options;
  } cases[] = {
      // clang-format off
      {"defaults", kTime, AnimationOf(Gbk("无题"), 80, 25, "07", 24), {""}, {true, false}},
      {"two_frames_endless", {2024, 12, 31, 23, 59, 58}, AnimationOf(Gbk("小猫"), 100, 10, "AF", 3),
       {Gbk(" /\\_/\\\r\n( o.o )"), Gbk(" > ^ <\r\n猫")}, {true, true}},
      {"no_frames", kTime, AnimationOf("x", 80, 25, "07", 24), {}, {true, true}},
      {"save_code_off", kTime, AnimationOf("x", 80, 25, "07", 24), {"a", "b"}, {false, true}},
      {"ten_frames_rate_0", kTime, AnimationOf("x", 80, 25, "07", 0),
       std::vector<std::string>(10, "ab\r\ncd"), {true, false}},
      {"quotes_and_backslashes", kTime, AnimationOf(Gbk("淺水"), 40, 12, "1E", 100),
       {"say \"hi\"", "it's", "C:\\dir\\", Gbk("乗\\嘰禱籠"), "", "line\r\n"}, {true, false}},
      {"percent_signs", kTime, AnimationOf("100%", 80, 25, "07", 1), {"100%", "%d%%s\r\n%"},
       {true, false}},
      // 乛 and 亅 end in the bytes of '^' and '|', which cmd.exe must not see.
      {"name_special_chars", kTime,
       AnimationOf("\"A&B\" <c|d> ^ \\" + Gbk("乛亅乗"), 80, 25, "07", 24), {"x"}, {true, false}},
      // clang-format on
  };
  for (Case& c : cases) {
    Fill(c.animation.m_frames, c.frames);
    ExpectGolden(c.name, MakeProgramPrologue(c.animation, c.created) +
                             MakeProgramBody(c.animation, c.options));
  }
  const std::string twoFrames = ReadFile(kGoldenDir / "two_frames_endless/expected.c");
  EXPECT_EQ(LineCount(twoFrames), 62u);
  EXPECT_TRUE(twoFrames.ends_with("\n}"));
  EXPECT_TRUE(twoFrames.starts_with(std::string(74, '/') + "\n//\n//\t" + Gbk(kMakerLine) + " " +
                                    Gbk(kWebsiteAddress) + "\n"));
}

TEST(ProgramWriterTest, ColorCodeLeavesOutBadIndexesAndReportsEach) {
  int reports = 0;
  auto report = [&] { ++reports; };
  EXPECT_EQ(MakeColorCode(0, 7, report) + "," + MakeColorCode(10, 15, report), "07,AF");
  EXPECT_EQ(reports, 0);
  EXPECT_EQ(MakeColorCode(-1, 7, report) + MakeColorCode(3, 16, report), "73");
  EXPECT_EQ(MakeColorCode(16, -1, report), "");
  EXPECT_EQ(reports, 4);
  EXPECT_EQ(MakeColorCode(99, 1, nullptr), "1");
}

TEST(ProgramWriterTest, EscapeKeepsProjectFormAndProgramMakesItSafe) {
  struct Case {
    std::string frame, escaped, printfArgument;
  } cases[] = {
      {"\\\r\n", "\\\\\\n", "\\\\\\n"},  // the inserted backslash is not doubled again
      {"\"'", "\\\"\\'", "\\\"\\'"},
      {"\ta%d", "\ta%d", "\ta%%d"},
      {"a\rb\nc", "a\rb\nc", "a\\rb\\nc"},  // a raw line feed would end the C literal
      {Gbk("乗\\嘰"), "\x81\\\\\\\x87\\", "\\201\\134\\\\\\207\\134"},
      {Gbk("猫\""), Gbk("猫") + "\\\"", Gbk("猫") + "\\\""},
      {"\x81\r\n", "?\\n", "\\201\\n"},  // a stray lead byte must not pair with our backslash
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeFrameText(c.frame), c.escaped);
    EXPECT_EQ(PrintfArgument(c.frame), c.printfArgument);
  }
}

TEST(ProgramWriterTest, FileWritersMatchTextAndReportFailure) {
  Animation animation = AnimationOf("n", 80, 25, "07", 24);
  // several write chunks
  Fill(animation.m_frames, std::vector<std::string>(3000, std::string(100, 'x')));
  ProgramBodyOptions options{true, true};

  testsupport::TempDir dir;
  std::FILE* file = std::fopen((dir.path() / "a.c").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(WriteProgramPrologue(file, animation, kTime));
  EXPECT_TRUE(WriteProgramBody(file, animation, options));
  std::fclose(file);
  EXPECT_EQ(ReadFile(dir.path() / "a.c"),
            MakeProgramPrologue(animation, kTime) + MakeProgramBody(animation, options));

  EXPECT_FALSE(WriteProgramPrologue(nullptr, animation, kTime));
  if (std::FILE* full = std::fopen("/dev/full", "wb")) {
    EXPECT_FALSE(WriteProgramPrologue(full, animation, kTime));
    EXPECT_FALSE(WriteProgramBody(full, animation, options));
    std::fclose(full);
  }
}

}  // namespace
