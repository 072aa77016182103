// Long jobs and their cancel: whenever a job is stopped, the folders hold
// what they held before (no temporary, nothing half-written, nothing new
// under a final name), what it was given is as it was, and a job left to run
// writes exactly what it writes without a JobProgress.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "document/AnimationDocument.h"
#include "platform/JobProgress.h"
#include "platform/Process.h"
#include "program/CodeFile.h"
#include "program/Export.h"
#include "program/WindowsProgram.h"
#include "project/ProjectFile.h"
#include "project/TextFrames.h"
#include "res/Texts.h"
#include "share/AnimationFormats.h"
#include "share/Share.h"
#include "tests/TestSupport.h"

using namespace std::chrono_literals;
using document::Animation;
using document::AnimationDocument;
using document::AnimationPaths;
using document::MakeFrameText;
using output::ExportEnd;
using output::ExportPrompter;
using platform::JobProgress;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

// Every file under root by its path there, with its bytes.
Files FilesIn(const fs::path& root) {
  Files files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
  return files;
}

// Frames as a user makes them: every row with ASCII and Chinese, each frame
// its own.
Animation DenseAnimation(int frames) {
  Animation animation = testsupport::AnimationOf("cancel", 40, 4, "0A", 12);
  for (int i = 0; i < frames; ++i) {
    std::string text;
    for (int row = 0; row < 4; ++row)
      text +=
          testsupport::Gbk("第" + std::to_string(i) + "帧 frame " + std::to_string(row) + " 动画") +
          (row < 3 ? "\r\n" : "");
    animation.m_frames.Append(MakeFrameText(text));
  }
  return animation;
}

// A writer of one file at a path, as each job writes its file.
struct Writer {
  const char* name;
  const char* stage;
  std::function<bool(const Animation&, const std::string&, JobProgress*)> write;
};

std::vector<Writer> Writers() {
  return {
      {"html", res::kJobShareHtml,
       [](const Animation& a, const std::string& path, JobProgress* job) {
         std::string error;
         return output::WriteHtmlAnimation(a, path, &error, platform::Replace::Yes, job);
       }},
      {"gif", res::kJobShareGif,
       [](const Animation& a, const std::string& path, JobProgress* job) {
         std::string error;
         return output::WriteGifAnimation(a, path, &error, {}, platform::Replace::Yes, job);
       }},
      {"cast", res::kJobShareCast,
       [](const Animation& a, const std::string& path, JobProgress* job) {
         std::string error;
         return output::WriteCastAnimation(a, path, &error, platform::Replace::Yes, job);
       }},
      {"ini", res::kJobSaveProject,
       [](const Animation& a, const std::string& path, JobProgress* job) {
         return output::WriteProjectFile(a, path, platform::Replace::Yes, job).ok();
       }},
  };
}

class Recorder : public ExportPrompter {
 public:
  void Message(const std::string& text) override { messages.push_back(text); }
  bool Ask(const std::string&) override { return true; }
  std::vector<std::string> messages;
};

// A tool folder with a started animation of `frames` frames whose code file
// is open, and a stand-in compiler beside it.
struct Tool {
  TempDir dir{"zoetrix-cancel"};
  AnimationDocument doc;
  explicit Tool(int frames) {
    for (const char* sub : {"Code", "Project", "Animate"}) fs::create_directory(dir.path() / sub);
    const platform::LocalTime created{2024, 1, 2, 3, 4, 5};
    const Animation animation = DenseAnimation(frames);
    AnimationPaths paths;
    EXPECT_EQ(output::StartCodeFile(doc, dir.folder(), animation, created, &paths), "");
    doc.m_export.TakePaths(paths, created);
    doc.m_animation = animation;
    doc.m_bCreated = 1;
  }
  ~Tool() { doc.m_export.m_pCodeFile.reset(); }
  void Compiler(const std::string& body) const {
    const std::string path = dir.folder() + "tcc";
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
  }
  // Everything but the compiler.
  Files Made() const {
    Files files = FilesIn(dir.path());
    files.erase("tcc");
    return files;
  }
};

// Writes a whole program wherever tcc is told to put it.
constexpr const char* kCopyingCompiler =
    "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && cp /bin/true \"$2\"; shift; done\n";

}  // namespace

TEST(JobProgress, CancelsItselfAtTheCountedAdvanceWhateverTheStage) {
  JobProgress job;
  job.CancelAtAdvance(3);
  job.Begin("a", 10);
  EXPECT_TRUE(job.Advance(0));
  job.Begin("b", 10);  // a new stage goes on counting
  EXPECT_TRUE(job.Advance(0));
  EXPECT_FALSE(job.Advance(1));
  EXPECT_TRUE(job.Cancelled());
  EXPECT_FALSE(job.Advance(2));

  JobProgress disarmed;
  disarmed.CancelAtAdvance(2);
  disarmed.CancelAtAdvance(0);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(disarmed.Advance(i));
}

