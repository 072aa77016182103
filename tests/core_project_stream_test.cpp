// A project written frame by frame is the file the whole-file writer makes,
// byte for byte, and one that does not finish leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <vector>

#include "project/ProjectFile.h"
#include "project/ProjectStream.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::FrameText;
using document::MakeFrameText;
using output::ProjectResult;
using output::ProjectStream;
using output::WriteNewProjectFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Frames whose one-line forms need every rule: ends a profile would trim,
// quotes, backslashes, a lone CR and LF, GBK (whose second bytes may be '\'),
// an empty frame; and runs of copies of one text, broken and resumed.
std::vector<std::pair<FrameText, long long>> AwkwardFrames() {
  const FrameText gbk = MakeFrameText("\xC4\xE3\xBA\xC3\\ \x95\\\r\n  \xB1\xCA ");
  const FrameText quoted = MakeFrameText("\"quoted\"\r\n'single'");
  return {{MakeFrameText(" leading and trailing\t"), 1},
          {gbk, 3},
          {MakeFrameText("lone\rCR and lone\nLF\r\n\r\n"), 1},
          {quoted, 2},
          {gbk, 1},
          {MakeFrameText(""), 2},
          {MakeFrameText("back\\slash \\n not a break"), 1},
          {quoted, 1}};
}

Animation Properties(const std::string& name) {
  Animation a = document::DefaultAnimation();
  a.m_strAnimName = name;
  a.m_nAnimWide = 37;
  a.m_nAnimHigh = 12;
  a.m_strColor = "1E";
  a.m_nRate = 7;
  return a;
}

// What the whole-file writer makes of `animation` with the frames added.
std::string WholeFile(Animation animation,
                      const std::vector<std::pair<FrameText, long long>>& frames,
                      const fs::path& path) {
  for (const auto& [text, count] : frames)
    animation.m_frames.Insert(animation.m_frames.Size(), text, static_cast<std::size_t>(count));
  EXPECT_TRUE(WriteNewProjectFile(animation, path).ok());
  return testsupport::ReadFile(path);
}

std::string Streamed(const Animation& animation,
                     const std::vector<std::pair<FrameText, long long>>& frames,
                     const fs::path& path) {
  ProjectStream stream;
  EXPECT_TRUE(stream.Open(animation, path).ok());
  for (const auto& [text, count] : frames) EXPECT_TRUE(stream.Append(text, count));
  const ProjectResult done = stream.Finish();
  EXPECT_TRUE(done.ok()) << done.error;
  return testsupport::ReadFile(path);
}

class FrameByFrameProject : public ::testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return m_dir.path() / name; }
  testsupport::TempDir m_dir{"zoetrix-project-stream"};
};

}  // namespace

TEST_F(FrameByFrameProject, WritesTheBytesOfTheWholeFileWriter) {
  const auto frames = AwkwardFrames();
  // Names whose ends a profile would trim, a GBK name, a name with a line
  // end; with and without frames of the animation's own before the appended.
  for (const std::string& name : {std::string("\xCE\xDE\xCC\xE2"), std::string(" padded "),
                                  std::string("two\r\nlines"), std::string("\"")}) {
    SCOPED_TRACE(name);
    const Animation plain = Properties(name);
    EXPECT_EQ(Streamed(plain, frames, Path("streamed.ini")),
              WholeFile(plain, frames, Path("whole.ini")));
    Animation owning = plain;
    owning.m_frames.Append(MakeFrameText("its own \"first\""));
    owning.m_frames.Append(MakeFrameText(""));
    EXPECT_EQ(Streamed(owning, frames, Path("streamed.ini")),
              WholeFile(owning, frames, Path("whole.ini")));
  }
  // No frames at all: the properties alone, no frames' section.
  const std::string empty = Streamed(Properties("x"), {}, Path("streamed.ini"));
  EXPECT_EQ(empty, WholeFile(Properties("x"), {}, Path("whole.ini")));
  EXPECT_EQ(empty.find("AnimatePicture"), std::string::npos);
  // Frame numbers past the digits of the first ones: 9, 10, 99, 100, 1000.
  const std::vector<std::pair<FrameText, long long>> many = {{MakeFrameText("a"), 999},
                                                             {MakeFrameText("b"), 2}};
  EXPECT_EQ(Streamed(Properties("n"), many, Path("streamed.ini")),
            WholeFile(Properties("n"), many, Path("whole.ini")));
  // The whole-file writer's golden files, read and streamed back.
  for (const char* name : {"three_frames", "quoted_values"}) {
    const fs::path golden = fs::path(ZOETRIX_TEST_DATA) / "project" / name / "expected.ini";
    const output::ProjectReadResult read = output::ReadProjectFile(golden);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(Streamed(read.animation, {}, Path("streamed.ini")), testsupport::ReadFile(golden))
        << name;
  }
}

