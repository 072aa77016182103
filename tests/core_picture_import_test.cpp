// Frames from picture files, GIFs, folders and clips, made by the test with
// the same libraries, and the files that are refused; the command line's
// import written into a project frame by frame.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "picture/MediaDecoder.h"
#include "picture/PictureImport.h"
#include "picture/PictureProject.h"
#include "platform/JobProgress.h"
#include "project/ProjectFile.h"
#include "project/ProjectStream.h"
#include "res/Texts.h"
#include "tests/PictureMaker.h"
#include "tests/TestSupport.h"

using picture::ImportPictures;
using picture::MakePictureAnimation;
using picture::PictureAnimationResult;
using picture::PictureImportOptions;
using picture::PictureImportResult;
using testpictures::ClipWritten;
using testpictures::Image;
namespace fs = std::filesystem;

namespace {

// On a 20x10 canvas a 40x40 picture has 2 x 4 pixels a cell. A picture with
// a black bar over pixel columns [4 * at, 4 * at + 4) draws, inverted, ink
// in cells 2 * at and 2 * at + 1 only.
Image Bar(int at) {
  Image image(40, 40);
  image.Fill(4 * at, 0, 4 * at + 4, 40, 0);
  return image;
}

PictureImportOptions Options(int rate = 10) {
  PictureImportOptions o;
  o.characters.width = 20;
  o.characters.height = 10;
  o.characters.invert = true;  // the black bar is what is drawn
  o.characters.dither = picture::Dither::None;
  o.rate = rate;
  return o;
}

// The bar's place in a frame drawn from Bar(at): at, or -1 when the frame
// is not one bar two cells wide on every line.
int BarAt(const std::string& text) {
  int at = -2;
  std::size_t start = 0, lines = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || first % 2 != 0 || line.size() != first + 2) return -1;
    const int here = static_cast<int>(first / 2);
    if (at != -2 && here != at) return -1;
    at = here;
    ++lines;
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines == 10 ? at : -1;
}

std::vector<int> Bars(const document::Animation& animation) {
  std::vector<int> bars;
  for (const auto& node : animation.m_frames) bars.push_back(BarAt(node.Text()));
  return bars;
}

PictureAnimationResult Import(const std::vector<fs::path>& paths, const PictureImportOptions& o) {
  std::vector<std::string> files;
  for (const fs::path& p : paths) files.push_back(p.string());
  return MakePictureAnimation(files, o, document::DefaultAnimation());
}

class PictureImport : public ::testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return m_dir.path() / name; }
  testsupport::TempDir m_dir{"zoetrix-pictures"};
};

// The command line's import: each frame written into a new project as it is
// drawn.
class PictureProjectImport : public PictureImport {
 protected:
  // The tool makes Project/ in its folder when it starts.
  PictureProjectImport() { fs::create_directory(m_dir.path() / "Project"); }
  std::vector<std::string> Projects() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir.path() / "Project", ec), end; !ec && it != end; ++it)
      names.push_back(it->path().filename().string());
    return names;
  }
  PictureImportResult Write(const std::vector<fs::path>& paths, const PictureImportOptions& o,
                            std::string* path, platform::JobProgress* progress = nullptr) {
    const std::vector<std::string> files(paths.begin(), paths.end());
    return picture::WritePictureProject(files, o, document::DefaultAnimation(), m_dir.folder(),
                                        platform::LocalTime{2024, 3, 9, 14, 5, 7}, path, progress);
  }
};

}  // namespace

TEST_F(PictureImport, AStillPictureIsOneFrame) {
  ASSERT_TRUE(testpictures::WritePng(Path("bar.png"), Bar(3)));
  const PictureAnimationResult r = Import({Path("bar.png")}, Options());
  ASSERT_TRUE(r.import.ok()) << r.import.error;
  EXPECT_EQ(r.import.frames, 1);
  EXPECT_EQ(Bars(r.animation), std::vector<int>{3});
  // The new animation's values stay; only frames were added.
  EXPECT_EQ(r.animation.m_nAnimWide, 80);
  EXPECT_EQ(r.animation.m_nRate, 24);
  // A part of a clip does not apply to a still picture.
  PictureImportOptions part = Options();
  part.from = 5;
  part.to = 6;
  EXPECT_EQ(Import({Path("bar.png")}, part).import.frames, 1);
}

