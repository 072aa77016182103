// Where the tool works and where it finds what it ships: beside itself when
// run from a folder of its own, in the user's folder when installed or when
// its folder is read-only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "document/Settings.h"
#include "platform/ProgramFolder.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

int PreviewMode(const std::string& workFolder) {
  return document::Settings::Read(workFolder).PreviewMode();
}

// Sets an environment variable for the test's length (or unsets it).
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvVar() {
    if (m_old) {
      ::setenv(m_name, m_old->c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

// A program folder of the test's own, the per-user folder in a temporary
// $XDG_DATA_HOME, and nothing taken to be writable but what the test says.
class WorkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_dir.path() / "tool");
    fs::create_directories(m_dir.path() / "xdg");
    platform::SetProgramFolderForTesting(Tool());
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetWritableCheckForTesting({});
  }
  // The build's layout: the working folders and include/ beside the tool.
  void LayOutBuildFolder() {
    for (const char* sub : {"Code", "Animate", "Project", "data", "include"})
      fs::create_directory(m_dir.path() / "tool" / sub);
  }
  void ReadOnly(const std::string& folder) {
    platform::SetWritableCheckForTesting([folder](const std::string& f) { return f != folder; });
  }
  std::string Tool() const { return m_dir.folder() + "tool/"; }
  std::string User() const { return m_dir.folder() + "xdg/zoetrix/"; }

  TempDir m_dir{"zoetrix-work"};
  EnvVar m_xdg{"XDG_DATA_HOME", (m_dir.path() / "xdg").c_str()};
};

}  // namespace

TEST_F(WorkFolderTest, ABuildFolderWorksBesideTheToolAsBefore) {
  LayOutBuildFolder();
  EXPECT_EQ(platform::WorkFolder(), Tool());
  EXPECT_EQ(platform::ShareFolder(), Tool());
  EXPECT_FALSE(fs::exists(User()));  // nothing made in the user's folder
}

TEST_F(WorkFolderTest, AReadOnlyToolFolderWorksInTheUsersFolder) {
  LayOutBuildFolder();
  ReadOnly(Tool());
  EXPECT_EQ(platform::WorkFolder(), User());
  for (const char* sub : {"Code", "Animate", "Project", "data"})
    EXPECT_TRUE(fs::is_directory(User() + sub)) << sub;
  // What the tool ships is still read from beside it.
  EXPECT_EQ(platform::ShareFolder(), Tool());
  // Asked again (folders already there), and for the work folder itself.
  EXPECT_EQ(platform::WorkFolder(), User());
  EXPECT_EQ(platform::WorkFolderFor(User()), User());
}

TEST_F(WorkFolderTest, AnInstalledToolReadsFromShareAndNeverWorksInBin) {
  // <prefix>/bin/zoetrix and <prefix>/share/zoetrix/{include,help}; bin/ is
  // writable here, as /usr/bin is for root.
  const fs::path prefix = m_dir.path() / "usr";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share" / "zoetrix" / "include");
  fs::create_directories(prefix / "share" / "zoetrix" / "help");
  platform::SetProgramFolderForTesting((prefix / "bin").string());
  EXPECT_EQ(platform::ShareFolder(), (prefix / "share" / "zoetrix").string() + "/");
  EXPECT_EQ(platform::WorkFolder(), User());
  EXPECT_TRUE(fs::is_directory(User() + "Project"));
  for (const char* sub : {"Code", "Animate", "Project", "data"})
    EXPECT_FALSE(fs::exists(prefix / "bin" / sub)) << sub;
}

TEST_F(WorkFolderTest, TheUsersFolderFollowsXdgDataHomeElseHome) {
  EXPECT_EQ(platform::UserWorkFolder(), User());
  {
    // Only an absolute XDG_DATA_HOME counts.
    EnvVar relative("XDG_DATA_HOME", "relative/data");
    EnvVar home("HOME", (m_dir.path() / "home").c_str());
    EXPECT_EQ(platform::UserWorkFolder(), m_dir.folder() + "home/.local/share/zoetrix/");
    EnvVar empty("XDG_DATA_HOME", "");
    EXPECT_EQ(platform::UserWorkFolder(), m_dir.folder() + "home/.local/share/zoetrix/");
    EnvVar slash("XDG_DATA_HOME", (m_dir.folder() + "d/").c_str());
    EXPECT_EQ(platform::UserWorkFolder(), m_dir.folder() + "d/zoetrix/");
  }
  {
    // Without HOME the account's own home folder is used.
    EnvVar unset("XDG_DATA_HOME", nullptr);
    EnvVar noHome("HOME", nullptr);
    const std::string user = platform::UserWorkFolder();
    EXPECT_EQ(user.front(), '/');
    EXPECT_NE(user.find("/.local/share/zoetrix/"), std::string::npos) << user;
  }
}

// The settings are read in the work folder of the program folder: an
// installed tool must find the ones the settings dialog wrote into the
// user's folder.
TEST_F(WorkFolderTest, ThePreviewSettingIsReadFromTheWorkFolder) {
  LayOutBuildFolder();
  testsupport::WriteFile(Tool() + "data/Settings.ini", "[Frame]\r\nNewFrame=0\r\n");
  EXPECT_EQ(PreviewMode(platform::WorkFolderFor(Tool())), 0);
  ReadOnly(Tool());
  EXPECT_EQ(PreviewMode(platform::WorkFolderFor(Tool())), 1);  // the user's folder has none yet
  testsupport::WriteFile(User() + "data/Settings.ini", "[Frame]\r\nNewFrame=0\r\n");
  EXPECT_EQ(PreviewMode(platform::WorkFolderFor(Tool())), 0);
  EXPECT_EQ(PreviewMode(platform::WorkFolder()), 0);
}

// The real permission check. Root may write anywhere, so there it proves
// nothing: the tests above use the seam instead.
TEST_F(WorkFolderTest, ARealReadOnlyFolderAsANormalUser) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes through permission bits; the seam covers it";
  LayOutBuildFolder();
  ASSERT_EQ(::chmod(Tool().c_str(), 0555), 0);
  const std::string work = platform::WorkFolder();
  ::chmod(Tool().c_str(), 0755);
  EXPECT_EQ(work, User());
  EXPECT_EQ(platform::WorkFolder(), Tool());
}
