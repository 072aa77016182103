#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "tests/TestSupport.h"

using platform::ProfileFile;
using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

std::string Join(const std::vector<std::string>& lines, std::string_view eol) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    out += eol;
  }
  return out;
}

// Mixed line ends: odd lines CR LF, even lines LF.
std::string JoinMixed(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += lines[i] + (i % 2 ? "\r\n" : "\n");
  return out;
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string>& SampleLines() {
  static const std::vector<std::string> lines = {
      "; settings written by hand",
      "orphan=before any section",
      "[General]",
      "Name=Zoetrix",
      "  Spaced Key \t=  \tpadded value \t",
      "Dq=\"quoted value\"",
      "Sq='single'",
      "OnlyOne=\"",
      "Left=\"left only",
      "Right=right only\"",
      "Mixed=\"mixed'",
      "Inner=\"a\" and \"b\"",
      "Padded=  ' x '  ",
      "Eq=a=b=c",
      "Empty=",
      "Blank=  \t",
      "QuotedEmpty=\"\"",
      "no equals here",
      ";Commented=1",
      "  ; IndentedComment=1",
      "Dup=first",
      "DUP=second",
      Gbk("丄=upper"),  // 0x81 0x41: trail byte is 'A'
      Gbk("乤=lower"),  // 0x81 0x61: trail byte is 'a'
      "",
      "[general]",
      "Name=duplicate section",
      "OnlyInDuplicate=x",
      "[ Other ]   ; trailing remark",
      "name=other",
      Gbk("[动画乚]"),  // 乚 ends in 0x5D, the byte of ']'
      Gbk("帧=第一帧"),
  };
  return lines;
}

TEST(ProfileReadTest, ClassicLookupRules) {
  struct Case {
    const char* section;
    std::string key;
    std::string expected;  // "<def>" is the caller's default
  } cases[] = {
      {"General", "Name", "Zoetrix"},
      {"GENERAL", "nAmE", "Zoetrix"},
      {"general", "spaced key", "padded value"},
      {"General", "Spaced Key", "padded value"},
      {"General", "Dq", "quoted value"},
      {"General", "Sq", "single"},
      {"General", "OnlyOne", "\""},
      {"General", "Left", "\"left only"},
      {"General", "Right", "right only\""},
      {"General", "Mixed", "\"mixed'"},
      {"General", "Inner", "a\" and \"b"},
      {"General", "Padded", " x "},
      {"General", "Eq", "a=b=c"},
      {"General", "Empty", ""},
      {"General", "Blank", ""},
      {"General", "QuotedEmpty", ""},
      {"General", "no equals here", "<def>"},
      {"General", ";Commented", "<def>"},
      {"General", "Commented", "<def>"},
      {"General", "; IndentedComment", "<def>"},
      {"General", "dup", "first"},
      {"General", Gbk("丄"), "upper"},
      {"General", Gbk("乤"), "lower"},
      {"General", "OnlyInDuplicate", "<def>"},
      {"General", "orphan", "<def>"},
      {"", "orphan", "<def>"},
      {"Other", "NAME", "other"},
      {"Missing", "Name", "<def>"},
  };
  const struct {
    const char* name;
    std::string text;
  } files[] = {
      {"LF", Join(SampleLines(), "\n")},
      {"CRLF", Join(SampleLines(), "\r\n")},
      {"mixed", JoinMixed(SampleLines())},
      {"no final line end",
       Join(SampleLines(), "\r\n").substr(0, Join(SampleLines(), "\r\n").size() - 2)},
  };
  for (const auto& file : files) {
    ProfileFile p;
    p.Parse(file.text);
    for (const Case& c : cases) {
      EXPECT_EQ(p.GetString(c.section, c.key, "<def>"), c.expected)
          << file.name << ": [" << c.section << "] " << c.key;
      EXPECT_EQ(p.HasKey(c.section, c.key), c.expected != "<def>") << c.key;
    }
    EXPECT_EQ(p.GetString(Gbk("动画乚"), Gbk("帧"), ""), Gbk("第一帧")) << file.name;
  }
}

TEST(ProfileReadTest, GetInt) {
  struct Case {
    const char* value;  // nullptr: key missing
    int expected;
  } cases[] = {
      {"42", 42},
      {"  42  ", 42},
      {"-17", -17},
      {"12abc", 12},
      {"abc", 0},
      {"-", 0},
      {"+5", 0},
      {"- 5", 0},
      {"007", 7},
      {"'7'", 7},
      {"\"-3\"", -3},
      {"", 99},
      {"\"\"", 99},
      {nullptr, 99},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-99999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    ProfileFile p;
    p.Parse(c.value ? std::string("[S]\nk=") + c.value + "\n" : "[S]\n");
    EXPECT_EQ(p.GetInt("s", "K", 99), c.expected) << (c.value ? c.value : "(missing)");
  }
}

TEST(ProfileReadTest, MissingAndUnreadableFiles) {
  TempDir dir;
  ProfileFile p;
  p.Parse("[S]\nk=stale\n");
  EXPECT_TRUE(p.Load(dir.path() / "absent.ini"));
  EXPECT_EQ(p.GetString("S", "k", "def"), "def");  // nothing left from before
  EXPECT_TRUE(p.Load(dir.path() / "no-folder" / "absent.ini"));
  EXPECT_EQ(p.Serialize(), "");
  EXPECT_FALSE(p.Load(dir.path()));  // a folder is not a readable file

  EXPECT_EQ(platform::GetPrivateProfileInt("S", "k", -4, dir.path() / "absent.ini"), -4);
  EXPECT_EQ(platform::GetPrivateProfileString("S", "k", "d", dir.path() / "absent.ini"), "d");
}

TEST(ProfileWriteTest, ReplacingAValueKeepsEveryOtherLine) {
  const std::string original = Join(SampleLines(), "\n");
  std::vector<std::string> expected = SampleLines();

  ProfileFile p;
  p.Parse(original);
  p.SetString("general", "SPACED KEY", "new value");
  expected[4] = "Spaced Key=new value";
  p.SetString("GENERAL", "dup", "changed");  // the first of the duplicates
  expected[20] = "Dup=changed";
  p.SetString(Gbk("动画乚"), Gbk("帧"), Gbk("新"));
  expected[31] = Gbk("帧=新");
  EXPECT_EQ(p.Serialize(), Join(expected, "\r\n"));
  EXPECT_EQ(p.GetString("General", "Dup", ""), "changed");
}

TEST(ProfileWriteTest, NewKeysAndSections) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::string after;
  } cases[] = {
      {"after the last key, before blank lines", "[A]\nx=1\ny=2\n\n\n[B]\nz=3\n", "A", "new",
       "[A]\r\nx=1\r\ny=2\r\nnew=v\r\n\r\n\r\n[B]\r\nz=3\r\n"},
      {"comments after the last key stay after it", "[A]\nx=1\n; about B\n\n[B]\n", "a", "new",
       "[A]\r\nx=1\r\nnew=v\r\n; about B\r\n\r\n[B]\r\n"},
      {"keyless lines and comments between keys stay put", "[A]\nx=1\njust text\n;c\ny=2\n", "A",
       "new", "[A]\r\nx=1\r\njust text\r\n;c\r\ny=2\r\nnew=v\r\n"},
      {"section without keys: after its last non-blank line", "[A]\n; nothing yet\n\n[B]\n", "A",
       "new", "[A]\r\n; nothing yet\r\nnew=v\r\n\r\n[B]\r\n"},
      {"empty section", "[A]\n\n[B]\n", "A", "new", "[A]\r\nnew=v\r\n\r\n[B]\r\n"},
      {"duplicate section: the first one gets the key", "[A]\nx=1\n[a]\ny=2\n", "A", "y",
       "[A]\r\nx=1\r\ny=v\r\n[a]\r\ny=2\r\n"},
      {"new section at the end", "[A]\nx=1\n\n", "New Part", "k",
       "[A]\r\nx=1\r\n\r\n[New Part]\r\nk=v\r\n"},
      {"keys before any section are kept but never found", "k=old\n", "S", "k",
       "k=old\r\n[S]\r\nk=v\r\n"},
      {"empty file", "", "S", "k", "[S]\r\nk=v\r\n"},
      {"no final line end", "[A]\r\nx=1", "A", "x", "[A]\r\nx=v\r\n"},
  };
  for (const Case& c : cases) {
    ProfileFile p;
    p.Parse(c.before);
    p.SetString(c.section, c.key, "v");
    EXPECT_EQ(p.Serialize(), c.after) << c.name;
    EXPECT_EQ(p.GetString(c.section, c.key, ""), "v") << c.name;
  }
}