TEST_F(PictureImport, AnAnimatedGifHoldsEachImageForItsDelay) {
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  const PictureAnimationResult r = Import({Path("anim.gif")}, Options(10));
  ASSERT_TRUE(r.import.ok()) << r.import.error;
  EXPECT_EQ(Bars(r.animation), (std::vector<int>{1, 4, 4, 7, 7, 7}));
  // A hold is copies of one text.
  const document::FrameList& f = r.animation.m_frames;
  EXPECT_EQ(f.At(1)->pText, f.At(2)->pText);
  EXPECT_EQ(f.At(3)->pText, f.At(5)->pText);
  // At 20 frames a second every hold doubles.
  EXPECT_EQ(Bars(Import({Path("anim.gif")}, Options(20)).animation),
            (std::vector<int>{1, 1, 4, 4, 4, 4, 7, 7, 7, 7, 7, 7}));
  // A part in seconds: 0.15 to 0.45 at 10 frames a second is 0.15, 0.25, 0.35.
  PictureImportOptions part = Options(10);
  part.from = 0.15;
  part.to = 0.45;
  EXPECT_EQ(Bars(Import({Path("anim.gif")}, part).animation), (std::vector<int>{4, 4, 7}));
}

TEST_F(PictureImport, AFolderGivesItsPicturesInNaturalOrder) {
  fs::create_directory(Path("seq"));
  ASSERT_TRUE(testpictures::WritePng(Path("seq/frame10.png"), Bar(9)));
  ASSERT_TRUE(testpictures::WritePng(Path("seq/frame2.png"), Bar(2)));
  ASSERT_TRUE(testpictures::WritePng(Path("seq/frame1.PNG"), Bar(1)));
  testsupport::WriteFile(Path("seq/notes.txt"), "not a picture");
  std::vector<std::string> files;
  std::string error;
  ASSERT_TRUE(picture::ListPictureFiles({Path("seq").string()}, &files, &error)) << error;
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(fs::path(files[2]).filename(), "frame10.png");
  std::vector<fs::path> listed(files.begin(), files.end());
  EXPECT_EQ(Bars(Import(listed, Options()).animation), (std::vector<int>{1, 2, 9}));

  // Several files are read in the order given.
  EXPECT_EQ(Bars(Import({Path("seq/frame10.png"), Path("seq/frame1.PNG")}, Options()).animation),
            (std::vector<int>{9, 1}));
  // A folder without pictures is refused.
  fs::create_directory(Path("empty"));
  EXPECT_FALSE(picture::ListPictureFiles({Path("empty").string()}, &files, &error));
  EXPECT_NE(error.find("没有图片"), std::string::npos) << error;
}

TEST(NaturalOrder, NumbersCompareByValue) {
  std::vector<std::string> names = {"b.png", "a10.png", "a9.png", "a010.png", "a1.png", "A2.png"};
  std::sort(names.begin(), names.end(), picture::NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"A2.png", "a1.png", "a9.png", "a10.png", "a010.png",
                                             "b.png"}));
  EXPECT_FALSE(picture::NaturalLess("x", "x"));
  EXPECT_TRUE(picture::NaturalLess("x", "x1"));
}

