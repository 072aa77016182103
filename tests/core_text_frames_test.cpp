// Frames from text files: splitting, encodings, refused characters, and the
// project written from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "document/AnimationFiles.h"
#include "project/ProjectFile.h"
#include "project/TextFrames.h"
#include "share/Share.h"

using document::FrameText;
using document::kDefaultAnimName;
using document::kMaxFrames;

using output::kTextFramesEmpty;
using output::MakeTextAnimation;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::ReadTextFrames;
using output::ReadTextFramesFile;
using output::SplitTextFrames;
using output::TextFrameOptions;
using output::TextFrameReader;
using output::TextFramesResult;
using output::WriteNewProject;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Texts(const TextFramesResult& r) {
  std::vector<std::string> out;
  for (const FrameText& t : r.frames) out.push_back(*t);
  return out;
}

TextFramesResult Split(std::string_view text, std::string separator = "\f", int block = 0,
                       int maxFrames = kMaxFrames) {
  TextFrameOptions o;
  o.separator = std::move(separator);
  o.blockHeight = block;
  o.maxFrames = maxFrames;
  return SplitTextFrames(text, o);
}

}  // namespace

// What `zoetrix --play` writes into a pipe: LF after each line, a form feed
// line between frames; an empty frame is no lines at all.
TEST(TextFrames, FormFeedLinesSeparateFramesHeldWithCrLf) {
  TextFramesResult r = Split("one\n=\n\f\n\f\ntwo\n\n\f\n中\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"one\r\n=", "", "two\r\n", Gbk("中")}));

  // CR LF and a lone CR end lines too; a missing last line end changes nothing.
  r = Split("a\r\nb\rc\r\nd");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb\r\nc\r\nd"}));
  r = Split("a\r\nb\r\n\f\r\nd\r\n");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb", "d"}));

  // A separator of one's own, even an empty line; a trailing one gives a
  // last empty frame (n separators, n + 1 frames).
  r = Split("x\n----\ny\n----\n", "----");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"x", "y", ""}));
  r = Split("a\nb\n\nc\n", "");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a\r\nb", "c"}));
  // Without a separator line the whole text is one frame.
  EXPECT_EQ(Texts(Split("a\n\nb\n")), (std::vector<std::string>{"a\r\n\r\nb"}));
}

TEST(TextFrames, BlocksOfAFixedHeightIgnoreSeparators) {
  TextFramesResult r = Split("1\n2\n--\n4\n5\n", "--", 2);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"1\r\n2", "--\r\n4", "5"}));
  EXPECT_EQ(Texts(Split("1\n\n", "\f", 1)), (std::vector<std::string>{"1", ""}));
}

TEST(TextFrames, Utf8WhenValidOtherwiseGbk) {
  // "中文" in GBK is not valid UTF-8: the bytes are kept as they are.
  const std::string gbk = Gbk("中文\n\f\n字") + "\x95\x5C";
  TextFramesResult r = Split(gbk);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_FALSE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{Gbk("中文"), Gbk("字") + "\x95\x5C"}));

  // UTF-8 with a byte-order mark, which is dropped.
  r = Split("\xEF\xBB\xBF中文\n\f\nb");
  EXPECT_TRUE(r.utf8);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{Gbk("中文"), "b"}));
  // Pure ASCII is both; it reads the same either way.
  EXPECT_TRUE(Split("abc").utf8);
}

TEST(TextFrames, RefusesWhatGbkCannotHoldNamingLineAndColumn) {
  TextFramesResult r = Split("ab\n\f\n中😀x\n");
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.frames.empty());
  EXPECT_NE(r.error.find("第 3 行第 2 列"), std::string::npos) << r.error;
  EXPECT_NE(r.error.find("😀"), std::string::npos) << r.error;

  // Private code points are how stray GBK bytes travel inside the tool: a
  // UTF-8 text cannot smuggle a raw byte in with one.
  r = Split("ok\n\xF4\x8F\xBE\x81\n");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("第 2 行第 1 列"), std::string::npos) << r.error;

  // A text that is neither: the byte is named.
  r = Split(Gbk("中") + "\nab\xFF\n");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("第 2 行第 3 列的字节 0xFF"), std::string::npos) << r.error;
}