TEST(ProfileWriteTest, ValuesAreStoredAsGivenAndReadTheClassicWay) {
  ProfileFile p;
  p.SetString("S", "quoted", "\"x\"");
  p.SetString("S", "padded", "  y  ");
  p.SetString("S", "gbk", Gbk("乗\\嘰"));
  p.SetString("S", "quoted", "\"z\"");  // replaces, does not add a second line
  EXPECT_EQ(p.Serialize(), "[S]\r\nquoted=\"z\"\r\npadded=  y  \r\ngbk=" + Gbk("乗\\嘰") + "\r\n");
  EXPECT_EQ(p.GetString("s", "QUOTED", ""), "z");
  EXPECT_EQ(p.GetString("s", "padded", ""), "y");
  EXPECT_EQ(p.GetString("s", "gbk", ""), Gbk("乗\\嘰"));
}

std::string KeyName(std::size_t k) {
  std::string name("k");
  name += std::to_string(k);
  return name;
}

TEST(ProfileWriteTest, ManyRewritesOfTheSameKeys) {
  // Rewritten lines leave garbage behind that is compacted away now and
  // then; every line must come through that intact and in place.
  ProfileFile p;
  p.Parse("; top\n[A]\nk0=loaded\n; end of A\n");
  const char* names[] = {"A", "B", "C"};
  std::vector<std::vector<std::string>> values(3, std::vector<std::string>(40));
  std::vector<std::vector<std::size_t>> keyOrder(3);  // order of first writes
  std::vector<std::size_t> sectionOrder = {0};
  keyOrder[0].push_back(0);
  values[0][0] = "loaded";
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const std::size_t s = rng() % 3;
    const std::size_t k = rng() % 40;
    std::string v(rng() % 120, char('a' + rng() % 26));
    if (std::find(sectionOrder.begin(), sectionOrder.end(), s) == sectionOrder.end())
      sectionOrder.push_back(s);
    if (std::find(keyOrder[s].begin(), keyOrder[s].end(), k) == keyOrder[s].end())
      keyOrder[s].push_back(k);
    p.SetString(names[s], KeyName(k), v);
    values[s][k] = std::move(v);
  }
  std::string expected = "; top\r\n";
  for (std::size_t s : sectionOrder) {
    expected += std::string("[") + names[s] + "]\r\n";
    for (std::size_t k : keyOrder[s]) expected += KeyName(k) + "=" + values[s][k] + "\r\n";
    if (s == 0) expected += "; end of A\r\n";
  }
  EXPECT_EQ(p.Serialize(), expected);
  for (std::size_t s = 0; s < 3; ++s)
    for (std::size_t k : keyOrder[s])
      ASSERT_EQ(p.GetString(names[s], "K" + KeyName(k).substr(1), "<none>"), values[s][k]);
}

