// The recovery copy that follows the history: every state kept reads back
// exactly, a save writes what changed and not the animation, and whatever a
// crash leaves at the journal's end is never read as data.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "document/AnimationDocument.h"
#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "project/RecoveryJournal.h"
#include "tests/RecoverySeries.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::MakeFrameText;
using output::ProjectReadResult;
using output::RecoveryCopy;
using output::RecoveryOrphan;
using recoveryseries::Hash;
using recoveryseries::Series;

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// The copy as a starting tool would read it (the lock is not needed here).
Animation ReadBack(const fs::path& copy) {
  const ProjectReadResult read = RecoveryCopy::Read(RecoveryOrphan(copy, {}, -1));
  EXPECT_TRUE(read.ok()) << read.error;
  return read.animation;
}

fs::path JournalOf(const RecoveryCopy& copy) {
  return copy.Path().parent_path() / (copy.Path().stem().string() + ".journal");
}

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

ino_t InodeOf(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A document of count distinct dense pictures, its history watched.
struct BigDocument {
  explicit BigDocument(int count) {
    doc.m_animation = document::DefaultAnimation();
    doc.m_bCreated = 1;
    for (int i = 0; i < count; ++i) doc.m_animation.m_frames.Append(MakeFrameText(Picture(i)));
  }
  static std::string Picture(int n) {
    std::string s;
    for (int line = 0; line < 25; ++line)
      s += std::string(80, static_cast<char>('a' + (n + line) % 26)) + "\r\n";
    return s + std::to_string(n);
  }
  document::AnimationDocument doc;
};

}  // namespace

// Whatever the user does, the copy read back is the snapshot kept last:
// the frames, the properties, and the text being typed over its frame.
TEST(RecoveryJournal, EveryKeptStateReadsBackExactly) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    TempDir dir;
    Series series(seed);
    RecoveryCopy copy(dir.path(), 60);
    series.Doc().m_history.Watch(&copy.Watcher());
    for (int i = 0; i < 300; ++i) {
      series.Step();
      if (i % 3 != 0) continue;  // several changes between saves, too
      copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
      ASSERT_EQ(copy.TakeError(), "");
      const Animation read = ReadBack(copy.Path());
      ASSERT_EQ(Hash(read), Hash(series.Snapshot())) << "after step " << i;
    }
    series.Doc().m_history.Watch(nullptr);
  }
}

// A keystroke or a frame command on a large animation appends a record
// the size of the change; the base stays as it was written.
TEST(RecoveryJournal, ASaveWritesWhatChangedNotTheAnimation) {
  TempDir dir;
  BigDocument big(2000);  // about 4 MiB of pictures
  document::AnimationDocument& doc = big.doc;
  RecoveryCopy copy(dir.path(), 61);
  doc.m_history.Watch(&copy.Watcher());
  copy.MarkSaved(RecoveryCopy::Snapshot(doc.m_animation, -1, ""));
  EXPECT_FALSE(copy.Exists());

  std::string typed = BigDocument::Picture(-1);
  copy.KeepNow(doc.m_animation, 1999, typed);  // the first change: the base
  const std::uintmax_t base = SizeOf(copy.Path());
  const ino_t inode = InodeOf(copy.Path());
  EXPECT_GT(base, 4000000u);
  const std::uintmax_t journalStart = SizeOf(JournalOf(copy));

  typed += "x";  // a keystroke
  copy.KeepNow(doc.m_animation, 1999, typed);
  const std::uintmax_t afterKey = SizeOf(JournalOf(copy));
  EXPECT_GT(afterKey, journalStart);
  EXPECT_LT(afterKey - journalStart, 4096u);
  // A frame command: a second's worth of copies of the picture typed.
  doc.AppendCopiesOfLast(typed, 24, 1999);
  copy.KeepNow(doc.m_animation, 2024, doc.TextAt(2024));
  EXPECT_LT(SizeOf(JournalOf(copy)) - afterKey, 4096u);
  // Deleting 1,000 frames writes where they were, not their pictures.
  const std::uintmax_t beforeDelete = SizeOf(JournalOf(copy));
  doc.EraseBetween(1, 1002);
  copy.KeepNow(doc.m_animation, -1, "");
  EXPECT_LT(SizeOf(JournalOf(copy)) - beforeDelete, 1024u);
  EXPECT_EQ(InodeOf(copy.Path()), inode);
  EXPECT_EQ(SizeOf(copy.Path()), base);
  EXPECT_EQ(Hash(ReadBack(copy.Path())), Hash(RecoveryCopy::Snapshot(doc.m_animation, -1, "")));

  // Nothing changed: nothing is written.
  copy.KeepNow(doc.m_animation, -1, "");
  const std::uintmax_t idle = SizeOf(JournalOf(copy));
  copy.KeepNow(doc.m_animation, -1, "");
  EXPECT_EQ(SizeOf(JournalOf(copy)), idle);
  doc.m_history.Watch(nullptr);
}