TEST(TextFrames, EmptyTextAndTooManyFramesAreRefused) {
  EXPECT_EQ(Split("").error, kTextFramesEmpty);
  EXPECT_EQ(Split("\xEF\xBB\xBF").error, kTextFramesEmpty);
  EXPECT_TRUE(Split("a\n\f", "\f", 0, 2).ok());
  TextFramesResult r = Split("a\n\f\nb\n\f\nc", "\f", 0, 2);
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.frames.empty());
  EXPECT_NE(r.error.find("上限 2 帧"), std::string::npos) << r.error;
  EXPECT_TRUE(Split("a\n\f\nb", "\f", 0, 2).ok());
  EXPECT_FALSE(Split("1\n2\n3\n", "\f", 1, 2).ok());
}

// Every form feed breaks the frame, wherever it stands: a frame never holds one.
TEST(TextFrames, FormFeedInsideALineBreaksTheFrame) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Texts(Split("ab\fcd\nef\n\fgh")), (V{"ab", "cd\r\nef", "gh"}));
  EXPECT_EQ(Texts(Split("a\f\fb")), (V{"a", "", "b"}));
  // The line end right after a form feed belongs to the break.
  EXPECT_EQ(Texts(Split("x\f\r\ny\f\rz\f\n\nw")), (V{"x", "y", "z", "\r\nw"}));
  // Beside a separator of one's own; in blocks it ends a block early, and
  // between whole blocks (as --play writes them) it changes nothing.
  EXPECT_EQ(Texts(Split("a\fb\n--\nc", "--")), (V{"a", "b", "c"}));
  EXPECT_EQ(Texts(Split("1\f2\n3\n4\n\f\n5\n", "\f", 2)), (V{"1", "2\r\n3", "4", "5"}));
  EXPECT_EQ(Texts(Split("a\nb\n\f\nc\nd\n", "\f", 2)), (V{"a\r\nb", "c\r\nd"}));
}

TEST(TextFrames, ControlCharactersAreRefusedWithTheirPlaceAsCodePoints) {
  EXPECT_EQ(Texts(Split("a\tb")), std::vector<std::string>{"a\tb"});  // tab is text
  const struct {
    std::string text;
    const char* where;
    const char* name;
  } cases[] = {
      {"ok\n中a\x01"
       "b",
       "第 2 行第 3 列", "U+0001"},
      {std::string("x\0", 2), "第 1 行第 2 列", "U+0000"},
      {"\x1B[2J", "第 1 行第 1 列", "U+001B"},
      {"ab\x7F", "第 1 行第 3 列", "U+007F"},
      {"ab\fc\x1B", "第 1 行第 5 列", "U+001B"},         // the form feed takes a column
      {Gbk("中") + "\x01", "第 1 行第 2 列", "U+0001"},  // columns in GBK characters
      {"a\n\xC2\x9D"
       "0;title",
       "第 2 行第 1 列", "U+009D"},  // C1 in UTF-8
      {"\xC2\x9B"
       "31m",
       "第 1 行第 1 列", "U+009B"},
  };
  for (const auto& c : cases) {
    const TextFramesResult r = Split(c.text);
    EXPECT_TRUE(r.frames.empty());
    EXPECT_NE(r.error.find(std::string(c.where) + "有控制字符 " + c.name), std::string::npos)
        << r.error;
    for (const char* raw : {"\x01", "\x1B", "\x7F", "\xC2\x9D", "\xC2\x9B"})
      EXPECT_EQ(r.error.find(raw), std::string::npos) << r.error;
  }
}