// Each writer, its target missing or an older file there: cancelled at its
// first, second, ... call to Advance until it runs to the end.
TEST(JobCancel, EveryWriterStoppedAtAnyFrameLeavesTheFolderAsItWas) {
  const int kFrames = 24;
  const Animation animation = DenseAnimation(kFrames);
  for (const Writer& writer : Writers()) {
    for (const bool older : {false, true}) {
      // What the writer makes of the same start without a job (a project
      // keeps the lines of the file it replaces).
      TempDir reference("zoetrix-cancel-ref");
      const std::string whole = (reference.path() / "whole").string();
      if (older) WriteFile(whole, "older");
      ASSERT_TRUE(writer.write(animation, whole, nullptr)) << writer.name;
      TempDir dir("zoetrix-cancel");
      const std::string path = dir.folder() + "out." + writer.name;
      if (older) WriteFile(path, "older");
      const Files before = FilesIn(dir.path());
      bool finished = false;
      int stopped = 0;
      for (int at = 1; at < kFrames + 10 && !finished; ++at) {
        SCOPED_TRACE(std::string(writer.name) + " cancelled at " + std::to_string(at) +
                     (older ? " over an older file" : ""));
        JobProgress job;
        job.CancelAtAdvance(static_cast<std::uint64_t>(at));
        finished = writer.write(animation, path, &job);
        EXPECT_EQ(job.Read().what, writer.stage);
        EXPECT_EQ(job.Read().total, static_cast<std::uint64_t>(kFrames));
        if (!finished) {
          ++stopped;
          EXPECT_TRUE(job.Cancelled());
          EXPECT_EQ(FilesIn(dir.path()), before);
        }
      }
      ASSERT_TRUE(finished) << writer.name << " never ran to its end";
      EXPECT_GE(stopped, kFrames) << writer.name << " must stop at every frame";
      EXPECT_EQ(ReadFile(path), ReadFile(whole)) << writer.name;
      EXPECT_EQ(FilesIn(dir.path()).size(), 1u);
    }
  }
}

TEST(JobCancel, ACancelledReadOfAProjectGivesNothingAndAWholeReadIsTheSame) {
  TempDir dir("zoetrix-cancel-read");
  const std::string path = dir.folder() + "p.ini";
  const int kFrames = 50;
  ASSERT_TRUE(output::WriteProjectFile(DenseAnimation(kFrames), path).ok());
  const output::ProjectReadResult plain = output::ReadProjectFile(path);
  ASSERT_TRUE(plain.ok());
  bool finished = false;
  int stopped = 0;
  for (int at = 1; at < kFrames + 20 && !finished; ++at) {
    SCOPED_TRACE("cancelled at " + std::to_string(at));
    JobProgress job;
    job.CancelAtAdvance(static_cast<std::uint64_t>(at));
    const output::ProjectReadResult read = output::ReadProjectFile(path, 1 << 20, &job);
    EXPECT_EQ(job.Read().what, res::kJobOpenProject);
    finished = read.ok();
    if (!finished) {
      ++stopped;
      EXPECT_TRUE(job.Cancelled());
      EXPECT_EQ(read.animation.FrameCount(), 0);
      EXPECT_EQ(read.error, res::Format(res::kJobCancelled, {res::kJobOpenProject}));
      continue;
    }
    EXPECT_EQ(job.Read().total, static_cast<std::uint64_t>(kFrames));
    ASSERT_EQ(read.animation.FrameCount(), kFrames);
    for (int i = 0; i < kFrames; ++i)
      EXPECT_EQ(read.animation.m_frames.At(i)->Text(), plain.animation.m_frames.At(i)->Text());
  }
  EXPECT_TRUE(finished);
  EXPECT_GE(stopped, kFrames);  // a stop at every frame at least
}

TEST(JobCancel, ACancelledTextImportGivesNoFramesAtAnyPoint) {
  TempDir dir("zoetrix-cancel-text");
  const std::string path = dir.folder() + "frames.txt";
  // More than one read's worth, so the reading stops between reads as well.
  std::string text;
  const int kFrames = 3000;
  for (int i = 0; i < kFrames; ++i)
    text += "frame " + std::to_string(i) + " 动画动画动画动画动画动画\n\f";
  WriteFile(path, text);
  const output::TextFramesResult plain = output::ReadTextFramesFile(path);
  ASSERT_TRUE(plain.ok()) << plain.error;
  bool finished = false;
  int stopped = 0;
  for (std::uint64_t at = 1; !finished; at = at < 8 ? at + 1 : at * 2) {
    SCOPED_TRACE("cancelled at " + std::to_string(at));
    ASSERT_LT(at, 100000u);
    JobProgress job;
    job.CancelAtAdvance(at);
    const output::TextFramesResult read = output::ReadTextFramesFile(path, {}, &job);
    EXPECT_EQ(job.Read().what, res::kJobImportText);
    finished = read.ok();
    if (!finished) {
      ++stopped;
      EXPECT_TRUE(read.frames.empty());
      EXPECT_EQ(read.error, res::Format(res::kJobCancelled, {res::kJobImportText}));
    } else {
      EXPECT_EQ(read.frames.size(), plain.frames.size());
      EXPECT_EQ(*read.frames.back(), *plain.frames.back());
    }
  }
  // While reading (a few stops) and while making the frames (the rest).
  EXPECT_GE(stopped, 12);
}

