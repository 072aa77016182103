// The recovery copy: what it writes, when it counts as changed, and which
// copies a starting tool may offer.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::MakeFrameText;

using output::ProjectReadResult;
using output::ReadProjectFile;
using output::RecoveryCopy;
using output::RecoveryOrphan;

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// An animation of the given frames, with properties a project carries.
void Fill(Animation& animation, std::initializer_list<const char*> frames) {
  animation.m_strAnimName = "cat";
  animation.m_strColor = "1F";
  animation.m_nAnimWide = 40;
  animation.m_nAnimHigh = 12;
  animation.m_nRate = 7;
  for (const char* text : frames) animation.m_frames.Append(MakeFrameText(text));
}

}  // namespace

TEST(RecoveryCopy, WritesAProjectWithTheTextBeingTypedAndNotesChanges) {
  TempDir dir;
  Animation animation;
  Fill(animation, {"one", "two\r\nlines \"q\"", ""});
  RecoveryCopy copy(dir.path(), 11);
  ASSERT_TRUE(copy.Active());
  EXPECT_TRUE(copy.Differs(animation, 2, ""));  // nothing written yet
  ASSERT_TRUE(copy.StartWrite(RecoveryCopy::Snapshot(animation, 2, "being typed")));
  copy.Wait();
  EXPECT_EQ(copy.TakeError(), "");
  EXPECT_EQ(copy.Path(), dir.path() / "Recovery-11.ini");

  const ProjectReadResult read = ReadProjectFile(copy.Path());
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.animation.m_strAnimName, "cat");
  EXPECT_EQ(read.animation.m_strColor, "1F");
  EXPECT_EQ(read.animation.m_nAnimWide, 40);
  EXPECT_EQ(read.animation.m_nAnimHigh, 12);
  EXPECT_EQ(read.animation.m_nRate, 7);
  ASSERT_EQ(read.animation.FrameCount(), 3);
  EXPECT_EQ(read.animation.m_frames.At(1)->Text(), "two\r\nlines \"q\"");
  EXPECT_EQ(read.animation.m_frames.At(2)->Text(), "being typed");
  EXPECT_EQ(animation.m_frames.At(2)->Text(), "");  // the animation itself is not touched

  EXPECT_FALSE(copy.Differs(animation, 2, "being typed"));
  EXPECT_TRUE(copy.Differs(animation, 2, "typed on"));
  EXPECT_TRUE(copy.Differs(animation, 1, "being typed"));  // frame 2 stands as stored again
  animation.m_frames.At(0)->pText = MakeFrameText("one");  // a new text, the same bytes
  EXPECT_FALSE(copy.Differs(animation, 2, "being typed"));
  animation.m_frames.At(0)->pText = MakeFrameText("ONE");
  EXPECT_TRUE(copy.Differs(animation, 2, "being typed"));
  animation.m_frames.At(0)->pText = MakeFrameText("one");
  animation.m_nRate = 8;
  EXPECT_TRUE(copy.Differs(animation, 2, "being typed"));
  animation.m_nRate = 7;
  animation.m_frames.Append();
  EXPECT_TRUE(copy.Differs(animation, 2, "being typed"));

  // Saved (exported, say): the copy goes, and only a change brings it back.
  copy.MarkSaved(RecoveryCopy::Snapshot(animation, 3, ""));
  EXPECT_FALSE(copy.Exists());
  EXPECT_FALSE(copy.Differs(animation, 3, ""));
  copy.Write(RecoveryCopy::Snapshot(animation, 3, "x"));
  EXPECT_TRUE(copy.Exists());
  copy.Discard();
  EXPECT_FALSE(copy.Exists());
  EXPECT_TRUE(copy.Differs(animation, 3, "x"));
}

// Every property the copy holds counts as a change on its own, so losing
// any one from the comparison would let the copy fall behind unnoticed.
TEST(RecoveryCopy, EachPropertyOnItsOwnIsAChange) {
  TempDir dir;
  Animation animation;
  Fill(animation, {"one", "two"});
  RecoveryCopy copy(dir.path(), 12);
  ASSERT_TRUE(copy.Active());
  copy.Write(RecoveryCopy::Snapshot(animation, -1, ""));
  ASSERT_FALSE(copy.Differs(animation, -1, ""));

  const auto changes = [&](auto change, auto back, const char* what) {
    change();
    EXPECT_TRUE(copy.Differs(animation, -1, "")) << what;
    back();
    EXPECT_FALSE(copy.Differs(animation, -1, "")) << what;
  };
  changes([&] { animation.m_strAnimName = "dog"; }, [&] { animation.m_strAnimName = "cat"; },
          "name");
  changes([&] { animation.m_strColor = "F1"; }, [&] { animation.m_strColor = "1F"; }, "colours");
  changes([&] { animation.m_nAnimWide = 41; }, [&] { animation.m_nAnimWide = 40; }, "width");
  changes([&] { animation.m_nAnimHigh = 13; }, [&] { animation.m_nAnimHigh = 12; }, "height");
  changes([&] { animation.m_nRate = 8; }, [&] { animation.m_nRate = 7; }, "rate");
  changes([&] { animation.m_frames.At(1)->pText = MakeFrameText("TWO"); },
          [&] { animation.m_frames.At(1)->pText = MakeFrameText("two"); }, "a frame");
}