TEST_F(FrameByFrameProject, NothingIsAtThePathUntilFinishedAndNothingStaysWhenAbandoned) {
  const fs::path path = Path("p.ini");
  {
    ProjectStream stream;
    ASSERT_TRUE(stream.Open(Properties("x"), path).ok());
    ASSERT_TRUE(stream.Append(MakeFrameText("one"), 5));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(stream.Frames(), 5);
    // Gone without Finish: nothing of it is left.
  }
  EXPECT_TRUE(Names(m_dir.path()).empty());
  // A link at the path is replaced, never written through (as for every
  // project of the tool's own).
  testsupport::WriteFile(Path("target.txt"), "untouched");
  fs::create_symlink(Path("target.txt"), path);
  ProjectStream stream;
  ASSERT_TRUE(stream.Open(Properties("x"), path).ok());
  ASSERT_TRUE(stream.Finish().ok());
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_EQ(testsupport::ReadFile(Path("target.txt")), "untouched");
  EXPECT_EQ(Names(m_dir.path()), (std::vector<std::string>{"p.ini", "target.txt"}));
}

TEST_F(FrameByFrameProject, RefusalsAndFailuresSayWhyAndLeaveNothing) {
  // A folder that is not there.
  ProjectStream nowhere;
  const ProjectResult opened = nowhere.Open(Properties("x"), Path("missing/p.ini"));
  EXPECT_NE(opened.error.find("missing/p.ini"), std::string::npos) << opened.error;
  EXPECT_FALSE(nowhere.Append(MakeFrameText("a")));
  EXPECT_FALSE(nowhere.Finish().ok());

  // More frames than a project may hold: refused at the frame that passes,
  // and Finish writes nothing.
  ProjectStream full;
  ASSERT_TRUE(full.Open(Properties("x"), Path("full.ini")).ok());
  ASSERT_TRUE(full.Append(MakeFrameText(""), output::kMaxProjectFrames - 1));
  ASSERT_TRUE(full.Append(MakeFrameText("last")));
  EXPECT_FALSE(full.Append(MakeFrameText("one too many")));
  const ProjectResult refused = full.Finish();
  EXPECT_NE(refused.error.find(std::to_string(output::kMaxProjectFrames)), std::string::npos)
      << refused.error;
  EXPECT_TRUE(Names(m_dir.path()).empty());

  // A folder stands where the project goes: the frames are kept until the
  // end, and then the project cannot replace it.
  fs::create_directory(Path("p.ini"));
  ProjectStream stream;
  ASSERT_TRUE(stream.Open(Properties("x"), Path("p.ini")).ok());
  ASSERT_TRUE(stream.Append(MakeFrameText("a"), 3));
  EXPECT_EQ(Names(m_dir.path()).size(), 2u);  // the folder and the frames' file
  const ProjectResult failed = stream.Finish();
  EXPECT_NE(failed.error.find("p.ini"), std::string::npos) << failed.error;
  EXPECT_TRUE(fs::is_directory(Path("p.ini")));
  EXPECT_EQ(Names(m_dir.path()), std::vector<std::string>{"p.ini"});
  EXPECT_TRUE(fs::is_empty(Path("p.ini")));
}
