// Frames from text files: splitting, encodings, refused characters, and the
// project written from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "output/ProjectFile.h"
#include "output/TextFrames.h"

using document::FrameText;
using document::kDefaultAnimName;
using document::kMaxFrames;

using output::kTextFramesEmpty;
using output::MakeTextProject;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::ReadTextFile;
using output::SplitTextFrames;
using output::TextFrameOptions;
using output::TextFramesResult;
using output::TextProjectSettings;
using output::WriteNewProject;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Texts(const TextFramesResult& r) {
  std::vector<std::string> out;
  for (const FrameText& t : r.frames) out.push_back(*t);
  return out;
}

TextFramesResult Split(std::string_view text, std::string separator = "\f", int block = 0,
                       int maxFrames = kMaxFrames) {
  TextFrameOptions o;
  o.separator = std::move(separator);
  o.blockHeight = block;
  o.maxFrames = maxFrames;
  return SplitTextFrames(text, o);
}

}  // namespace

// What `zoetrix --play` writes into a pipe: LF after each line, a form feed
// line between frames; an empty frame is no lines at all.
TEST(TextFrames, FormFeedLinesSeparateFramesHeldWithCrLf) {
  TextFramesResult r = Split("one\n=\n\f\n\f\ntwo\n\n\f\n中\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"one\r\n=", "", "two\r\n", Gbk("中")}));

  // CR LF and a lone CR end lines too; a missing last line end changes nothing.
  r = Split("a\r\nb\rc\f\r\nd");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb\r\nc\f\r\nd"}));
  r = Split("a\r\nb\r\n\f\r\nd\r\n");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb", "d"}));

  // A separator of one's own, even an empty line; a trailing one gives a
  // last empty frame (n separators, n + 1 frames).
  r = Split("x\n----\ny\n----\n", "----");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"x", "y", ""}));
  r = Split("a\nb\n\nc\n", "");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb", "c"}));
  // Without a separator line the whole text is one frame.
  EXPECT_EQ(Texts(Split("a\n\nb\n")), (std::vector<std::string>{"a\r\n\r\nb"}));
}

TEST(TextFrames, BlocksOfAFixedHeightIgnoreSeparators) {
  TextFramesResult r = Split("1\n2\n\f\n4\n5\n", "\f", 2);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"1\r\n2", "\f\r\n4", "5"}));
  EXPECT_EQ(Texts(Split("1\n\n", "\f", 1)), (std::vector<std::string>{"1", ""}));
}

TEST(TextFrames, Utf8WhenValidOtherwiseGbk) {
  // "中文" in GBK is not valid UTF-8: the bytes are kept as they are.
  const std::string gbk = Gbk("中文\n\f\n字") + "\x95\x5C";
  TextFramesResult r = Split(gbk);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_FALSE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{Gbk("中文"), Gbk("字") + "\x95\x5C"}));

  // UTF-8 with a byte-order mark, which is dropped.
  r = Split("\xEF\xBB\xBF中文\n\f\nb");
  EXPECT_TRUE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{Gbk("中文"), "b"}));
  // Pure ASCII is both; it reads the same either way.
  EXPECT_TRUE(Split("abc").utf8);
}

TEST(TextFrames, RefusesWhatGbkCannotHoldNamingLineAndColumn) {
  TextFramesResult r = Split("ab\n\f\n中😀x\n");
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.frames.empty());
  EXPECT_NE(r.error.find("第 3 行第 2 列"), std::string::npos) << r.error;
  EXPECT_NE(r.error.find("😀"), std::string::npos) << r.error;

  // Private code points are how stray GBK bytes travel inside the tool: a
  // UTF-8 text cannot smuggle a raw byte in with one.
  r = Split("ok\n\xF4\x8F\xBE\x81\n");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("第 2 行第 1 列"), std::string::npos) << r.error;

  // A text that is neither: the byte is named.
  r = Split(Gbk("中") + "\nab\xFF\n");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("第 2 行第 3 列的字节 0xFF"), std::string::npos) << r.error;
}