TEST(ProfileWriteTest, SaveAndReloadManyKeys) {
  TempDir dir;
  const fs::path file = dir.path() / "project.ini";
  {
    ProfileFile p;
    for (int i = 0; i < 10000; ++i)
      p.SetString("Frames", "Frame" + std::to_string(i), Gbk("第") + std::to_string(i * 7));
    std::string error;
    ASSERT_TRUE(p.Save(file, &error)) << error;
    EXPECT_EQ(ReadFile(file), p.Serialize());
  }
  ProfileFile q;
  ASSERT_TRUE(q.Load(file));
  for (int i = 0; i < 10000; ++i)
    ASSERT_EQ(q.GetString("frames", "frame" + std::to_string(i), ""),
              Gbk("第") + std::to_string(i * 7));
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"project.ini"});  // no temp file left
}

TEST(ProfileWriteTest, SaveRewritesLineEndsAndKeepsTheFileMode) {
  TempDir dir;
  const fs::path file = dir.path() / "settings.ini";
  WriteFile(file, "; c\n[S]\nk=1\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ProfileFile p;
  ASSERT_TRUE(p.Load(file));
  p.SetString("S", "k", "2");
  ASSERT_TRUE(p.Save(file));
  EXPECT_EQ(ReadFile(file), "; c\r\n[S]\r\nk=2\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ProfileWriteTest, SaveThroughASymbolicLinkKeepsTheLink) {
  TempDir dir;
  WriteFile(dir.path() / "real.ini", "[S]\nk=1\n");
  fs::create_symlink("real.ini", dir.path() / "link.ini");
  ASSERT_TRUE(platform::WritePrivateProfileString("S", "k", "2", dir.path() / "link.ini"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(dir.path() / "real.ini"), "[S]\r\nk=2\r\n");
}

TEST(ProfileWriteTest, FailedSaveLeavesTheOldFileAlone) {
  ProfileFile p;
  p.SetString("S", "k", "new");

  {  // missing folder
    TempDir dir;
    std::string error;
    EXPECT_FALSE(p.Save(dir.path() / "missing" / "a.ini", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(FilesIn(dir.path()).empty());
  }
  {  // the name is taken by a folder: rename fails even for root
    TempDir dir;
    fs::create_directories(dir.path() / "a.ini" / "inside");
    std::string error;
    EXPECT_FALSE(p.Save(dir.path() / "a.ini", &error));
    EXPECT_NE(error.find("a.ini"), std::string::npos) << error;
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"a.ini"});
    EXPECT_TRUE(fs::is_directory(dir.path() / "a.ini" / "inside"));
  }
  if (::geteuid() != 0) {  // read-only folder; root would write anyway
    TempDir dir;
    WriteFile(dir.path() / "a.ini", "[S]\nk=old\n");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(p.Save(dir.path() / "a.ini", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(platform::WritePrivateProfileString("S", "k", "x", dir.path() / "a.ini"));
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(dir.path() / "a.ini"), "[S]\nk=old\n");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"a.ini"});
  }
}

TEST(ProfileWriteTest, OneKeyConveniences) {
  TempDir dir;
  const fs::path file = dir.path() / "one.ini";
  ASSERT_TRUE(platform::WritePrivateProfileString("Main", "Width", "80", file));
  ASSERT_TRUE(platform::WritePrivateProfileString("main", "height", "'25'", file));
  ASSERT_TRUE(platform::WritePrivateProfileString("MAIN", "WIDTH", "120", file));
  EXPECT_EQ(ReadFile(file), "[Main]\r\nWidth=120\r\nheight='25'\r\n");
  EXPECT_EQ(platform::GetPrivateProfileInt("Main", "Width", 0, file), 120);
  EXPECT_EQ(platform::GetPrivateProfileInt("Main", "Height", 0, file), 25);
  EXPECT_EQ(platform::GetPrivateProfileString("Main", "Depth", "none", file), "none");
  EXPECT_FALSE(platform::WritePrivateProfileString("Main", "x", "1", dir.path() / "no" / "f.ini"));
}

}  // namespace

TEST(ProfileReadTest, APipeOrADeviceIsNoProfileAndNeverBlocks) {
  testsupport::TempDir dir;
  const auto fifo = dir.path() / "Settings.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  platform::ProfileFile p;
  EXPECT_FALSE(p.Load(fifo));  // returns at once instead of waiting for a writer
  EXPECT_EQ(platform::GetPrivateProfileInt("Frame", "NewFrame", 1, fifo), 1);
  EXPECT_FALSE(p.Load("/dev/zero"));
}