// Undoing the deletion of many pictures puts them back in the journal; once
// it outgrows the base, the base is written afresh and the journal starts
// over, and the copy still reads as the animation.
TEST(RecoveryJournal, AJournalOutgrowingTheBaseStartsOver) {
  TempDir dir;
  BigDocument big(200);
  document::AnimationDocument& doc = big.doc;
  RecoveryCopy copy(dir.path(), 62);
  doc.m_history.Watch(&copy.Watcher());
  copy.KeepNow(doc.m_animation, -1, "");
  // Each round puts about 400 KB of pictures back: kept in one journal,
  // they would pass the bound below by the second round.
  for (int round = 0; round < 6; ++round) {
    doc.EraseBetween(1, 200);
    copy.KeepNow(doc.m_animation, -1, "");
    doc.m_history.Undo(doc.m_animation.m_frames);  // 198 pictures back
    copy.KeepNow(doc.m_animation, -1, "");
    ASSERT_EQ(Hash(ReadBack(copy.Path())), Hash(RecoveryCopy::Snapshot(doc.m_animation, -1, "")));
    EXPECT_LE(SizeOf(JournalOf(copy)), SizeOf(copy.Path()) + 200000);
  }
  doc.m_history.Watch(nullptr);
}

// The journal's end cut anywhere, garbled or followed by zeros: the records
// before stand, the torn one is not read.
TEST(RecoveryJournal, ATornOrDamagedTailIsDroppedNeverRead) {
  TempDir dir;
  Series series(7);
  RecoveryCopy copy(dir.path(), 63);
  series.Doc().m_history.Watch(&copy.Watcher());
  for (int i = 0; i < 40; ++i) series.Step();
  copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
  series.Doc().AppendBlankFrame(series.Typed(), series.Shown());
  copy.KeepNow(series.Doc().m_animation, -1, "");
  const std::uint64_t before = Hash(ReadBack(copy.Path()));
  const std::string kept = testsupport::ReadFile(JournalOf(copy));

  series.Doc().StoreEditText(0, "the last change");
  copy.KeepNow(series.Doc().m_animation, 0, "typed on it");
  const std::uint64_t after = Hash(ReadBack(copy.Path()));
  ASSERT_NE(after, before);
  const std::string whole = testsupport::ReadFile(JournalOf(copy));
  ASSERT_GT(whole.size(), kept.size());
  ASSERT_EQ(whole.substr(0, kept.size()), kept);

  const fs::path journal = JournalOf(copy);
  // Every length the last record can be cut to.
  for (std::size_t cut = kept.size(); cut < whole.size(); ++cut) {
    testsupport::WriteFile(journal, whole.substr(0, cut));
    ASSERT_EQ(Hash(ReadBack(copy.Path())), before) << "cut at " << cut;
  }
  // Each byte of the last record changed.
  for (std::size_t at = kept.size(); at < whole.size(); ++at) {
    std::string damaged = whole;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    testsupport::WriteFile(journal, damaged);
    ASSERT_EQ(Hash(ReadBack(copy.Path())), before) << "byte " << at;
  }
  // Zeros after a complete journal, as a file system may show after a crash.
  testsupport::WriteFile(journal, whole + std::string(4096, '\0'));
  EXPECT_EQ(Hash(ReadBack(copy.Path())), after);
  // A journal claiming more than any memory holds (a sparse file): the base
  // is offered as it is, the journal not read.
  testsupport::WriteFile(journal, "");
  const std::uint64_t base = Hash(ReadBack(copy.Path()));
  ASSERT_EQ(::truncate(journal.c_str(), off_t{1} << 42), 0);
  EXPECT_EQ(Hash(ReadBack(copy.Path())), base);
  series.Doc().m_history.Watch(nullptr);
}

