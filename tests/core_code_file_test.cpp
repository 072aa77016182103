// Starting the code file of a new animation: names are never taken twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "program/CodeFile.h"
#include "program/ProgramWriter.h"
#include "res/Texts.h"
#include "tests/TestSupport.h"

using document::AnimationDocument;
using document::AnimationPaths;

using output::ClaimShareStamp;
using output::DiscardCodeStub;
using output::IsOwnFile;
using output::MakeProgramPrologue;
using output::NoteOwnFile;
using output::NotReplacedMessage;
using output::ReplaceMode;
using output::ShareFormat;
using output::StartCodeFile;

namespace fs = std::filesystem;
using testsupport::AnimationOf;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const platform::LocalTime kWhen{2024, 2, 29, 23, 59, 59};

struct Tool {
  TempDir dir{"zoetrix-codefile"};
  Tool() {
    for (const char* sub : {"Code", "Project", "Animate"}) fs::create_directory(dir.path() / sub);
  }
  std::string folder() const { return dir.folder(); }
};

}  // namespace

TEST(CodeFileTest, ANameAlreadyTakenGetsTheNextSuffixAndNothingIsOverwritten) {
  Tool tool;
  const document::Animation cat = AnimationOf("cat", 80, 25, "07");
  // An exported project of that second, whose code file is gone.
  WriteFile(tool.dir.path() / "Project" / "2024_2_29_23_59_59.ini", "keep me");
  // A code file of the next name, from another export running at once.
  WriteFile(tool.dir.path() / "Code" / "2024_2_29_23_59_59_2.c", "mine");

  AnimationDocument doc;
  AnimationPaths paths;
  ASSERT_EQ(StartCodeFile(doc, tool.folder(), cat, kWhen, &paths), "");
  EXPECT_EQ(paths.code, tool.folder() + "Code/2024_2_29_23_59_59_3.c");
  EXPECT_EQ(paths.project, tool.folder() + "Project/2024_2_29_23_59_59_3.ini");
  EXPECT_EQ(paths.exe, tool.folder() + "Animate/2024_2_29_23_59_59_3.exe");
  ASSERT_NE(doc.m_export.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(ReadFile(paths.code), MakeProgramPrologue(cat, kWhen));
  EXPECT_EQ(ReadFile(tool.dir.path() / "Project" / "2024_2_29_23_59_59.ini"), "keep me");
  EXPECT_EQ(ReadFile(tool.dir.path() / "Code" / "2024_2_29_23_59_59_2.c"), "mine");

  // Many documents in the same second: every one gets a file of its own.
  std::set<std::string> names{paths.code};
  std::vector<AnimationDocument> others(20);
  for (AnimationDocument& other : others) {
    AnimationPaths p;
    ASSERT_EQ(StartCodeFile(other, tool.folder(), cat, kWhen, &p), "");
    EXPECT_TRUE(names.insert(p.code).second) << p.code;
  }
  for (AnimationDocument& d : others) d.m_export.m_pCodeFile.reset();
  doc.m_export.m_pCodeFile.reset();
}

TEST(CodeFileTest, NoCodeFolderIsReportedAndTheOpenFileStays) {
  Tool tool;
  AnimationDocument doc;
  AnimationPaths first;
  ASSERT_EQ(StartCodeFile(doc, tool.folder(), AnimationOf("a", 80, 25, "07"), kWhen, &first), "");
  std::FILE* open = doc.m_export.m_pCodeFile.get();
  fs::remove_all(tool.dir.path() / "Code");
  AnimationPaths second;
  const std::string problem =
      StartCodeFile(doc, tool.folder(), AnimationOf("b", 80, 25, "07"), kWhen, &second);
  EXPECT_NE(problem.find("无法创建代码文件"), std::string::npos);
  EXPECT_EQ(doc.m_export.m_pCodeFile.get(), open);
}

// A stamp any file of which is there is not taken: the shared formats and a
// dangling link count too, so a later export cannot write over them.
TEST(CodeFileTest, AnyFileOfAStampKeepsTheStampTaken) {
  Tool tool;
  const document::Animation cat = AnimationOf("cat", 80, 25, "07");
  const std::string stamp = "2024_2_29_23_59_59";
  const fs::path animate = tool.dir.path() / "Animate";
  WriteFile(animate / (stamp + ".html"), "a page");
  WriteFile(animate / (stamp + "_2.gif"), "a picture");
  WriteFile(animate / (stamp + "_3.cast"), "a recording");
  WriteFile(animate / (stamp + "_4-windows.exe"), "a program");
  fs::create_symlink(tool.dir.path() / "nowhere", animate / (stamp + "_5.exe"));
  AnimationDocument doc;
  AnimationPaths paths;
  ASSERT_EQ(StartCodeFile(doc, tool.folder(), cat, kWhen, &paths), "");
  EXPECT_EQ(paths.code, tool.folder() + "Code/" + stamp + "_6.c");

  // Claiming for shared formats alone takes the next, by the format's file.
  document::ExportSession shares;
  ASSERT_EQ(ClaimShareStamp(shares, tool.folder(), kWhen, ShareFormat::Gif, &paths), "");
  EXPECT_EQ(paths.exe, tool.folder() + "Animate/" + stamp + "_7.exe");
  EXPECT_EQ(ReadFile(animate / (stamp + "_7.gif")), "");
  EXPECT_TRUE(IsOwnFile(shares, tool.folder() + "Animate/" + stamp + "_7.gif"));
  doc.m_export.m_pCodeFile.reset();
}

// Shared formats alone need no Code/ folder; without Animate/ the message
// names the file that could not be made there.
TEST(CodeFileTest, ClaimingForSharedFormatsNeedsOnlyAnimate) {
  Tool tool;
  fs::remove_all(tool.dir.path() / "Code");
  AnimationDocument doc;
  AnimationPaths paths;
  ASSERT_EQ(ClaimShareStamp(doc.m_export, tool.folder(), kWhen, ShareFormat::Html, &paths), "");
  EXPECT_EQ(paths.code, tool.folder() + "Code/2024_2_29_23_59_59.c");
  fs::remove_all(tool.dir.path() / "Animate");
  const std::string problem =
      ClaimShareStamp(doc.m_export, tool.folder(), kWhen, ShareFormat::Cast, &paths);
  EXPECT_NE(problem.find(tool.folder() + "Animate/2024_2_29_23_59_59.cast"), std::string::npos)
      << problem;
  EXPECT_EQ(problem.find("Code"), std::string::npos) << problem;
}

// A code file holding only its prologue cannot compile: it goes when its
// animation is replaced. One that was exported, or changed by hand, stays.
TEST(CodeFileTest, ReplacingAnAnimationRemovesItsCodeFileOnlyWhileItIsAPrologue) {
  Tool tool;
  AnimationDocument doc;
  AnimationPaths paths;
  const auto start = [&](const char* name) {
    ASSERT_EQ(StartCodeFile(doc, tool.folder(), AnimationOf(name, 80, 25, "07"), kWhen, &paths),
              "");
    doc.m_bCreated = 1;
    doc.m_export.m_strCodePath = paths.code;
    doc.m_export.m_createdAt = kWhen;
    doc.m_animation.m_strAnimName = name;
    doc.m_animation.m_nAnimWide = 80;
    doc.m_animation.m_nAnimHigh = 25;
    doc.m_animation.m_strColor = "07";
  };
  start("a");
  const std::string first = paths.code;
  start("b");
  EXPECT_FALSE(fs::exists(first));
  const std::string second = paths.code;
  std::fputs("/* mine */", doc.m_export.m_pCodeFile.get());  // an edit of the user's
  start("c");
  EXPECT_TRUE(fs::exists(second));
  const std::string third = paths.code;
  DiscardCodeStub(doc.m_export, doc.m_animation);  // the tool ends
  EXPECT_FALSE(fs::exists(third));
  doc.m_export.m_pCodeFile.reset();
  EXPECT_EQ(std::distance(fs::directory_iterator(tool.dir.path() / "Code"), {}), 1);
}

// A file is the session's own only while it is the very file the session
// put there: one put under its name behind the session's back, or one that
// was never the session's, is left alone, and the message says which.
TEST(ExportSessionTest, AFileIsOwnOnlyWhileItIsTheFileTheSessionWrote) {
  TempDir dir("zoetrix-session");
  document::ExportSession session;
  const std::string path = dir.folder() + "a.html";
  WriteFile(path, "ours");
  EXPECT_FALSE(IsOwnFile(session, path));  // there, but never noted
  EXPECT_EQ(ReplaceMode(session, path), platform::Replace::No);
  EXPECT_EQ(NotReplacedMessage(session, path), res::Format(res::kExportTargetExists, {path}));
  NoteOwnFile(session, path);
  EXPECT_TRUE(IsOwnFile(session, path));
  EXPECT_EQ(ReplaceMode(session, path), platform::Replace::Yes);

  // Another file renamed over it, with the very same bytes.
  const std::string other = dir.folder() + "b.html";
  WriteFile(other, "ours");
  fs::rename(other, path);
  EXPECT_FALSE(IsOwnFile(session, path));
  EXPECT_EQ(ReplaceMode(session, path), platform::Replace::No);
  EXPECT_EQ(NotReplacedMessage(session, path), res::Format(res::kExportTargetChanged, {path}));

  // Gone: noting the name again forgets it, and what appears there later is
  // someone else's.
  fs::remove(path);
  EXPECT_FALSE(IsOwnFile(session, path));
  NoteOwnFile(session, path);
  EXPECT_TRUE(session.m_writtenFiles.empty());
  WriteFile(path, "theirs");
  EXPECT_FALSE(IsOwnFile(session, path));
  EXPECT_EQ(NotReplacedMessage(session, path), res::Format(res::kExportTargetExists, {path}));
}