// Characters that would turn or hide the message around them are named, not shown.
TEST(TextFrames, InvisibleCharactersInRefusalsAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"\xE2\x80\xAE", "U+202E"},
      {"\xE2\x80\x8B", "U+200B"},
      {"\xE2\x81\xA6", "U+2066"},
      {"\xEF\xBB\xBF", "U+FEFF"},
  };
  for (const auto& [character, name] : cases) {
    const TextFramesResult r = Split(std::string("ab") + character + "cd");
    EXPECT_NE(r.error.find(std::string("第 1 行第 3 列的字符“") + name + "”"), std::string::npos)
        << r.error;
    EXPECT_EQ(r.error.find(character), std::string::npos) << r.error;
  }
}

// However the text is cut into pieces, the frames and the refusals are those
// of the whole text.
TEST(TextFrames, PiecesOfAnySizeGiveTheSameFrames) {
  const std::string texts[] = {
      "\xEF\xBB\xBF中文\r\n\f\r\nb\rc\f\fd\n--\ne",
      Gbk("中文\n--\n字") + "\x95\x5C\r\n",
      "ok\n\f\nx\xF0\x9F\x98\x80\n",
      "a\nb\x01",
      "\xEF\xBB",
  };
  TextFrameOptions o;
  o.separator = "--";
  for (const std::string& text : texts) {
    const TextFramesResult whole = SplitTextFrames(text, o);
    for (std::size_t size : {1, 2, 3, 7}) {
      TextFrameReader reader(o);
      for (std::size_t at = 0; at < text.size(); at += size)
        if (!reader.Feed(std::string_view(text).substr(at, size))) break;
      const TextFramesResult pieces = reader.Finish();
      EXPECT_EQ(Texts(pieces), Texts(whole)) << size;
      EXPECT_EQ(pieces.error, whole.error) << size;
      EXPECT_EQ(pieces.utf8, whole.utf8) << size;
    }
  }
  EXPECT_EQ(Texts(SplitTextFrames(texts[0], o)),
            (std::vector<std::string>{Gbk("中文"), "b\r\nc", "", "d", "e"}));
  EXPECT_EQ(Texts(SplitTextFrames(texts[4], o)), std::vector<std::string>{"\xEF\xBB"});

  // UTF-8 or not, decided alike whatever the cut: overlong forms, surrogates
  // and code points past U+10FFFF are not UTF-8.
  const std::pair<std::string, bool> encodings[] = {
      {"a\xF0\x9F\x98\x80\xE4\xB8\xAD\xC3\xA9", true},
      {"\xE0\x80\x80", false},
      {"\xED\xA0\x80", false},
      {"\xF4\x90\x80\x80", false},
      {"\xC0\xAF", false},
      {"\xE4\xB8", false},
  };
  for (const auto& [text, utf8] : encodings) {
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      TextFrameReader reader;
      reader.Feed(std::string_view(text).substr(0, cut));
      reader.Feed(std::string_view(text).substr(cut));
      EXPECT_EQ(reader.Finish().utf8, utf8) << cut;
    }
  }
}

