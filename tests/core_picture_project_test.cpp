// The command line's picture import writes each frame into the project as it
// is drawn: the same file as importing whole and saving, no frame kept once
// written, and nothing left by a refused or cancelled import.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "picture/PictureImport.h"
#include "picture/PictureProject.h"
#include "platform/JobProgress.h"
#include "project/ProjectFile.h"
#include "project/ProjectStream.h"
#include "tests/PictureMaker.h"
#include "tests/TestSupport.h"

using picture::PictureImportOptions;
using picture::PictureImportResult;
using testpictures::ClipWritten;
using testpictures::Image;
namespace fs = std::filesystem;

namespace {

// A dark bar across a light picture, at column `at` of 10.
Image Bar(int at) {
  Image image(40, 40);
  image.Fill(4 * at, 0, 4 * at + 4, 40, 0);
  return image;
}

PictureImportOptions Options(int rate = 10) {
  PictureImportOptions o;
  o.characters.width = 20;
  o.characters.height = 10;
  o.characters.invert = true;
  o.rate = rate;
  return o;
}

constexpr platform::LocalTime kNow{2024, 3, 9, 14, 5, 7};

class PictureProject : public ::testing::Test {
 protected:
  // The tool makes Project/ in its folder when it starts.
  PictureProject() { fs::create_directory(m_dir.path() / "Project"); }
  fs::path Path(const std::string& name) const { return m_dir.path() / name; }
  std::string Folder() const { return m_dir.folder(); }
  // Everything under the program folder's Project/.
  std::vector<std::string> Projects() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir.path() / "Project", ec), end; !ec && it != end; ++it)
      names.push_back(it->path().filename().string());
    return names;
  }
  PictureImportResult Write(const std::vector<fs::path>& paths, const PictureImportOptions& o,
                            std::string* path, platform::JobProgress* progress = nullptr) {
    std::vector<std::string> files(paths.begin(), paths.end());
    return picture::WritePictureProject(files, o, document::DefaultAnimation(), Folder(), kNow,
                                        path, progress);
  }
  testsupport::TempDir m_dir{"zoetrix-picture-project"};
};

}  // namespace

TEST_F(PictureProject, StreamedIsTheFileOfTheWholeImportSaved) {
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  ASSERT_TRUE(testpictures::WritePng(Path("still.png"), Bar(9)));
  std::vector<fs::path> inputs{Path("anim.gif"), Path("still.png")};
  std::vector<Image> pictures;
  for (int i = 0; i < 10; ++i) pictures.push_back(Bar(i));
  if (testpictures::WriteClip(Path("clip.mkv"), pictures, 10) == ClipWritten::Yes)
    inputs.push_back(Path("clip.mkv"));

  std::string path;
  const PictureImportResult streamed = Write(inputs, Options(20), &path);
  ASSERT_TRUE(streamed.ok()) << streamed.error;
  EXPECT_EQ(fs::path(path).parent_path(), m_dir.path() / "Project");
  EXPECT_EQ(fs::path(path).filename(), "2024_3_9_14_5_7.ini");

  std::vector<std::string> files(inputs.begin(), inputs.end());
  const picture::PictureAnimationResult whole =
      picture::MakePictureAnimation(files, Options(20), document::DefaultAnimation());
  ASSERT_TRUE(whole.import.ok());
  EXPECT_EQ(streamed.frames, whole.animation.FrameCount());
  ASSERT_TRUE(output::WriteNewProjectFile(whole.animation, Path("whole.ini")).ok());
  EXPECT_EQ(testsupport::ReadFile(path), testsupport::ReadFile(Path("whole.ini")));
  // The project alone is left beside nothing of the writing.
  EXPECT_EQ(Projects(), std::vector<std::string>{"2024_3_9_14_5_7.ini"});
  // A second import at the same moment takes the next name.
  std::string second;
  ASSERT_TRUE(Write({Path("still.png")}, Options(), &second).ok());
  EXPECT_EQ(fs::path(second).filename(), "2024_3_9_14_5_7_2.ini");
}

