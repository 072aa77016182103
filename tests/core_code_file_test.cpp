// Starting the code file of a new animation: names are never taken twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "output/CodeFile.h"
#include "tests/TestSupport.h"

using document::AnimationDocument;
using document::AnimationPaths;

using output::MakeProgramPrologue;
using output::ProgramHeader;
using output::StartCodeFile;

namespace fs = std::filesystem;
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
  const ProgramHeader header{kWhen, "cat", 80, 25, "07"};
  // An exported project of that second, whose code file is gone.
  WriteFile(tool.dir.path() / "Project" / "2024_2_29_23_59_59.ini", "keep me");
  // A code file of the next name, from another export running at once.
  WriteFile(tool.dir.path() / "Code" / "2024_2_29_23_59_59_2.c", "mine");

  AnimationDocument doc;
  AnimationPaths paths;
  ASSERT_EQ(StartCodeFile(doc, tool.folder(), header, &paths), "");
  EXPECT_EQ(paths.code, tool.folder() + "Code/2024_2_29_23_59_59_3.c");
  EXPECT_EQ(paths.project, tool.folder() + "Project/2024_2_29_23_59_59_3.ini");
  EXPECT_EQ(paths.exe, tool.folder() + "Animate/2024_2_29_23_59_59_3.exe");
  ASSERT_NE(doc.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(ReadFile(paths.code), MakeProgramPrologue(header));
  EXPECT_EQ(ReadFile(tool.dir.path() / "Project" / "2024_2_29_23_59_59.ini"), "keep me");
  EXPECT_EQ(ReadFile(tool.dir.path() / "Code" / "2024_2_29_23_59_59_2.c"), "mine");

  // Many documents in the same second: every one gets a file of its own.
  std::set<std::string> names{paths.code};
  std::vector<AnimationDocument> others(20);
  for (AnimationDocument& other : others) {
    AnimationPaths p;
    ASSERT_EQ(StartCodeFile(other, tool.folder(), header, &p), "");
    EXPECT_TRUE(names.insert(p.code).second) << p.code;
  }
  for (AnimationDocument& d : others) d.m_pCodeFile.reset();
  doc.m_pCodeFile.reset();
}

TEST(CodeFileTest, NoCodeFolderIsReportedAndTheOpenFileStays) {
  Tool tool;
  AnimationDocument doc;
  AnimationPaths first;
  ASSERT_EQ(StartCodeFile(doc, tool.folder(), ProgramHeader{kWhen, "a", 80, 25, "07"}, &first), "");
  std::FILE* open = doc.m_pCodeFile.get();
  fs::remove_all(tool.dir.path() / "Code");
  AnimationPaths second;
  const std::string problem =
      StartCodeFile(doc, tool.folder(), ProgramHeader{kWhen, "b", 80, 25, "07"}, &second);
  EXPECT_NE(problem.find("无法创建代码文件"), std::string::npos);
  EXPECT_EQ(doc.m_pCodeFile.get(), open);
}
