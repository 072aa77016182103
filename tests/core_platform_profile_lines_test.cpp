// A profile file line by line: each line reads as the whole-file profile
// reads it, and the lines of a file come out whole whatever the buffer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileFile.h"
#include "platform/ProfileLines.h"
#include "tests/TestSupport.h"

using platform::ClassifyProfileLine;
using platform::ProfileLine;
using testsupport::Gbk;

namespace {

TEST(ProfileLinesTest, EachLineReadsAsTheRulesSay) {
  struct Case {
    std::string line;
    ProfileLine::Kind kind;
    bool blank;
    std::string name, value;
  } cases[] = {
      {"[Frame]", ProfileLine::kSection, false, "Frame", ""},
      {"  [ Frame Part ]  ; remark", ProfileLine::kSection, false, "Frame Part", ""},
      {"[unclosed", ProfileLine::kSection, false, "unclosed", ""},
      {"[a]b]", ProfileLine::kSection, false, "a]b", ""},
      {"[]", ProfileLine::kSection, false, "", ""},
      {Gbk("[动画乚]"), ProfileLine::kSection, false, Gbk("动画乚"), ""},  // 乚 ends in ']'
      {"Key=value", ProfileLine::kKey, false, "Key", "value"},
      {" \tSpaced Key \t=  \t padded value \t", ProfileLine::kKey, false, "Spaced Key",
       "padded value"},
      {"Dq=\"quoted\"", ProfileLine::kKey, false, "Dq", "quoted"},
      {"Sq=  ' kept blanks '  ", ProfileLine::kKey, false, "Sq", " kept blanks "},
      {"Mixed=\"half'", ProfileLine::kKey, false, "Mixed", "\"half'"},
      {"Lone=\"", ProfileLine::kKey, false, "Lone", "\""},
      {"Inner=\"a\" and \"b\"", ProfileLine::kKey, false, "Inner", "a\" and \"b"},
      {"Eq=a=b=c", ProfileLine::kKey, false, "Eq", "a=b=c"},
      {"Empty=", ProfileLine::kKey, false, "Empty", ""},
      {"=nameless", ProfileLine::kKey, false, "", "nameless"},
      {Gbk("帧=第一帧"), ProfileLine::kKey, false, Gbk("帧"), Gbk("第一帧")},
      {";Commented=1", ProfileLine::kOther, false, "", ""},
      {"  ; Indented=1", ProfileLine::kOther, false, "", ""},
      {"no equals here", ProfileLine::kOther, false, "", ""},
      {"", ProfileLine::kOther, true, "", ""},
      {" \t ", ProfileLine::kOther, true, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const ProfileLine l = ClassifyProfileLine(c.line);
    EXPECT_EQ(l.kind, c.kind);
    EXPECT_EQ(l.blank, c.blank);
    EXPECT_EQ(l.name, c.name);
    EXPECT_EQ(l.value, c.value);
    if (c.kind != ProfileLine::kKey) {
      EXPECT_EQ(l.equals, std::string_view::npos);
      continue;
    }
    // The first '=' of the line; name and value read back from it.
    ASSERT_LT(l.equals, c.line.size());
    EXPECT_EQ(c.line.find('='), l.equals);
    EXPECT_EQ(platform::ProfileKeyName(c.line, l.equals), c.name);
    EXPECT_EQ(platform::ProfileKeyValue(c.line, l.equals), c.value);
  }
}

TEST(ProfileLinesTest, NamesMatchWithoutAsciiCaseAndFoldAndHashAlike) {
  struct Case {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"Frame", "fRAME", true},
      {"Frame12", "FRAME12", true},
      {"Frame1", "Frame2", false},
      {"ab", "abc", false},
      {"", "", true},
      {Gbk("画面"), Gbk("画面"), true},
      {Gbk("丄"), Gbk("乤"), false},  // trail bytes 'A' and 'a': two characters, not one
      {Gbk("丄x"), Gbk("丄X"), true},
      {"a_b", "A_B", true},
      {"[", "{", false},  // only letters fold
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(platform::ProfileNamesEqual(c.a, c.b), c.equal);
    EXPECT_EQ(platform::ProfileNamesEqual(c.b, c.a), c.equal);
    EXPECT_EQ(platform::FoldProfileName(c.a) == platform::FoldProfileName(c.b), c.equal);
    if (c.equal) {
      EXPECT_EQ(platform::ProfileNameHash(c.a), platform::ProfileNameHash(c.b));
    }
  }
}

// Random lines of the kinds hand-edited files hold: the first section and
// key of a name found by reading line by line must be what the whole-file
// profile finds.
std::string RandomLine(std::mt19937& rng) {
  static const char* const names[] = {"S", "s", "T", "k", "K", " k ", "Key", "kEY"};
  static const char* const values[] = {"1", " 2 ", "'3'", "\"4\"", "", "a=b", "\"x'"};
  auto pick = [&](const auto& list) {
    return std::string(list[rng() % (sizeof list / sizeof list[0])]);
  };
  switch (rng() % 6) {
    case 0:
      return "[" + pick(names) + "]";
    case 1:
      return ";" + pick(names) + "=" + pick(values);
    case 2:
      return std::string(rng() % 3, ' ');
    case 3:
      return "text without equals";
    default:
      return pick(names) + "=" + pick(values);
  }
}

std::string StreamLookup(std::string_view text, std::string_view section, std::string_view key) {
  bool firstSection = false;
  bool seenSection = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const ProfileLine l = ClassifyProfileLine(text.substr(pos, end - pos));
    pos = end + 1;
    if (l.kind == ProfileLine::kSection) {
      firstSection = !seenSection && platform::ProfileNamesEqual(l.name, section);
      seenSection = seenSection || firstSection;
    } else if (l.kind == ProfileLine::kKey && firstSection &&
               platform::ProfileNamesEqual(l.name, key)) {
      return std::string(l.value);
    }
  }
  return "<none>";
}

