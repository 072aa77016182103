// zoetrix --import with pictures: the project it writes, its options, the
// files it refuses, and a round trip through --play.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "project/ProjectFile.h"
#include "project/TextFrames.h"
#include "tests/CommandLineSupport.h"
#include "tests/PictureMaker.h"
#include "tests/TestSupport.h"

using testpictures::Image;
using testsupport::CallCommandLine;
using testsupport::Outcome;
namespace fs = std::filesystem;

namespace {

// A 20x10 frame as rows of '#' (a character) and '.' (blank).
std::vector<std::string> Drawn(const std::string& frame) {
  std::vector<std::string> rows(10, std::string(20, '.'));
  std::size_t start = 0;
  for (int y = 0; y < 10 && start <= frame.size(); ++y) {
    std::size_t end = frame.find("\r\n", start);
    if (end == std::string::npos) end = frame.size();
    for (std::size_t x = 0; x < end - start && x < 20; ++x)
      if (frame[start + x] != ' ') rows[static_cast<std::size_t>(y)][x] = '#';
    start = end + 2;
  }
  return rows;
}

std::vector<std::string> Square(bool drawn) {
  std::vector<std::string> rows(10, std::string(20, drawn ? '.' : '#'));
  for (int y = 3; y < 7; ++y)
    for (int x = 5; x < 15; ++x)
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = drawn ? '#' : '.';
  return rows;
}

class PictureCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directory(m_dir.path() / sub);
    platform::SetProgramFolderForTesting(m_dir.folder());
    platform::SetClockForTesting(platform::LocalTime{2024, 5, 6, 7, 8, 9});
    // A 40x40 white picture with a black square in its middle, and a GIF
    // of two pictures, 0.2 and 0.1 seconds long.
    Image square(40, 40);
    square.Fill(10, 12, 30, 28, 0);
    Image other(40, 40, 0);
    other.Fill(0, 0, 20, 40, 255);
    ASSERT_TRUE(testpictures::WritePng(Path("square.png"), square));
    ASSERT_TRUE(testpictures::WriteGif(Path("two.gif"), {square, other}, {20, 10}));
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetClockForTesting(std::nullopt);
  }
  std::string Path(const std::string& name) const { return (m_dir.path() / name).string(); }
  bool NoProject() const { return fs::is_empty(m_dir.path() / "Project"); }

  // The project a successful import printed.
  document::Animation Project(const Outcome& r) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string path = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(fs::path(path).parent_path(), m_dir.path() / "Project");
    output::ProjectReadResult read = output::ReadProjectFile(path);
    EXPECT_TRUE(read.ok()) << read.error;
    return read.animation;
  }

  testsupport::TempDir m_dir{"zoetrix-picture-command"};
};

}  // namespace

TEST_F(PictureCommand, APictureBecomesAProjectWithTheGivenValues) {
  const document::Animation a =
      Project(CallCommandLine({"--import", Path("square.png"), "--size", "20x11", "--rate", "5",
                               "--colors", "1e", "--name", "方块", "--dither", "none"}));
  EXPECT_EQ(a.m_nAnimWide, 20);
  EXPECT_EQ(a.m_nAnimHigh, 11);
  EXPECT_EQ(a.m_nRate, 5);
  EXPECT_EQ(a.m_strColor, "1E");
  EXPECT_EQ(a.m_strAnimName, testsupport::Gbk("方块"));
  ASSERT_EQ(a.FrameCount(), 1);
  // Yellow on blue: the white parts are drawn, the square (cells 5..14 of
  // lines 3..6) is blank; the negative the other way round.
  EXPECT_EQ(Drawn(a.m_frames.At(0)->Text()), Square(false));
  const document::Animation negative = Project(CallCommandLine(
      {"--import", Path("square.png"), "--size", "20x11", "--invert", "--dither", "none"}));
  ASSERT_EQ(negative.FrameCount(), 1);
  EXPECT_EQ(Drawn(negative.m_frames.At(0)->Text()), Square(true));
}