// Endless feeding stops at the first piece past a limit.
TEST(TextFrames, LimitsStopTheTextAsItComes) {
  const auto feedForever = [](const std::string& piece, const TextFrameOptions& o, int* taken) {
    TextFrameReader reader(o);
    for (*taken = 0; *taken < 100000 && reader.Feed(piece);) ++*taken;
    return reader.Finish();
  };
  TextFrameOptions o;
  o.maxLineBytes = 8;
  o.maxFrameBytes = 32;
  o.maxFrames = 3;
  int taken = 0;
  TextFramesResult r = feedForever("abc", o, &taken);
  EXPECT_EQ(taken, 2);
  EXPECT_NE(r.error.find("第 1 行超过了一行的上限 8 B"), std::string::npos) << r.error;
  r = feedForever("abc\n", o, &taken);  // "abc" CR LF per line
  EXPECT_EQ(taken, 6);
  EXPECT_NE(r.error.find("第 1 帧（从第 1 行开始）超过了一帧的上限 32 B"), std::string::npos)
      << r.error;
  r = feedForever("a\f", o, &taken);
  EXPECT_EQ(taken, 3);
  EXPECT_NE(r.error.find("上限 3 帧"), std::string::npos) << r.error;
  EXPECT_TRUE(r.frames.empty());
  TextFrameOptions total;
  total.maxTextBytes = 100;
  r = feedForever("\f", total, &taken);
  EXPECT_EQ(taken, 100);
  EXPECT_NE(r.error.find("超过了上限 100 B"), std::string::npos) << r.error;
  // The limits as the messages name them.
  EXPECT_EQ(output::ByteSize(output::kMaxTextLineBytes), "64 KiB");
  EXPECT_EQ(output::ByteSize(output::kMaxTextFrameBytes), "8 MiB");
  EXPECT_EQ(output::ByteSize(output::kMaxTextBytes), "2 GiB");
}

// A device or a pipe that never ends is refused while it is read.
TEST(TextFrames, EndlessSourcesAreRefusedWhileRead) {
  // A backstop far above the limits met here, so that a fault fails the
  // test instead of filling the machine.
  TextFrameOptions o;
  o.maxTextBytes = std::uint64_t{256} << 20;
  EXPECT_NE(ReadTextFramesFile("/dev/zero", o).error.find("第 1 行第 1 列有控制字符 U+0000"),
            std::string::npos);
  const std::pair<const char*, const char*> cases[] = {
      {"tr '\\0' a < /dev/zero", "第 1 行超过了一行的上限 64 KiB"},
      {"yes abc", "第 1 帧（从第 1 行开始）超过了一帧的上限 8 MiB"},
      {"yes \"$(printf 'a\\f')\"", "超过了上限 1000000 帧"},
  };
  for (const auto& [command, message] : cases) {
    FILE* source = ::popen(command, "r");
    ASSERT_NE(source, nullptr);
    const TextFramesResult r = ReadTextFrames(::fileno(source), command, o);
    ::pclose(source);
    EXPECT_NE(r.error.find(message), std::string::npos) << command << ": " << r.error;
    EXPECT_TRUE(r.frames.empty());
  }
}

TEST(TextFrames, ReadTextFramesFileSaysWhyItCannot) {
  TempDir dir("zoetrix-textfile");
  WriteFile(dir.path() / "a.txt", "x\n\f\ny");
  const TextFramesResult read = ReadTextFramesFile((dir.path() / "a.txt").string());
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(Texts(read), (std::vector<std::string>{"x", "y"}));
  for (const fs::path& bad : {dir.path() / "missing.txt", dir.path()}) {
    const TextFramesResult r = ReadTextFramesFile(bad.string());
    EXPECT_EQ(r.error.rfind("无法读取文本文件：\n" + bad.string() + "\n（", 0), 0u) << r.error;
  }
  // A name holding controls is shown with them spelled out.
  const TextFramesResult named = ReadTextFramesFile("/nonexistent/\x1B]0;x\x07.txt");
  EXPECT_NE(named.error.find("/nonexistent/U+001B]0;xU+0007.txt"), std::string::npos)
      << named.error;
}