// A journal cut short and written again by another process while it is
// read: every read gives a state the journal held at some length, and the
// reader survives the bytes vanishing under it.
TEST(RecoveryJournal, AJournalCutShortWhileReadGivesAKeptState) {
  TempDir dir;
  Series series(11);
  RecoveryCopy copy(dir.path(), 65);
  series.Doc().m_history.Watch(&copy.Watcher());
  copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
  for (int i = 0; i < 16; ++i) {
    series.Step();
    if (i % 4 == 0) copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
  }
  series.Doc().m_history.Watch(nullptr);
  const fs::path journal = JournalOf(copy);
  const std::string whole = testsupport::ReadFile(journal);
  ASSERT_GT(whole.size(), 0u);
  // What the copy reads as with the journal cut to each length.
  std::set<std::uint64_t> kept;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    testsupport::WriteFile(journal, whole.substr(0, cut));
    kept.insert(Hash(ReadBack(copy.Path())));
  }
  testsupport::WriteFile(journal, whole);

  const int fd = ::open(journal.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  std::atomic<bool> stop{false};
  std::thread cutter([&] {
    while (!stop.load()) {
      if (::ftruncate(fd, 0) != 0) break;
      if (::pwrite(fd, whole.data(), whole.size(), 0) != static_cast<ssize_t>(whole.size())) break;
    }
  });
  for (int i = 0; i < 200; ++i) ASSERT_EQ(kept.count(Hash(ReadBack(copy.Path()))), 1u) << i;
  stop = true;
  cutter.join();
  ::close(fd);
}

// A journal continues one base only: beside another (a crash between the
// base and the journal being replaced, a copy put back by hand) it is not
// read, and a copy without a journal, as earlier versions wrote them, reads
// as it is.
TEST(RecoveryJournal, AJournalIsReadWithItsOwnBaseOnly) {
  TempDir dir;
  Series series(9);
  RecoveryCopy copy(dir.path(), 64);
  series.Doc().m_history.Watch(&copy.Watcher());
  copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
  const std::string base = testsupport::ReadFile(copy.Path());
  const ProjectReadResult baseRead = output::ReadProjectFile(copy.Path());
  ASSERT_TRUE(baseRead.ok());
  for (int i = 0; i < 30; ++i) series.Step();
  series.Doc().AppendBlankFrame("changed", -1);
  copy.KeepNow(series.Doc().m_animation, -1, "");
  ASSERT_NE(Hash(ReadBack(copy.Path())), Hash(baseRead.animation));

  // The same bytes, written anew: another file.
  const fs::path other = dir.path() / "other.ini";
  testsupport::WriteFile(other, base);
  fs::rename(other, copy.Path());
  EXPECT_EQ(Hash(ReadBack(copy.Path())), Hash(baseRead.animation));

  // No journal at all.
  fs::remove(JournalOf(copy));
  EXPECT_EQ(Hash(ReadBack(copy.Path())), Hash(baseRead.animation));
  series.Doc().m_history.Watch(nullptr);
}