TEST_F(PictureImport, AClipIsSampledAtTheRate) {
  std::vector<Image> pictures;
  for (int i = 0; i < 10; ++i) pictures.push_back(Bar(i));
  const ClipWritten written = testpictures::WriteClip(Path("clip.mkv"), pictures, 10);
  if (written == ClipWritten::NoEncoder) GTEST_SKIP() << "this FFmpeg has no FFV1 encoder";
  ASSERT_EQ(written, ClipWritten::Yes);
  // One second at 5 frames a second: every other picture.
  PictureAnimationResult r = Import({Path("clip.mkv")}, Options(5));
  ASSERT_TRUE(r.import.ok()) << r.import.error;
  EXPECT_EQ(Bars(r.animation), (std::vector<int>{0, 2, 4, 6, 8}));
  // At 20 a second each picture is held for two frames.
  r = Import({Path("clip.mkv")}, Options(20));
  ASSERT_EQ(r.import.frames, 20);
  EXPECT_EQ(BarAt(r.animation.m_frames.At(19)->Text()), 9);
  // From and to pick a part.
  PictureImportOptions part = Options(5);
  part.from = 0.5;
  EXPECT_EQ(Bars(Import({Path("clip.mkv")}, part).animation), (std::vector<int>{5, 7, 9}));
  part.from = 0.2;
  part.to = 0.6;
  EXPECT_EQ(Bars(Import({Path("clip.mkv")}, part).animation), (std::vector<int>{2, 4}));
  // A part past the end holds nothing and is refused.
  part.from = 3;
  part.to = -1;
  r = Import({Path("clip.mkv")}, part);
  EXPECT_EQ(r.import.frames, 0);
  EXPECT_NE(r.import.error.find("没有画面"), std::string::npos) << r.import.error;
}

TEST_F(PictureImport, TheFrameLimitStopsAnImport) {
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  PictureImportOptions o = Options(10);
  o.maxFrames = 5;
  long long handed = 0;
  PictureImportResult r =
      ImportPictures({Path("anim.gif").string()}, o, [&](const document::FrameText&, long long n) {
        handed += n;
        return true;
      });
  EXPECT_NE(r.error.find("上限 5 帧"), std::string::npos) << r.error;
  EXPECT_LE(handed, 5);
  // Frames that fit pass; the animation keeps nothing of a refused import.
  o.maxFrames = 6;
  EXPECT_TRUE(
      ImportPictures({Path("anim.gif").string()}, o, [](const document::FrameText&, long long) {
        return true;
      }).ok());
  o.maxFrames = 5;
  document::Animation before = document::DefaultAnimation();
  before.m_frames.Append(document::MakeFrameText("kept"));
  const PictureAnimationResult refused =
      MakePictureAnimation({Path("anim.gif").string()}, o, before);
  ASSERT_FALSE(refused.import.ok());
  ASSERT_EQ(refused.animation.FrameCount(), 1);
  EXPECT_EQ(refused.animation.m_frames.At(0)->Text(), "kept");

  // A clip whose length says it is too long is refused before any frame.
  std::vector<Image> pictures(10, Bar(0));
  if (testpictures::WriteClip(Path("clip.mkv"), pictures, 10) != ClipWritten::Yes) return;
  o.maxFrames = 3;
  handed = 0;
  r = ImportPictures({Path("clip.mkv").string()}, o, [&](const document::FrameText&, long long n) {
    handed += n;
    return true;
  });
  EXPECT_NE(r.error.find("上限 3 帧"), std::string::npos) << r.error;
  EXPECT_EQ(handed, 0);
}

TEST_F(PictureImport, DamagedAndOversizedFilesAreRefusedWithTheReason) {
  ASSERT_TRUE(testpictures::WritePng(Path("whole.png"), Bar(2)));
  const std::string png = testsupport::ReadFile(Path("whole.png"));
  testsupport::WriteFile(Path("cut.png"), png.substr(0, png.size() / 2));
  testsupport::WriteFile(Path("text.png"), "this is not a picture at all\n");
  testsupport::WriteFile(Path("empty.gif"), "");
  for (const char* name : {"cut.png", "text.png", "empty.gif", "missing.png"}) {
    const PictureAnimationResult r = Import({Path(name)}, Options());
    SCOPED_TRACE(name);
    EXPECT_EQ(r.animation.FrameCount(), 0);
    EXPECT_EQ(r.import.error.rfind("无法读取图片或视频", 0), 0u) << r.import.error;
    EXPECT_NE(r.import.error.find(name), std::string::npos) << r.import.error;
    // The decoder's reason, in brackets after the name.
    const std::size_t reason = r.import.error.find("（");
    ASSERT_NE(reason, std::string::npos);
    EXPECT_GT(r.import.error.size(), reason + std::string("（）").size());
  }
  // One bad file among good ones refuses the whole import.
  EXPECT_EQ(Import({Path("whole.png"), Path("cut.png")}, Options()).animation.FrameCount(), 0);

  // Wider than 16384 pixels: refused before it is decoded.
  ASSERT_TRUE(testpictures::WritePng(Path("wide.png"), Image(picture::kMaxPictureSide + 1, 2)));
  PictureAnimationResult r = Import({Path("wide.png")}, Options());
  EXPECT_NE(r.import.error.find("画面太大（16385x2）"), std::string::npos) << r.import.error;
  ASSERT_TRUE(testpictures::WritePng(Path("edge.png"), Image(picture::kMaxPictureSide, 2)));
  r = Import({Path("edge.png")}, Options());
  EXPECT_TRUE(r.import.ok()) << r.import.error;
}