TEST_F(PictureCommand, SeveralPicturesAndAFolderFollowOneAnother) {
  fs::create_directory(Path("seq"));
  fs::copy_file(Path("square.png"), Path("seq/2.png"));
  fs::copy_file(Path("two.gif"), Path("seq/10.gif"));
  // At 10 frames a second the GIF is 2 + 1 frames; the folder gives the
  // square first.
  document::Animation a = Project(CallCommandLine({"--import", Path("seq"), "--rate", "10"}));
  ASSERT_EQ(a.FrameCount(), 4);
  EXPECT_EQ(a.m_frames.At(0)->Text(), a.m_frames.At(1)->Text());
  EXPECT_EQ(a.m_frames.At(1)->Text(), a.m_frames.At(2)->Text());
  EXPECT_NE(a.m_frames.At(2)->Text(), a.m_frames.At(3)->Text());
  platform::SetClockForTesting(platform::LocalTime{2024, 5, 6, 7, 8, 10});
  a = Project(CallCommandLine({"--import", Path("two.gif"), Path("square.png"), "--rate", "10"}));
  ASSERT_EQ(a.FrameCount(), 4);
  EXPECT_EQ(a.m_frames.At(0)->Text(), a.m_frames.At(3)->Text());
}

// What --play writes into a pipe, read back by the text import, is the
// project's frames.
TEST_F(PictureCommand, PlayingTheImportGivesItsFramesBack) {
  for (const char* symbols : {"ascii", "blocks", "lines"}) {
    SCOPED_TRACE(symbols);
    platform::SetClockForTesting(
        platform::LocalTime{2024, 5, 6, 7, 9, static_cast<int>(std::string(symbols).size())});
    const Outcome imported =
        CallCommandLine({"--import", Path("two.gif"), "--rate", "20", "--symbols", symbols});
    const document::Animation a = Project(imported);
    ASSERT_EQ(a.FrameCount(), 6);
    const std::string project = imported.out.substr(0, imported.out.find('\n'));
    const Outcome played = CallCommandLine({"--play", project});
    ASSERT_EQ(played.status, 0) << played.err;
    const output::TextFramesResult back = output::SplitTextFrames(played.out);
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.frames.size(), 6u);
    for (int i = 0; i < 6; ++i) {
      // Byte for byte, block and line characters included.
      EXPECT_EQ(*back.frames[static_cast<std::size_t>(i)], a.m_frames.At(i)->Text()) << i;
    }
  }
}

TEST_F(PictureCommand, BadArgumentsExitWithTwo) {
  const std::string png = Path("square.png");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--import", png, "--symbols", "emoji"}, "--symbols 的字符集必须是 ascii、blocks 或 lines"},
      {{"--import", png, "--dither", "lots"}, "--dither 的方式必须是 none、ordered 或 diffusion"},
      {{"--import", png, "--from", "abc"}, "--from 的秒数必须是"},
      {{"--import", png, "--to", "1e3"}, "--to 的秒数必须是"},
      {{"--import", png, "--from", "-1"}, "--from 的秒数必须是"},
      {{"--import", png, "--to"}, "--to 后面缺少秒数"},
      {{"--import", png, "--from", "2", "--to", "1.5"}, "--to 必须在 --from 之后"},
      {{"--import", png, "--block", "3"}, "只用于文本文件"},
      {{"--import", "-", "--invert"}, "不能从标准输入读取"},
      {{"--import", png, "--invert", "--invert"}, "--invert 只能给一次"},
      {{"--import", Path("a.txt"), Path("b.txt")}, "多余的参数："},
  };
  for (const auto& [args, message] : cases) {
    const Outcome r = CallCommandLine(args);
    EXPECT_EQ(r.status, 2) << args[2];
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("用法：zoetrix --import"), std::string::npos);
  }
  EXPECT_TRUE(NoProject());
  // Seconds may have a fraction.
  EXPECT_EQ(CallCommandLine({"--import", Path("two.gif"), "--from", "0.1", "--to", "0.25"}).status,
            0);
}

TEST_F(PictureCommand, RefusedFilesExitWithOneAndLeaveNothing) {
  const std::string png = testsupport::ReadFile(Path("square.png"));
  testsupport::WriteFile(Path("cut.png"), png.substr(0, png.size() / 3));
  for (const std::string& file : {Path("cut.png"), Path("missing.gif"), Path("square.png")}) {
    const Outcome r = file == Path("square.png")
                          ? CallCommandLine({"--import", Path("square.png"), Path("cut.png")})
                          : CallCommandLine({"--import", file});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_NE(r.err.find("无法读取图片或视频"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  fs::create_directory(Path("nothing"));
  const Outcome empty = CallCommandLine({"--import", Path("nothing")});
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("没有图片"), std::string::npos) << empty.err;
  EXPECT_TRUE(NoProject());
}