TEST_F(PictureProject, NoFrameIsKeptOnceWritten) {
  // Ten distinct pictures, then holds: whatever the length, the frames alive
  // while writing are the one being drawn and the one last written.
  std::vector<Image> pictures;
  for (int i = 0; i < 10; ++i) pictures.push_back(Bar(i));
  std::vector<std::string> files;
  if (testpictures::WriteClip(Path("clip.mkv"), pictures, 10) == ClipWritten::Yes)
    files.push_back(Path("clip.mkv").string());
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7), Bar(2)},
                                     {10, 200, 30, 10}));
  files.push_back(Path("anim.gif").string());

  output::ProjectStream stream;
  ASSERT_TRUE(stream.Open(document::DefaultAnimation(), Path("p.ini")).ok());
  const picture::FrameSink write = picture::ProjectFrames(stream);
  std::vector<std::weak_ptr<const std::string>> seen;
  std::size_t mostAlive = 0;
  const PictureImportResult r = picture::ImportPictures(
      files, Options(10), [&](const document::FrameText& text, long long count) {
        if (seen.empty() || seen.back().lock() != text) seen.push_back(text);
        const bool written = write(text, count);
        std::size_t alive = 0;
        for (const auto& weak : seen) alive += !weak.expired();
        mostAlive = std::max(mostAlive, alive);
        return written;
      });
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_GE(seen.size(), 4u);
  EXPECT_LE(mostAlive, 2u) << "of " << seen.size() << " texts";
  EXPECT_EQ(stream.Frames(), r.frames);
  ASSERT_TRUE(stream.Finish().ok());
  // The 2-second hold is 20 frames sharing one line's value.
  const output::ProjectReadResult read = output::ReadProjectFile(Path("p.ini"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.animation.FrameCount(), r.frames);
}

TEST_F(PictureProject, ALongHoldStopsWithinAStepOfACancel) {
  output::ProjectStream stream;
  ASSERT_TRUE(stream.Open(document::DefaultAnimation(), Path("p.ini")).ok());
  platform::JobProgress job;
  const picture::FrameSink write = picture::ProjectFrames(stream, &job);
  EXPECT_TRUE(write(document::MakeFrameText("held"), 100));
  job.Cancel();
  EXPECT_FALSE(write(document::MakeFrameText("held"), 1'000'000));
  // Not the million: at most one step of copies after the cancel.
  EXPECT_LT(stream.Frames(), 100 + 10'000);
}

TEST_F(PictureProject, RefusedImportsLeaveNothing) {
  ASSERT_TRUE(testpictures::WritePng(Path("good.png"), Bar(2)));
  const std::string png = testsupport::ReadFile(Path("good.png"));
  testsupport::WriteFile(Path("cut.png"), png.substr(0, png.size() / 2));
  std::string path;
  // A damaged file after a good one: the decoder's reason, no project.
  PictureImportResult r = Write({Path("good.png"), Path("cut.png")}, Options(), &path);
  EXPECT_EQ(r.error.rfind("无法读取图片或视频", 0), 0u) << r.error;
  EXPECT_NE(r.error.find("cut.png"), std::string::npos) << r.error;
  EXPECT_TRUE(path.empty());
  EXPECT_TRUE(Projects().empty());
  // Past the frame limit, frames already written.
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  PictureImportOptions few = Options();
  few.maxFrames = 4;
  r = Write({Path("good.png"), Path("anim.gif")}, few, &path);
  EXPECT_NE(r.error.find("上限 4 帧"), std::string::npos) << r.error;
  EXPECT_TRUE(Projects().empty());
  // A project folder that is not there.
  fs::remove(Path("Project"));
  r = Write({Path("good.png")}, Options(), &path);
  EXPECT_FALSE(r.error.empty());
  EXPECT_TRUE(path.empty());
}

TEST_F(PictureProject, ACancelMidWayLeavesNothing) {
  // The second picture comes through a pipe, which the import waits on once
  // the first frame is written; it is cancelled then, and the picture sent.
  ASSERT_TRUE(testpictures::WritePng(Path("first.png"), Bar(2)));
  ASSERT_TRUE(testpictures::WritePng(Path("second.png"), Bar(5)));
  ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
  platform::JobProgress job;
  std::atomic<bool> ended{false};
  std::thread watcher([&] {
    while (job.Read().done < 1 && !ended)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    job.Cancel();
    // Once the import opens the pipe to read.
    int fd = -1;
    while (fd < 0 && !ended) {
      fd = ::open(Path("pipe.png").c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (fd < 0) return;
    ::fcntl(fd, F_SETFL, 0);
    const std::string bytes = testsupport::ReadFile(Path("second.png"));
    (void)!::write(fd, bytes.data(), bytes.size());
    ::close(fd);
  });
  std::string path;
  const PictureImportResult r =
      Write({Path("first.png"), Path("pipe.png"), Path("second.png")}, Options(), &path, &job);
  ended = true;
  watcher.join();
  EXPECT_TRUE(r.cancelled) << r.error;
  EXPECT_EQ(r.frames, 1);
  EXPECT_TRUE(path.empty());
  EXPECT_TRUE(Projects().empty());
}