// A journal whose copy is gone is removed at start once its tool is gone; a
// running tool's, or one beside its copy, stays.
TEST(RecoveryJournal, StartRemovesJournalsWithoutACopyOfToolsNoLongerRunning) {
  TempDir dir;
  const fs::path& d = dir.path();
  testsupport::WriteFile(d / "Recovery-70.journal", "left");
  testsupport::WriteFile(d / "Recovery-70.lock", "");
  testsupport::WriteFile(d / "Recovery-71.journal", "left, no lock");
  testsupport::WriteFile(d / "Recovery-72.journal", "beside its copy");
  testsupport::WriteFile(d / "Recovery-72.ini", "[AnimatedProperties]\r\nName=x\r\n");
  testsupport::WriteFile(d / ".Recovery-73.ini.tmp-journal", "half");
  RecoveryCopy running(d, 74);
  testsupport::WriteFile(d / "Recovery-74.journal", "mine, being written");
  RecoveryCopy starting(d, 75);
  EXPECT_FALSE(fs::exists(d / "Recovery-70.journal"));
  EXPECT_FALSE(fs::exists(d / "Recovery-71.journal"));
  EXPECT_TRUE(fs::exists(d / "Recovery-72.journal"));
  EXPECT_FALSE(fs::exists(d / ".Recovery-73.ini.tmp-journal"));
  EXPECT_TRUE(fs::exists(d / "Recovery-74.journal"));
}

// Adopting an orphan takes its journal along, so the copy reads as what was
// offered until the next change, which then starts a base of its own.
TEST(RecoveryJournal, AnAdoptedCopyKeepsItsJournalUntilTheNextChange) {
  TempDir dir;
  Animation offered;
  {
    Series series(11);
    RecoveryCopy killed(dir.path(), 80);
    series.Doc().m_history.Watch(&killed.Watcher());
    killed.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
    for (int i = 0; i < 50; ++i) series.Step();
    killed.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
    offered = series.Snapshot();
    series.Doc().m_history.Watch(nullptr);
  }
  RecoveryCopy next(dir.path(), 81);
  std::vector<RecoveryOrphan> orphans = next.FindOrphans();
  ASSERT_EQ(orphans.size(), 1u);
  const ProjectReadResult read = RecoveryCopy::Read(orphans[0]);
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(Hash(read.animation), Hash(offered));

  document::AnimationDocument doc;
  doc.m_animation = read.animation;
  doc.m_history.Watch(&next.Watcher());
  doc.m_history.Clear();  // opening starts the history afresh
  ASSERT_TRUE(next.Adopt(std::move(orphans[0]), RecoveryCopy::Snapshot(doc.m_animation, -1, "")));
  EXPECT_FALSE(fs::exists(dir.path() / "Recovery-80.journal"));
  EXPECT_EQ(Hash(ReadBack(next.Path())), Hash(offered));
  next.KeepNow(doc.m_animation, -1, "");  // nothing changed
  EXPECT_EQ(Hash(ReadBack(next.Path())), Hash(offered));
  doc.StoreEditText(0, "after the offer");
  next.KeepNow(doc.m_animation, 0, "after the offer");
  EXPECT_EQ(Hash(ReadBack(next.Path())),
            Hash(RecoveryCopy::Snapshot(doc.m_animation, 0, "after the offer")));
  doc.m_history.Watch(nullptr);
}