// The export with code, project and compile, cancelled at every frame of
// its stages: nothing new but the stages it had finished, those exactly as a
// whole export writes them, and no word to the user.
TEST(JobCancel, AnExportStoppedAtAnyFrameKeepsOnlyTheStagesItFinished) {
  const int kFrames = 12;
  const output::ExportOptions options{true, true, true, false};
  Tool whole(kFrames);
  whole.Compiler(kCopyingCompiler);
  Recorder wholeTalk;
  ASSERT_EQ(output::ExportAnimation(whole.doc.m_animation, whole.doc.m_export, options,
                                    whole.dir.folder(), wholeTalk),
            ExportEnd::Exported);
  const Files written = whole.Made();

  bool finished = false;
  int stopped = 0;
  for (int at = 1; at < 4 * kFrames && !finished; ++at) {
    SCOPED_TRACE("cancelled at " + std::to_string(at));
    Tool tool(kFrames);
    tool.Compiler(kCopyingCompiler);
    const Files before = tool.Made();
    const auto ownBefore = tool.doc.m_export.m_writtenFiles;
    JobProgress job;
    job.CancelAtAdvance(static_cast<std::uint64_t>(at));
    Recorder talk;
    const ExportEnd end = output::ExportAnimation(tool.doc.m_animation, tool.doc.m_export, options,
                                                  tool.dir.folder(), talk, &job);
    finished = end != ExportEnd::Cancelled;
    if (finished) {
      EXPECT_EQ(end, ExportEnd::Exported);
      EXPECT_EQ(tool.Made(), written);
      break;
    }
    ++stopped;
    EXPECT_TRUE(talk.messages.empty());
    EXPECT_NE(tool.doc.m_export.m_pCodeFile, nullptr);  // still held open
    for (const auto& [name, bytes] : tool.Made()) {
      const bool asBefore = before.count(name) && before.at(name) == bytes;
      const bool asWhole = written.count(name) && written.at(name) == bytes;
      EXPECT_TRUE(asBefore || asWhole) << name << " is neither as it was nor whole";
    }
    for (const auto& [name, bytes] : before)
      EXPECT_TRUE(tool.Made().count(name)) << name << " went away";
    for (const auto& [name, bytes] : tool.Made())
      EXPECT_NE(name.rfind("Animate/", 0), 0u) << name << ": no program before the compile ended";
    // The session owns what is there and only that.
    for (const auto& [path, id] : tool.doc.m_export.m_writtenFiles)
      EXPECT_TRUE(fs::exists(path)) << path;
    if (tool.Made() == before) {
      EXPECT_EQ(tool.doc.m_export.m_writtenFiles, ownBefore);
    }
  }
  EXPECT_TRUE(finished);
  EXPECT_GE(stopped, 2 * kFrames);  // every frame of the code and of the project
}

// A compiler that takes long is stopped by the cancel, everything it
// started with it, and its half-made program never reaches Animate/.
TEST(JobCancel, ACancelledCompileEndsTheCompilerPromptly) {
  Tool tool(3);
  const std::string pidFile = tool.dir.folder() + "tcc.pid";
  tool.Compiler("echo $$ > '" + pidFile +
                "'\nwhile [ $# -gt 0 ]; do [ \"$1\" = -o ] && echo half > \"$2\"; shift; done\n"
                "exec sleep 30\n");
  JobProgress job;
  std::thread canceller([&job, &pidFile] {
    for (int i = 0; i < 500 && !fs::exists(pidFile); ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);
    job.Cancel();
  });
  Recorder talk;
  const auto start = std::chrono::steady_clock::now();
  const ExportEnd end =
      output::ExportAnimation(tool.doc.m_animation, tool.doc.m_export, {true, true, false, false},
                              tool.dir.folder(), talk, &job);
  const auto took = std::chrono::steady_clock::now() - start;
  canceller.join();
  EXPECT_EQ(end, ExportEnd::Cancelled);
  EXPECT_LT(took, 5s);
  EXPECT_EQ(job.Read().what, res::kJobCompile);
  EXPECT_TRUE(talk.messages.empty());
  ASSERT_TRUE(fs::exists(pidFile));
  const pid_t compiler = std::stoi(ReadFile(pidFile));
  EXPECT_EQ(::kill(compiler, 0), -1);  // gone, and reaped
  EXPECT_EQ(errno, ESRCH);
  for (const auto& [name, bytes] : tool.Made()) {
    EXPECT_EQ(name.find(".build-"), std::string::npos) << name;
    EXPECT_EQ(name.rfind("Animate/", 0), std::string::npos) << name;
  }
  // The code file was finished before the compile: it stays, held open.
  EXPECT_NE(ReadFile(tool.doc.m_export.m_strCodePath).find("return 0;"), std::string::npos);
  EXPECT_NE(tool.doc.m_export.m_pCodeFile, nullptr);
}