TEST(TextFrames, EmptyTextAndTooManyFramesAreRefused) {
  EXPECT_EQ(Split("").error, kTextFramesEmpty);
  EXPECT_EQ(Split("\xEF\xBB\xBF").error, kTextFramesEmpty);
  EXPECT_TRUE(Split("a\f\nb", "\f", 0, 1).ok());  // "a\f" is no separator line
  TextFramesResult r = Split("a\n\f\nb\n\f\nc", "\f", 0, 2);
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.frames.empty());
  EXPECT_NE(r.error.find("上限 2 帧"), std::string::npos) << r.error;
  EXPECT_TRUE(Split("a\n\f\nb", "\f", 0, 2).ok());
  EXPECT_FALSE(Split("1\n2\n3\n", "\f", 1, 2).ok());
}

TEST(TextFrames, ReadTextFileSaysWhyItCannot) {
  TempDir dir("zoetrix-textfile");
  WriteFile(dir.path() / "a.txt", std::string("x\0y", 3));
  std::string text, error;
  ASSERT_TRUE(ReadTextFile((dir.path() / "a.txt").string(), &text, &error));
  EXPECT_EQ(text, std::string("x\0y", 3));
  for (const fs::path& bad : {dir.path() / "missing.txt", dir.path()}) {
    EXPECT_FALSE(ReadTextFile(bad.string(), &text, &error));
    EXPECT_EQ(error.rfind("无法读取文本文件：\n" + bad.string() + "\n（", 0), 0u) << error;
  }
}

TEST(TextProject, WrittenUnderAFreshStampAndReadBack) {
  TempDir dir("zoetrix-textproject");
  fs::create_directory(dir.path() / "Project");
  const platform::LocalTime now{2024, 2, 3, 4, 5, 6};
  TextProjectSettings settings;
  settings.name = Gbk("片头");
  settings.wide = 30;
  settings.high = 12;
  settings.rate = 10;
  settings.color = "1E";
  const TextFramesResult split = Split("a\"b\\c\n\f\n中\r\n");
  std::string path;
  ASSERT_EQ(WriteNewProject(dir.folder(), now, MakeTextProject(split.frames, settings), &path), "");
  EXPECT_EQ(path, dir.folder() + "Project/2024_2_3_4_5_6.ini");
  const ProjectReadResult read = ReadProjectFile(path);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.data.name, Gbk("片头"));
  EXPECT_EQ(read.data.color, "1E");
  EXPECT_EQ(read.data.wide, 30);
  EXPECT_EQ(read.data.high, 12);
  EXPECT_EQ(read.data.rate, 10);
  ASSERT_EQ(read.data.frameNum, 2);
  EXPECT_EQ(*read.data.frames[0], "a\"b\\c");
  EXPECT_EQ(*read.data.frames[1], Gbk("中"));

  // The defaults are a new animation's; a taken stamp (here by a code file
  // of that second) is passed over.
  fs::create_directory(dir.path() / "Code");
  WriteFile(dir.path() / "Code" / "2024_2_3_4_5_6_2.c", "earlier");
  ASSERT_EQ(WriteNewProject(dir.folder(), now, MakeTextProject(split.frames, {}), &path), "");
  EXPECT_EQ(path, dir.folder() + "Project/2024_2_3_4_5_6_3.ini");
  const ProjectReadResult defaults = ReadProjectFile(path);
  EXPECT_EQ(defaults.data.name, kDefaultAnimName);
  EXPECT_EQ(defaults.data.color, "07");
  EXPECT_EQ(defaults.data.wide, 80);
  EXPECT_EQ(defaults.data.high, 25);
  EXPECT_EQ(defaults.data.rate, 24);
  EXPECT_EQ(ReadFile(dir.path() / "Code" / "2024_2_3_4_5_6_2.c"), "earlier");

  // No Project folder: a message, and nothing written.
  TempDir empty("zoetrix-textproject-none");
  const std::string problem =
      WriteNewProject(empty.folder(), now, MakeTextProject(split.frames, {}), &path);
  EXPECT_NE(problem.find("Project"), std::string::npos) << problem;
  EXPECT_TRUE(fs::is_empty(empty.path()));
}