// After a save or an open, the project file itself is the base while it is
// the file saved: the first change writes a journal, not the animation. A
// project changed, gone or on another file system since is not trusted: the
// base is written as before. Whichever, the copy reads as the animation.
TEST(RecoveryJournal, TheProjectSavedIsTheBaseWhileItIsTheFileSaved) {
  TempDir dir;
  TempDir projects("zoetrix-projects");
  BigDocument big(2000);
  document::AnimationDocument& doc = big.doc;
  const fs::path project = projects.path() / "saved.ini";
  ASSERT_TRUE(output::WriteNewProjectFile(doc.m_animation, project).ok());
  RecoveryCopy copy(dir.path(), 65);
  doc.m_history.Watch(&copy.Watcher());
  const auto changed = [&](const char* what) {
    SCOPED_TRACE(what);
    doc.StoreEditText(5, what);
    copy.KeepNow(doc.m_animation, 5, std::string(what) + " typed on");
    EXPECT_EQ(copy.TakeError(), "");
    EXPECT_EQ(Hash(ReadBack(copy.Path())),
              Hash(RecoveryCopy::Snapshot(doc.m_animation, 5, std::string(what) + " typed on")));
  };

  copy.MarkSaved(RecoveryCopy::Snapshot(doc.m_animation, -1, ""), project);
  EXPECT_FALSE(copy.Exists());
  changed("linked");
  EXPECT_EQ(InodeOf(copy.Path()), InodeOf(project));
  EXPECT_LT(SizeOf(JournalOf(copy)), 4096u);
  // The project replaced by the next export: the copy keeps the file it took.
  testsupport::WriteFile(projects.path() / "next.ini", "[AnimatedProperties]\r\nName=x\r\n");
  fs::rename(projects.path() / "next.ini", project);
  EXPECT_EQ(Hash(ReadBack(copy.Path())),
            Hash(RecoveryCopy::Snapshot(doc.m_animation, 5, "linked typed on")));

  // Changed after it was saved: not the file saved any more.
  ASSERT_TRUE(output::WriteNewProjectFile(doc.m_animation, project).ok());
  copy.MarkSaved(RecoveryCopy::Snapshot(doc.m_animation, -1, ""), project);
  testsupport::WriteFile(project, "[AnimatedProperties]\r\nName=changed by hand\r\n");
  changed("rewritten");
  EXPECT_NE(InodeOf(copy.Path()), InodeOf(project));

  // Gone.
  ASSERT_TRUE(output::WriteNewProjectFile(doc.m_animation, project).ok());
  copy.MarkSaved(RecoveryCopy::Snapshot(doc.m_animation, -1, ""), project);
  fs::remove(project);
  changed("gone");

  // On another file system, where no link can be made.
  struct stat here {};
  struct stat shm {};
  if (::stat(dir.path().c_str(), &here) == 0 && ::stat("/dev/shm", &shm) == 0 &&
      here.st_dev != shm.st_dev && ::access("/dev/shm", W_OK) == 0) {
    const fs::path elsewhere = fs::path("/dev/shm") / ("zoetrix-" + std::to_string(::getpid()));
    ASSERT_TRUE(output::WriteNewProjectFile(doc.m_animation, elsewhere).ok());
    copy.MarkSaved(RecoveryCopy::Snapshot(doc.m_animation, -1, ""), elsewhere);
    changed("elsewhere");
    fs::remove(elsewhere);
  }
  doc.m_history.Watch(nullptr);
}

// A record whose checksum is right but whose counts are made up (anyone
// who can write the data folder can make one) is not applied: runs whose
// counts wrap round to the insert's count are refused, and nothing throws.
TEST(RecoveryJournal, ARecordWithCountsThatWrapRoundIsRefused) {
  Animation a = document::DefaultAnimation();
  a.m_frames.Append(MakeFrameText("one"));
  const output::JournalBase base{1, 2, 3, 4};
  output::JournalOp insert;
  insert.kind = output::JournalOp::Kind::kInsert;
  insert.first = 1;
  insert.count = 1;
  const std::size_t half = std::size_t{1} << 63;
  insert.runs.push_back(document::TextRun{MakeFrameText("x"), half});
  insert.runs.push_back(document::TextRun{MakeFrameText("y"), half + 1});
  const std::string journal =
      output::JournalHeader(base) + output::JournalRecord(a, {insert}, output::JournalTyping{});
  Animation read = a;
  const output::JournalReplay replay = output::ReplayJournal(journal, base, read);
  EXPECT_TRUE(replay.matched);
  EXPECT_EQ(replay.records, 0u);
  EXPECT_EQ(read.m_frames.Size(), 1u);
}