TEST(JobCancel, ARunStoppedByItsJobIsKilledAndSaysSo) {
  JobProgress job;
  job.Cancel();
  const auto start = std::chrono::steady_clock::now();
  const platform::ProcessResult run = platform::RunProcess({"sleep", "30"}, 0ms, {}, &job);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.cancelled);
  EXPECT_FALSE(run.timedOut);
  EXPECT_FALSE(run.ExitedCleanly());

  // A compiler cleaning up on SIGTERM, as gcc does, may do so before the end.
  TempDir dir("zoetrix-cancel-term");
  const std::string temp = dir.folder() + "cc-temporary.s";
  const std::string script =
      "trap 'rm -f \"" + temp + "\"; exit 1' TERM; touch '" + temp + "'; sleep 30 & wait";
  JobProgress later;
  std::thread canceller([&] {
    for (int i = 0; i < 400 && !fs::exists(temp); ++i) std::this_thread::sleep_for(5ms);
    later.Cancel();
  });
  const platform::ProcessResult tidy = platform::RunProcess({"sh", "-c", script}, 0ms, {}, &later);
  canceller.join();
  EXPECT_TRUE(tidy.cancelled);
  EXPECT_FALSE(fs::exists(temp));

  JobProgress idle;  // never cancelled: the run is as without one
  const platform::ProcessResult plain = platform::RunProcess({"echo", "hi"}, 0ms, {}, &idle);
  EXPECT_TRUE(plain.ExitedCleanly());
  EXPECT_EQ(plain.output, "hi\n");
}

// Sharing cancelled: the message names the stage, nothing is at the
// format's path and the session's own files are as they were.
TEST(JobCancel, CancelledSharingLeavesTheSessionAndAnimateAlone) {
  Tool tool(6);
  TempDir compilerDir("zoetrix-cancel-gcc");
  const std::string cwdFile = compilerDir.folder() + "cwd";
  WriteFile(compilerDir.path() / "gcc", "#!/bin/sh\npwd > '" + cwdFile + "'\nexec sleep 30\n");
  ::chmod((compilerDir.path() / "gcc").c_str(), 0755);
  output::SetWindowsCompilerForTesting((compilerDir.path() / "gcc").string());
  const struct {
    output::ShareFormat format;
    const char* stage;
    int at;  // 0: cancelled from another thread while the compiler runs
  } cases[] = {
      {output::ShareFormat::Html, res::kJobShareHtml, 3},
      {output::ShareFormat::Gif, res::kJobShareGif, 2},
      {output::ShareFormat::Cast, res::kJobShareCast, 1},
      {output::ShareFormat::Windows, res::kJobShareWindows, 4},
      {output::ShareFormat::Windows, res::kJobShareWindows, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stage + std::string(" at ") + std::to_string(c.at));
    const auto own = tool.doc.m_export.m_writtenFiles;
    const Files before = tool.Made();
    JobProgress job;
    std::thread canceller;
    if (c.at > 0) {
      job.CancelAtAdvance(static_cast<std::uint64_t>(c.at));
    } else {
      canceller = std::thread([&job, &cwdFile] {
        for (int i = 0; i < 500 && !fs::exists(cwdFile); ++i) std::this_thread::sleep_for(10ms);
        job.Cancel();
      });
    }
    const std::string said =
        output::ShareAnimation(tool.doc.m_animation, tool.doc.m_export, c.format, false, &job);
    if (canceller.joinable()) canceller.join();
    EXPECT_EQ(said, res::Format(res::kJobCancelled, {c.stage}));
    EXPECT_EQ(tool.Made(), before);
    EXPECT_EQ(tool.doc.m_export.m_writtenFiles, own);
    if (c.at == 0) {
      ASSERT_TRUE(fs::exists(cwdFile));
      std::string folder = ReadFile(cwdFile);
      folder.pop_back();
      EXPECT_FALSE(fs::exists(folder)) << folder;  // the private folder went too
    }
  }
  output::SetWindowsCompilerForTesting({});
}