TEST(RecoveryCopy, OnlyCopiesOfToolsNoLongerRunningAreOffered) {
  TempDir dir;
  Animation animation;
  Fill(animation, {"a", "b"});
  auto first = std::make_unique<RecoveryCopy>(dir.path(), 100);
  first->Write(RecoveryCopy::Snapshot(animation, -1, ""));
  RecoveryCopy second(dir.path(), 200);
  EXPECT_TRUE(second.FindOrphans().empty());  // the first tool still runs
  second.Write(RecoveryCopy::Snapshot(animation, -1, ""));
  EXPECT_NE(first->Path(), second.Path());

  first.reset();  // ends without the exit question: its copy stays
  ASSERT_TRUE(fs::exists(dir.path() / "Recovery-100.ini"));
  std::vector<RecoveryOrphan> orphans = second.FindOrphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].Copy(), dir.path() / "Recovery-100.ini");
  {
    // While one tool is deciding about it, another starting does not see it.
    RecoveryCopy third(dir.path(), 300);
    EXPECT_TRUE(third.FindOrphans().empty());
  }
  // Taken over: the second tool's copy now holds it.
  ASSERT_TRUE(second.Adopt(std::move(orphans[0]), RecoveryCopy::Snapshot(animation, -1, "")));
  EXPECT_FALSE(fs::exists(dir.path() / "Recovery-100.ini"));
  EXPECT_FALSE(fs::exists(dir.path() / "Recovery-100.lock"));
  EXPECT_FALSE(second.Differs(animation, -1, ""));
  EXPECT_TRUE(ReadProjectFile(second.Path()).ok());
}

TEST(RecoveryCopy, KilledToolsAndReusedIdsLoseNothing) {
  TempDir dir;
  Animation animation;
  Fill(animation, {"kept"});
  {
    RecoveryCopy killed(dir.path(), 7);
    killed.Write(RecoveryCopy::Snapshot(animation, -1, ""));
  }
  // A kill leaves the lock file behind, unlocked.
  testsupport::WriteFile(dir.path() / "Recovery-7.lock", "");
  testsupport::WriteFile(dir.path() / "Recovery-8.ini.tmp", "half");
  testsupport::WriteFile(dir.path() / ".Recovery-8.ini.tmp", "half");
  // A new tool with the same process id must not write over that copy.
  RecoveryCopy same(dir.path(), 7);
  EXPECT_NE(same.Path(), dir.path() / "Recovery-7.ini");
  same.Write(RecoveryCopy::Snapshot(animation, 0, "new"));
  EXPECT_EQ(ReadProjectFile(dir.path() / "Recovery-7.ini").animation.m_frames.At(0)->Text(),
            "kept");
  std::vector<RecoveryOrphan> orphans = same.FindOrphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].Copy(), dir.path() / "Recovery-7.ini");
  RecoveryCopy::Remove(std::move(orphans[0]));
  EXPECT_FALSE(fs::exists(dir.path() / "Recovery-7.ini"));
  EXPECT_TRUE(same.FindOrphans().empty());
}

TEST(RecoveryCopy, AMissingDataFolderIsReportedNotIgnored) {
  TempDir dir;
  Animation animation;
  Fill(animation, {"a"});
  RecoveryCopy copy(dir.path() / "data", 5);
  EXPECT_FALSE(copy.Active());
  ASSERT_TRUE(copy.StartWrite(RecoveryCopy::Snapshot(animation, -1, "")));
  copy.Wait();
  const std::string error = copy.TakeError();
  EXPECT_NE(error.find("无法写入恢复副本"), std::string::npos) << error;
  EXPECT_EQ(copy.TakeError(), "");  // told once
  EXPECT_TRUE(copy.FindOrphans().empty());
}