TEST_F(PictureImport, CancellingStopsAtTheNextFrameAndKeepsTheAnimation) {
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  // Cancelled while the first frame is handed on: nothing after it is read.
  platform::JobProgress job;
  int handed = 0;
  PictureImportResult r = ImportPictures(
      {Path("anim.gif").string()}, Options(),
      [&](const document::FrameText&, long long) {
        ++handed;
        const platform::JobProgress::Reading now = job.Read();
        EXPECT_EQ(now.what, res::kJobImportPictures);
        // The GIF's length is known: 6 frames at rate 10.
        EXPECT_EQ(now.total, 6u);
        job.Cancel();
        return true;
      },
      &job);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.error.empty());
  EXPECT_EQ(handed, 1);
  EXPECT_EQ(r.frames, 1);

  // Through the animation: what it held stays, nothing is added.
  document::Animation before = document::DefaultAnimation();
  before.m_frames.Append(document::MakeFrameText("kept"));
  platform::JobProgress cancelled;
  cancelled.Cancel();
  const PictureAnimationResult made =
      MakePictureAnimation({Path("anim.gif").string()}, Options(), before, &cancelled);
  EXPECT_TRUE(made.import.cancelled);
  ASSERT_EQ(made.animation.FrameCount(), 1);
  EXPECT_EQ(made.animation.m_frames.At(0)->Text(), "kept");
}

TEST_F(PictureImport, ProgressCountsFramesAgainstWhatTheFilesPromise) {
  ASSERT_TRUE(testpictures::WritePng(Path("a.png"), Bar(1)));
  ASSERT_TRUE(testpictures::WriteGif(Path("anim.gif"), {Bar(1), Bar(4), Bar(7)}, {10, 20, 30}));
  ASSERT_TRUE(testpictures::WritePng(Path("b.png"), Bar(2)));
  platform::JobProgress job;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> seen;  // total and done, frame by frame
  const PictureImportResult r = ImportPictures(
      {Path("a.png").string(), Path("anim.gif").string(), Path("b.png").string()}, Options(),
      [&](const document::FrameText&, long long n) {
        seen.emplace_back(job.Read().total, n);
        return true;
      },
      &job);
  ASSERT_TRUE(r.ok()) << r.error;
  // A still picture promises one frame, each file after it one until opened;
  // the GIF its six.
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front().first, 3u);
  EXPECT_EQ(seen[1].first, 1u + 6u + 1u);
  EXPECT_EQ(seen.back().first, 8u);
  // At the end every frame is counted and the total met.
  EXPECT_EQ(job.Read().done, 8u);
  EXPECT_EQ(job.Read().total, 8u);
}

TEST_F(PictureProjectImport, StreamedIsTheFileOfTheWholeImportSaved) {
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
}

TEST_F(PictureProjectImport, NoFrameIsKeptOnceWritten) {
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

TEST_F(PictureProjectImport, ALongHoldStopsWithinAStepOfACancel) {
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

TEST_F(PictureProjectImport, RefusedImportsLeaveNothing) {
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

TEST_F(PictureProjectImport, ACancelMidWayLeavesNothing) {
  // The second picture comes through a pipe, which the import waits on once
  // the first frame is written; it is cancelled then, and the picture sent.
  ASSERT_TRUE(testpictures::WritePng(Path("first.png"), Bar(2)));
  ASSERT_TRUE(testpictures::WritePng(Path("second.png"), Bar(5)));
  ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
  platform::JobProgress job;
  std::atomic<bool> ended{false};
  std::thread watcher([&] {
    while (job.Read().done < 1 && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