TEST(ProfileLinesTest, TheWholeFileProfileReadsEveryLineTheSameWay) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = rng() % 12; i > 0; --i) text += RandomLine(rng) + "\n";
    platform::ProfileFile p;
    p.Parse(text);
    for (const char* section : {"S", "T"})
      for (const char* key : {"k", "Key"})
        ASSERT_EQ(p.GetString(section, key, "<none>"), StreamLookup(text, section, key))
            << "[" << section << "] " << key << " in:\n"
            << text;
  }
}

TEST(ProfileLinesTest, LineReaderSplitsAsLoadingDoes) {
  testsupport::TempDir dir;
  const auto file = dir.path() / "lines.txt";
  auto lines = [&](const std::string& text, std::size_t buffer) {
    testsupport::WriteFile(file, text);
    const int fd = ::open(file.c_str(), O_RDONLY);
    platform::LineReader reader(fd, buffer);
    std::vector<std::string> out;
    std::string_view line;
    while (reader.Next(&line)) out.emplace_back(line);
    EXPECT_FALSE(reader.Failed());
    ::close(fd);
    return out;
  };
  using V = std::vector<std::string>;
  for (std::size_t buffer : {std::size_t{16}, std::size_t{17}, std::size_t{4096}}) {
    EXPECT_EQ(lines("", buffer), V{});
    EXPECT_EQ(lines("\n\n", buffer), (V{"", ""}));
    // CR LF and LF end lines; a lone CR stays; a CR at the very end goes.
    EXPECT_EQ(lines("a\r\nb\nc\rd\r", buffer), (V{"a", "b", "c\rd"}));
    const std::string longLine(1000, 'x');
    EXPECT_EQ(lines("1\n" + longLine + "\r\n2", buffer), (V{"1", longLine, "2"}));
  }
}

}  // namespace