namespace {

// A lock that another running tool holds: a descriptor of this process
// with its own open file description, so it conflicts with ours.
struct HeldLock {
  explicit HeldLock(const fs::path& path)
      : fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  }
  ~HeldLock() { ::close(fd); }
  int fd;
};

}  // namespace

TEST(RecoveryCopy, PlantedLinksAreNeverFollowed) {
  TempDir dir;
  TempDir outside("zoetrix-outside");
  Animation animation;
  Fill(animation, {"mine"});
  // A link where this tool's lock goes, pointing where nothing is yet: an
  // open that follows it would create that file.
  const fs::path target = outside.path() / "made-through-the-lock";
  fs::create_symlink(target, dir.path() / "Recovery-21.lock");
  // A link where a copy goes, to a project of the user's outside data/.
  testsupport::WriteFile(outside.path() / "theirs.ini",
                         "[AnimatedProperties]\r\nName=theirs\r\nFrameRate=5\r\nFrameNum=0\r\n");
  fs::create_symlink(outside.path() / "theirs.ini", dir.path() / "Recovery-22.ini");
  {
    RecoveryCopy copy(dir.path(), 21);
    EXPECT_FALSE(fs::exists(target));
    // The tool works under another name; the link stays as it was.
    ASSERT_TRUE(copy.Active());
    EXPECT_NE(copy.Path(), dir.path() / "Recovery-21.ini");
    copy.Write(RecoveryCopy::Snapshot(animation, -1, ""));
    EXPECT_EQ(copy.TakeError(), "");
    EXPECT_EQ(ReadProjectFile(copy.Path()).animation.m_frames.At(0)->Text(), "mine");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "Recovery-21.lock"));
    // A link is no copy of ours, however readable its target.
    EXPECT_TRUE(copy.FindOrphans().empty());
  }
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "Recovery-22.ini"));
  EXPECT_EQ(testsupport::ReadFile(outside.path() / "theirs.ini").substr(0, 20),
            "[AnimatedProperties]");
}

TEST(RecoveryCopy, StartRemovesLeftoversOfToolsNoLongerRunningOnly) {
  TempDir dir;
  const fs::path& d = dir.path();
  Animation animation;
  Fill(animation, {"a"});
  auto put = [&](const char* name, std::string_view bytes = "half a project") {
    testsupport::WriteFile(d / name, bytes);
  };
  // Killed with a copy: the half-written next one goes, the copy stays.
  {
    RecoveryCopy killed(d, 42);
    killed.Write(RecoveryCopy::Snapshot(animation, -1, ""));
  }
  // A tool that runs and is writing its copy.
  RecoveryCopy running(d, 40);
  put(".Recovery-40.ini.tmp-40-3");
  // Another running tool, seen only through its lock.
  HeldLock other(d / "Recovery-44.lock");
  put(".Recovery-44.ini.tmp-44-0");
  put("Recovery-42.lock", "");
  put(".Recovery-42.ini.tmp-42-9");
  // Killed while writing, before any copy was complete (both the names of
  // this version and of earlier ones), and a lock left by a kill.
  put("Recovery-41.lock", "");
  put(".Recovery-41.ini.tmp-41-0");
  put(".Recovery-41.ini.tmp");
  put(".Recovery-41.ini.tmp.tmp-41-7");
  put(".Recovery-43.ini.tmp-43-1");  // its lock file went too
  put("Recovery-45.lock", "");       // nothing to recover
  put(".Recovery-50.ini.tmp-50-0");  // an earlier tool with the id of the next
  // Not ours to judge.
  put("Settings.ini", "[x]\r\n");
  put(".Settings.ini.tmp-41-0");
  put("Recovery-41.unreadable.ini");
  put(".Recovery-x.ini.tmp-1-1");

  RecoveryCopy starting(d, 50);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(d)) left.insert(entry.path().filename());
  const std::set<std::string> expected = {"Recovery-40.lock",
                                          ".Recovery-40.ini.tmp-40-3",
                                          "Recovery-44.lock",
                                          ".Recovery-44.ini.tmp-44-0",
                                          "Recovery-42.ini",
                                          "Recovery-42.lock",
                                          "Settings.ini",
                                          ".Settings.ini.tmp-41-0",
                                          "Recovery-41.unreadable.ini",
                                          ".Recovery-x.ini.tmp-1-1",
                                          "Recovery-50.lock"};
  EXPECT_EQ(left, expected);
  // The running tools keep their locks; the copy is still offered.
  const int probe = ::open((d / "Recovery-40.lock").c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
  ::close(probe);
  std::vector<RecoveryOrphan> orphans = starting.FindOrphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].Copy(), d / "Recovery-42.ini");
}