TEST(TextProject, WrittenUnderAFreshStampAndReadBack) {
  TempDir dir("zoetrix-textproject");
  fs::create_directory(dir.path() / "Project");
  const platform::LocalTime now{2024, 2, 3, 4, 5, 6};
  document::Animation properties = document::DefaultAnimation();
  properties.m_strAnimName = Gbk("片头");
  properties.m_nAnimWide = 30;
  properties.m_nAnimHigh = 12;
  properties.m_nRate = 10;
  properties.m_strColor = "1E";
  const TextFramesResult split = Split("a\"b\\c\n\f\n中\r\n");
  std::string path;
  ASSERT_EQ(WriteNewProject(dir.folder(), now, MakeTextAnimation(split.frames, properties), &path),
            "");
  EXPECT_EQ(path, dir.folder() + "Project/2024_2_3_4_5_6.ini");
  const ProjectReadResult read = ReadProjectFile(path);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.animation.m_strAnimName, Gbk("片头"));
  EXPECT_EQ(read.animation.m_strColor, "1E");
  EXPECT_EQ(read.animation.m_nAnimWide, 30);
  EXPECT_EQ(read.animation.m_nAnimHigh, 12);
  EXPECT_EQ(read.animation.m_nRate, 10);
  ASSERT_EQ(read.animation.FrameCount(), 2);
  EXPECT_EQ(read.animation.m_frames.At(0)->Text(), "a\"b\\c");
  EXPECT_EQ(read.animation.m_frames.At(1)->Text(), Gbk("中"));

  // The defaults are a new animation's; a taken stamp (here by a code file
  // of that second) is passed over.
  fs::create_directory(dir.path() / "Code");
  WriteFile(dir.path() / "Code" / "2024_2_3_4_5_6_2.c", "earlier");
  ASSERT_EQ(WriteNewProject(dir.folder(), now, MakeTextAnimation(split.frames), &path), "");
  EXPECT_EQ(path, dir.folder() + "Project/2024_2_3_4_5_6_3.ini");
  const ProjectReadResult defaults = ReadProjectFile(path);
  EXPECT_EQ(defaults.animation.m_strAnimName, kDefaultAnimName);
  EXPECT_EQ(defaults.animation.m_strColor, "07");
  EXPECT_EQ(defaults.animation.m_nAnimWide, 80);
  EXPECT_EQ(defaults.animation.m_nAnimHigh, 25);
  EXPECT_EQ(defaults.animation.m_nRate, 24);
  EXPECT_EQ(ReadFile(dir.path() / "Code" / "2024_2_3_4_5_6_2.c"), "earlier");

  // No Project folder: a message, and nothing written.
  TempDir empty("zoetrix-textproject-none");
  const std::string problem =
      WriteNewProject(empty.folder(), now, MakeTextAnimation(split.frames), &path);
  EXPECT_NE(problem.find("Project"), std::string::npos) << problem;
  EXPECT_TRUE(fs::is_empty(empty.path()));
}

TEST(TextProject, EveryFileOfAStampTakesItEvenADanglingLink) {
  // A stamp is taken for an import just as for a new animation: by any of
  // its files, shared formats included, and by a link that points nowhere.
  TempDir dir("zoetrix-textproject-taken");
  for (const char* sub : {"Project", "Code", "Animate"}) fs::create_directory(dir.path() / sub);
  const platform::LocalTime now{2024, 2, 3, 4, 5, 6};
  const std::string stamp = "2024_2_3_4_5_6";
  auto exe = [&](const std::string& name) {
    return document::MakeAnimationPaths(dir.folder(), name).exe;
  };
  WriteFile(output::SharePathFor(exe(stamp), output::ShareFormat::Html), "page");
  WriteFile(output::SharePathFor(exe(stamp + "_2"), output::ShareFormat::Gif), "gif");
  WriteFile(output::SharePathFor(exe(stamp + "_3"), output::ShareFormat::Cast), "cast");
  WriteFile(output::SharePathFor(exe(stamp + "_4"), output::ShareFormat::Windows), "exe");
  fs::create_symlink(dir.path() / "nowhere.c",
                     document::MakeAnimationPaths(dir.folder(), stamp + "_5").code);
  const TextFramesResult split = Split("a\n");
  std::string path;
  ASSERT_EQ(WriteNewProject(dir.folder(), now, MakeTextAnimation(split.frames), &path), "");
  EXPECT_EQ(path, dir.folder() + "Project/" + stamp + "_6.ini");
  EXPECT_TRUE(ReadProjectFile(path).ok());
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere.c"));
}
