// A file replaced whole or not at all: what a reader finds at the path is
// the old file or the complete new one, never a part, and nothing of a
// failed write stays beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "tests/TestSupport.h"

using platform::AtomicFileWriter;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicFileWriterTest, PiecesOfEverySizeArriveWholeAndInOrder) {
  TempDir dir;
  const fs::path file = dir.path() / "big.ini";
  WriteFile(file, "old");
  // Small pieces that fill the buffer many times, a piece larger than the
  // buffer, and enough in all to pass the point where writeback starts.
  std::string expected;
  AtomicFileWriter out;
  ASSERT_TRUE(out.Open(file));
  auto write = [&](const std::string& piece) {
    out.Write(piece);
    expected += piece;
  };
  for (int i = 0; i < 200000; ++i) write("line " + std::to_string(i) + "\r\n");
  write(std::string(3u << 20, 'x'));
  for (int i = 0; i < 300000; ++i) write(std::string(1 + i % 29, char('a' + i % 26)));
  EXPECT_EQ(ReadFile(file), "old");  // nothing shows before Commit
  std::string error;
  ASSERT_TRUE(out.Commit(&error)) << error;
  EXPECT_EQ(ReadFile(file), expected);
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"big.ini"});
}

TEST(AtomicFileWriterTest, WithoutCommitTheOldFileStaysAndNothingIsLeft) {
  TempDir dir;
  const fs::path file = dir.path() / "a.ini";
  WriteFile(file, "old");
  {
    AtomicFileWriter out;
    ASSERT_TRUE(out.Open(file));
    out.Write("new");
  }
  EXPECT_EQ(ReadFile(file), "old");
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"a.ini"});

  AtomicFileWriter never;
  std::string error;
  EXPECT_FALSE(never.Commit(&error));
  EXPECT_FALSE(error.empty());
}

TEST(AtomicFileWriterTest, WithoutReplacingWhatAppearedMeanwhileStays) {
  TempDir dir;
  const fs::path file = dir.path() / "new.ini";
  {
    AtomicFileWriter out;
    ASSERT_TRUE(out.Open(file, nullptr, true, platform::Replace::No));
    out.Write("ours");
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(ReadFile(file), "ours");
  }
  AtomicFileWriter out;
  ASSERT_TRUE(out.Open(file, nullptr, true, platform::Replace::No));
  out.Write("second");
  std::string error;
  EXPECT_FALSE(out.Commit(&error));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_NE(error.find("new.ini"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(file), "ours");
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"new.ini"});
}

TEST(AtomicFileWriterTest, ALinkIsWrittenThroughUnlessToldOtherwise) {
  TempDir dir;
  WriteFile(dir.path() / "real.ini", "real");
  ASSERT_EQ(::chmod((dir.path() / "real.ini").c_str(), 0600), 0);
  fs::create_symlink("real.ini", dir.path() / "link.ini");
  {
    AtomicFileWriter out;
    ASSERT_TRUE(out.Open(dir.path() / "link.ini"));
    out.Write("through");
    ASSERT_TRUE(out.Commit());
  }
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "real.ini"), "through");
  struct stat st {};
  ASSERT_EQ(::stat((dir.path() / "real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // the file's mode is kept

  AtomicFileWriter out;
  ASSERT_TRUE(out.Open(dir.path() / "link.ini", nullptr, false));
  out.Write("instead");
  ASSERT_TRUE(out.Commit());
  EXPECT_FALSE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "link.ini"), "instead");
  EXPECT_EQ(ReadFile(dir.path() / "real.ini"), "through");
}

TEST(AtomicFileWriterTest, NoFolderNoFile) {
  TempDir dir;
  AtomicFileWriter out;
  std::string error;
  EXPECT_FALSE(out.Open(dir.path() / "missing" / "a.ini", &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

}  // namespace
