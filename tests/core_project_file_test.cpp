#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "project/ProjectFile.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::AnimationDocument;
using document::FrameList;
using document::FrameNode;
using document::FrameText;
using document::MakeAnimationPaths;
using document::MakeCreationStamp;
using document::MakeFrameText;

using output::AppendProject;
using output::EscapeFrameText;
using output::kMaxProjectFrames;
using output::kProjectReadError;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::ReplaceWithProject;
using output::UnescapeFrameText;
using output::WriteNewProjectFile;
using output::WriteProjectFile;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const auto kGoldenDir = std::filesystem::path(ZOETRIX_TEST_DATA) / "project";
const std::string kErr = kProjectReadError;

struct Values {
  std::string name, color;
  int wide, high, rate;
  std::vector<std::string> frames;
};

Animation Make(const Values& a) {
  Animation animation = testsupport::AnimationOf(a.name, a.wide, a.high, a.color, a.rate);
  for (const auto& f : a.frames) animation.m_frames.Append(MakeFrameText(f));
  return animation;
}

// The values become the document's animation; the frames follow its frames.
void Load(AnimationDocument& doc, const Values& a) {
  Animation& animation = doc.m_animation;
  animation.m_strAnimName = a.name, animation.m_strColor = a.color;
  animation.m_nAnimWide = a.wide, animation.m_nAnimHigh = a.high, animation.m_nRate = a.rate;
  for (const auto& f : a.frames) animation.m_frames.Append(MakeFrameText(f));
  doc.m_bCreated = 1;
}

std::vector<std::string> Texts(const FrameList& frames) {
  std::vector<std::string> out;
  for (const FrameNode& f : frames) out.push_back(*f.pText);
  return out;
}

// Writes a, reads it back: nothing may be lost on the way.
ProjectReadResult RoundTrip(const Values& a, const std::filesystem::path& file) {
  EXPECT_TRUE(WriteProjectFile(Make(a), file).ok());
  ProjectReadResult r = ReadProjectFile(file);
  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.animation.m_strAnimName, a.name);
  EXPECT_EQ(r.animation.m_strColor, a.color);
  EXPECT_EQ(Texts(r.animation.m_frames), a.frames);
  EXPECT_EQ(r.animation.FrameCount(), static_cast<int>(a.frames.size()));
  EXPECT_EQ(
      std::vector<int>({r.animation.m_nAnimWide, r.animation.m_nAnimHigh, r.animation.m_nRate}),
      std::vector<int>({a.wide, a.high, a.rate}));
  return r;
}

ProjectReadResult ReadText(const std::string& text) {
  TempDir dir;
  WriteFile(dir.path() / "p.ini", text);
  return ReadProjectFile(dir.path() / "p.ini");
}

TEST(ProjectFileTest, GoldenFilesAndTheirRoundTrips) {
  struct Case {
    const char* name;
    Values animation;
  } cases[] = {
      // clang-format off
      {"three_frames",
       {Gbk("小猫"), "07", 80, 25, 24,
        {Gbk("say \"hi\", it's C:\\dir\\new\r\n乗淺 ok"), Gbk("  两端空白  \r\n\t末行\t "), ""}}},
      {"quoted_values", {"\"A\"", "9F", 40, 12, 100, {"'x'", "\"", "a\\nb\\"}}},
      {"over_existing", {"new", "1E", 11, 11, 1, {"1", "2", "3"}}},
      // clang-format on
  };
  for (const Case& c : cases) {
    TempDir dir;
    const auto file = dir.path() / "p.ini";
    const auto input = kGoldenDir / c.name / "input.ini";
    if (std::filesystem::exists(input)) std::filesystem::copy_file(input, file);
    RoundTrip(c.animation, file);
    const auto golden = kGoldenDir / c.name / "expected.ini";
    if (const char* u = std::getenv("ZOETRIX_UPDATE_GOLDEN"); u && std::string(u) == "1") {
      std::filesystem::create_directories(golden.parent_path());
      WriteFile(golden, ReadFile(file));
    }
    EXPECT_TRUE(ReadFile(golden) == ReadFile(file)) << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.name;
  }
}

TEST(ProjectFileTest, RoundTripKeepsEveryByte) {
  TempDir dir;
  const std::string longFrame(30000, 'x');  // no length limit
  // clang-format off
  RoundTrip({Gbk(" 名字\\ 100% "), "07", 80, 25, 24,
             {"", "", "%d%%s\r\n100%", " \r\n\r\n ", Gbk("乗\\n淺\"'\\'\r\n嘰"), longFrame + "\\n"}},
            dir.path() / "p.ini");
  // clang-format on
  // A lone CR or LF cannot stay inside the one line a value has: it is kept
  // as a line break in frames and as a blank in the name.
  AnimationDocument doc;
  Load(doc, {"x\ny", "07", 80, 25, 24, {"a\nb\rc"}});
  ASSERT_TRUE(WriteProjectFile(doc.m_animation, dir.path() / "p.ini").ok());
  const Animation p = ReadProjectFile(dir.path() / "p.ini").animation;
  EXPECT_EQ(p.m_strAnimName + "|" + p.m_frames.At(0)->Text(), "x y|a\r\nb\r\nc");
  // Copies sharing one text, as the bulk commands make them.
  const FrameText a = MakeFrameText("a\\"), b = MakeFrameText(" b");
  for (const FrameText& t : {a, a, b, a}) doc.m_animation.m_frames.Append(t);
  ASSERT_TRUE(WriteProjectFile(doc.m_animation, dir.path() / "p.ini").ok());
  EXPECT_EQ(Texts(ReadProjectFile(dir.path() / "p.ini").animation.m_frames),
            (std::vector<std::string>{"a\r\nb\r\nc", "a\\", "a\\", " b", "a\\"}));
}

// What is read is the whole animation: written again it gives the same
// file, also after it became the window's animation, whose head (what the
// edit area held before the first frame) is never written as a frame.
TEST(ProjectFileTest, AnAnimationReadAndWrittenAgainIsTheSameFile) {
  TempDir dir;
  // clang-format off
  const Values values{Gbk(" \"小猫\" 's "), "z9 ", 33, 17, 5,
                      {Gbk("两端 \r\n"), "", "\\n\"'%", std::string(3000, 'x') + "\r\n\r\n", " "}};
  // clang-format on
  const auto first = dir.path() / "first.ini";
  ASSERT_TRUE(WriteProjectFile(Make(values), first).ok());
  ProjectReadResult read = ReadProjectFile(first);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.missingFrames, 0);
  EXPECT_EQ(read.animation.m_strAnimName, values.name);
  EXPECT_EQ(read.animation.m_strColor, values.color);  // as stored: a colour is never checked
  EXPECT_EQ(Texts(read.animation.m_frames), values.frames);

  const auto second = dir.path() / "second.ini";
  ASSERT_TRUE(WriteNewProjectFile(read.animation, second).ok());
  EXPECT_TRUE(ReadFile(second) == ReadFile(first));

  AnimationDocument doc;
  doc.m_animation.m_frames.Head().pText = MakeFrameText("typed before any frame");
  const platform::LocalTime when{2020, 1, 2, 3, 4, 5};
  ReplaceWithProject(doc, std::move(read.animation),
                     MakeAnimationPaths("/t/", MakeCreationStamp(when)), when);
  const auto third = dir.path() / "third.ini";
  ASSERT_TRUE(WriteProjectFile(doc.m_animation, third).ok());
  EXPECT_TRUE(ReadFile(third) == ReadFile(first));
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "typed before any frame");
}

TEST(ProjectFileTest, UnescapeInvertsEscapeInOnePass) {
  EXPECT_EQ(UnescapeFrameText("a\\nb\\\\n\\\"\\'"), "a\r\nb\\n\"'");
  EXPECT_EQ(UnescapeFrameText("\\x\\"), "\\x\\");  // unknown escapes and a last backslash stay
  EXPECT_EQ(UnescapeFrameText(Gbk("乗\\n淺")), Gbk("乗") + "\r\n" + Gbk("淺"));
  // Random well-formed GBK: ASCII (with every escaped character) and two-byte
  // characters, many ending in 0x5C.
  std::mt19937 rng(7);
  const std::string pieces[] = {"\\", "\r\n",    "\"",      "'",       "n",    "a",
                                " ",  Gbk("乗"), Gbk("淺"), Gbk("猫"), "\x81@"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int n = rng() % 24; n > 0; --n) text += pieces[rng() % std::size(pieces)];
    ASSERT_EQ(UnescapeFrameText(EscapeFrameText(text)), text);
  }
  // A stray lead byte (text from a file that is not clean GBK) comes back
  // as it was, except before an escape, where it would swallow the
  // backslash: there it becomes '?' and the escape survives.
  EXPECT_EQ(UnescapeFrameText(EscapeFrameText("\x81"
                                              "A\xFF")),
            "\x81"
            "A\xFF");
  EXPECT_EQ(UnescapeFrameText(EscapeFrameText("ab\x81\r\ncd")), "ab?\r\ncd");
  EXPECT_EQ(UnescapeFrameText(EscapeFrameText("\x81\"x\xA0'")), "?\"x?'");
  EXPECT_EQ(UnescapeFrameText(EscapeFrameText("\x81\\")), "\x81\\");  // that pair is 乗
}

TEST(ProjectFileTest, HandWrittenFilesReadTheSameWithAnyLineEnds) {
  const std::string crlf = Gbk(
      "[AnimatedProperties]\r\nName = 小猫 \r\nWide=80\r\nHigh=25\r\nColor=07\r\nFrameRate=24\r\n"
      "FrameNum=4\r\n[AnimatePicture]\r\nFrame1=a\\nb\r\nFrame2=say \\\"hi\\\" it\\'s\r\n"
      "Frame3=C:\\\\dir\\\\new\r\nFrame4=乗\\\\n\r\nFrame5=past FrameNum\r\n");
  std::string lf = crlf;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  for (const std::string& text : {crlf, lf}) {
    ProjectReadResult r = ReadText(text);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.animation.m_strAnimName, Gbk("小猫"));
    EXPECT_EQ(
        Texts(r.animation.m_frames),
        (std::vector<std::string>{"a\r\nb", "say \"hi\" it's", "C:\\dir\\new", Gbk("乗\\n")}));
  }
}

TEST(ProjectFileTest, MissingKeysReadAsDefaults) {
  const std::string head =
      "[AnimatedProperties]\r\nFrameRate=5\r\nFrameNum=4\r\n[AnimatePicture]\r\n";
  ProjectReadResult r = ReadText(head + "Frame1=a\r\nFrame2=b\r\n");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(Texts(r.animation.m_frames), (std::vector<std::string>{"a", "b", kErr, kErr}));
  EXPECT_EQ(r.missingFrames, 2);
  EXPECT_EQ(r.animation.m_strAnimName + r.animation.m_strColor, kErr + kErr);
  EXPECT_EQ(r.animation.m_nAnimWide + r.animation.m_nAnimHigh, 0);
  r = ReadText(head + "frame3=c\r\nFrame1=\r\n");  // key names ignore case
  EXPECT_EQ(Texts(r.animation.m_frames), (std::vector<std::string>{"", kErr, "c", kErr}));
  r = ReadText("[AnimatedProperties]\nFrameRate=1\nFrameNum=1000000\n");  // the limit itself
  EXPECT_EQ(r.missingFrames, kMaxProjectFrames);
}

TEST(ProjectFileTest, RefusesWhatIsNoUsableProject) {
  std::mt19937 rng(11);
  std::string garbage(1 << 16, '\0');
  for (char& c : garbage) c = static_cast<char>(rng());
  const std::string props = "[AnimatedProperties]\r\nName=x\r\n";
  const std::pair<std::string, const char*> cases[] = {
      {"", "不是工程文件"},
      {garbage, "不是工程文件"},
      {"[Frame]\r\nNewFrame=1\r\n", "不是工程文件"},
      {props + "FrameNum=1\r\n", "帧频无效"},
      {props + "FrameRate=0\r\n", "帧频无效"},
      {props + "FrameRate=-24\r\n", "帧频无效"},
      {props + "FrameRate=24\r\nFrameNum=-1\r\n", "帧数无效"},
      {props + "FrameRate=24\r\nFrameNum=1000001\r\n", "帧数超出上限（1000000）"},
      {props + "FrameRate=24\r\nFrameNum=99999999999\r\n", "帧数超出上限"},
  };
  for (const auto& [text, why] : cases) {
    ProjectReadResult r = ReadText(text);
    EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    EXPECT_TRUE(r.error.starts_with("打开失败："));
    EXPECT_TRUE(r.animation.m_frames.Empty() && r.animation.m_strAnimName.empty());
  }
  TempDir dir;
  EXPECT_NE(ReadProjectFile(dir.path() / "none.ini").error.find("找不到"), std::string::npos);
  EXPECT_NE(ReadProjectFile(dir.path()).error.find("不是一个普通文件"), std::string::npos);
  // Reading from a device would never end.
  EXPECT_NE(ReadProjectFile("/dev/zero").error.find("不是一个普通文件"), std::string::npos);
}

TEST(ProjectFileTest, ReplacingTakesThePropertiesAndFramesAndKeepsTheHead) {
  AnimationDocument doc;
  Load(doc, {"old", "07", 80, 25, 24, {"1", "2", "3", "4", "5"}});
  doc.m_animation.m_frames.Head().pText = MakeFrameText("typed");
  const Animation p = Make({"new", "9F", 30, 20, 7, {"a", "b", "c"}});
  const platform::LocalTime when{2020, 1, 2, 3, 4, 5};
  ReplaceWithProject(doc, p, MakeAnimationPaths("/t/", MakeCreationStamp(when)), when);
  EXPECT_EQ(doc.FrameCount(), 3);
  EXPECT_EQ(doc.m_animation.m_frames.At(0)->Text() + doc.m_animation.m_frames.At(2)->Text(), "ac");
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "typed");
  EXPECT_EQ(doc.m_animation.m_strAnimName + doc.m_animation.m_strColor, "new9F");
  EXPECT_EQ(std::vector<int>({doc.m_animation.m_nAnimWide, doc.m_animation.m_nAnimHigh,
                              doc.m_animation.m_nRate}),
            std::vector<int>({30, 20, 7}));
  EXPECT_EQ(
      std::vector<std::string>({doc.m_export.m_strCodePath, doc.m_export.m_strProjectPath}),
      std::vector<std::string>({"/t/Code/2020_1_2_3_4_5.c", "/t/Project/2020_1_2_3_4_5.ini"}));
}

TEST(ProjectFileTest, AppendingAddsFramesAfterTheLastOrRefuses) {
  TempDir dir;
  AnimationDocument project;
  Load(project, {"p", "1E", 11, 11, 3, {"a\r\nb", "\"q\"", "c\\d"}});
  ASSERT_TRUE(WriteProjectFile(project.m_animation, dir.path() / "p.ini").ok());
  const Animation p = ReadProjectFile(dir.path() / "p.ini").animation;

  AnimationDocument doc;
  EXPECT_FALSE(AppendProject(doc, p).ok());  // no animation yet
  EXPECT_EQ(doc.FrameCount(), 0);
  Load(doc, {"mine", "07", 80, 25, 24, {"1", "2", "3", "4", "5"}});
  ASSERT_TRUE(AppendProject(doc, p).ok());
  EXPECT_EQ(doc.FrameCount(), 8);
  EXPECT_EQ(doc.m_animation.m_frames.Size(), 8u);
  EXPECT_EQ(doc.m_animation.m_frames.At(5)->Text() + doc.m_animation.m_frames.At(6)->Text() +
                doc.m_animation.m_frames.At(7)->Text(),
            "a\r\nb\"q\"c\\d");
  EXPECT_EQ(doc.m_animation.m_strAnimName + doc.m_animation.m_strColor +
                std::to_string(doc.m_animation.m_nRate),
            "mine0724");

  // 3 more would pass the limit.
  while (doc.FrameCount() < kMaxProjectFrames - 2) doc.m_animation.m_frames.Append();
  EXPECT_NE(AppendProject(doc, p).error.find("超出上限"), std::string::npos);
  EXPECT_EQ(doc.FrameCount(), kMaxProjectFrames - 2);
}

TEST(ProjectFileTest, FailedWritesSayWhyAndLeaveFilesAlone) {
  TempDir dir;
  AnimationDocument doc;
  Load(doc, {"n", "07", 80, 25, 24, {"a"}});
  EXPECT_NE(WriteProjectFile(doc.m_animation, dir.path() / "missing" / "p.ini")
                .error.find("无法保存工程文件"),
            std::string::npos);
  EXPECT_FALSE(
      WriteProjectFile(doc.m_animation, dir.path()).ok());  // a folder: not readable as a file
  EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

TEST(ProjectFileTest, WithoutReplacingWhatIsThereByThenStays) {
  // The export decides before writing whether the file is its own; one that
  // appears in the meantime must survive the write.
  TempDir dir;
  AnimationDocument doc;
  Load(doc, {"n", "07", 80, 25, 24, {"a"}});
  const std::filesystem::path fresh = dir.path() / "fresh.ini";
  EXPECT_TRUE(WriteProjectFile(doc.m_animation, fresh, platform::Replace::No).ok());
  EXPECT_EQ(ReadProjectFile(fresh).animation.m_strAnimName, "n");

  const std::filesystem::path taken = dir.path() / "taken.ini";
  WriteFile(taken, "someone else's\r\n");
  const output::ProjectResult refused =
      WriteProjectFile(doc.m_animation, taken, platform::Replace::No);
  EXPECT_NE(refused.error.find("没有覆盖已有的文件"), std::string::npos) << refused.error;
  EXPECT_EQ(ReadFile(taken), "someone else's\r\n");

  // Nor through a link that points nowhere yet.
  const std::filesystem::path link = dir.path() / "link.ini";
  std::filesystem::create_symlink(dir.path() / "target.ini", link);
  EXPECT_FALSE(WriteProjectFile(doc.m_animation, link, platform::Replace::No).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "target.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  // And no temporary is left beside them.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ++files;
  EXPECT_EQ(files, 3u);
}

// ------------------------------------------------- streaming read and write
//
// Projects are read and written line by line without holding the file. The
// yardstick here is the profile holding the whole file, whose rules are
// those of Windows profile files: both must give the same frames, the same
// verdicts and, over an existing file, the same bytes.

ProjectReadResult ReadThroughProfile(const std::filesystem::path& path) {
  ProjectReadResult r;
  platform::ProfileFile p;
  if (!p.Load(path)) return r.error = "unreadable", r;
  const char* keys[] = {"Name", "Wide", "High", "Color", "FrameRate", "FrameNum"};
  if (std::none_of(std::begin(keys), std::end(keys),
                   [&](const char* k) { return p.HasKey("AnimatedProperties", k); }))
    return r.error = "打开失败：该文件不是工程文件。", r;
  Animation& d = r.animation;
  d.m_strAnimName = p.GetString("AnimatedProperties", "Name", kErr);
  d.m_nAnimWide = p.GetInt("AnimatedProperties", "Wide", 0);
  d.m_nAnimHigh = p.GetInt("AnimatedProperties", "High", 0);
  d.m_strColor = p.GetString("AnimatedProperties", "Color", kErr);
  d.m_nRate = p.GetInt("AnimatedProperties", "FrameRate", 0);
  const int frameNum = p.GetInt("AnimatedProperties", "FrameNum", 0);
  if (d.m_nRate < 1) return r.error = "打开失败：工程文件中的帧频无效。", r;
  if (frameNum < 0) return r.error = "打开失败：工程文件中的帧数无效。", r;
  for (int i = 1; i <= frameNum; ++i) {
    const std::string k = "Frame" + std::to_string(i);
    if (!p.HasKey("AnimatePicture", k)) ++r.missingFrames;
    d.m_frames.Append(MakeFrameText(p.HasKey("AnimatePicture", k)
                                        ? UnescapeFrameText(p.GetString("AnimatePicture", k, ""))
                                        : kErr));
  }
  return r;
}

void ExpectSameRead(const ProjectReadResult& got, const ProjectReadResult& want,
                    const std::string& text) {
  ASSERT_EQ(got.error, want.error) << testing::PrintToString(text);
  if (!want.ok()) return;
  EXPECT_EQ(got.animation.m_strAnimName, want.animation.m_strAnimName)
      << testing::PrintToString(text);
  EXPECT_EQ(got.animation.m_strColor, want.animation.m_strColor) << testing::PrintToString(text);
  EXPECT_EQ(
      std::vector<int>({got.animation.m_nAnimWide, got.animation.m_nAnimHigh, got.animation.m_nRate,
                        got.animation.FrameCount(), got.missingFrames}),
      std::vector<int>({want.animation.m_nAnimWide, want.animation.m_nAnimHigh,
                        want.animation.m_nRate, want.animation.FrameCount(), want.missingFrames}))
      << testing::PrintToString(text);
  EXPECT_EQ(Texts(got.animation.m_frames), Texts(want.animation.m_frames))
      << testing::PrintToString(text);
}

// Profile-like text made of the lines a hand-edited or foreign file holds:
// names in any case and with blanks, duplicates, sections twice, keys out of
// order or past FrameNum, comments, quotes, GBK bytes whose second byte is a
// backslash or '=', every kind of line end (a lone CR joins two lines).
std::string RandomProfileText(std::mt19937& rng) {
  static const std::vector<std::string> lines = {"[AnimatedProperties]",
                                                 "[animatedproperties]",
                                                 "  [ AnimatePicture ]  ",
                                                 "[AnimatePicture]",
                                                 "[ANIMATEPICTURE",
                                                 "[Other]",
                                                 "Name=old",
                                                 " name = 'q x' ",
                                                 "NAME=second",
                                                 "Wide=80",
                                                 "High= 25x",
                                                 "Color=\"07\"",
                                                 "FrameRate=24",
                                                 "framerate = 3",
                                                 "FrameRate=0",
                                                 "FrameNum=3",
                                                 "FRAMENUM=2",
                                                 "FrameNum=-1",
                                                 "Frame1=a\\nb",
                                                 "FRAME1=dup",
                                                 " frame2 = \" pad \" ",
                                                 "Frame3=c\\\\n\\\"\\'",
                                                 "Frame01=zero",
                                                 "Frame4=past",
                                                 "Frame9999999=far",
                                                 "Frame2=\xB5\x5C\\n\xB5\x5C",
                                                 "Frame3=\xB5=\xB5\x5C\\\\",
                                                 "\xB5\x3D=gbk",
                                                 "; Frame1=comment",
                                                 "",
                                                 "   ",
                                                 "junk",
                                                 "=empty name",
                                                 "Frame1",
                                                 "\t\tFrame2\t=\ttab\t"};
  static const char* const ends[] = {"\r\n", "\n", "\r", "\r\n"};
  std::string text;
  const int n = std::uniform_int_distribution<int>(0, 14)(rng);
  for (int i = 0; i < n; ++i) {
    text += lines[std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(rng)];
    if (i + 1 < n || rng() % 2) text += ends[rng() % 4];
  }
  return text;
}

TEST(ProjectStreamTest, ReadsEveryFileAsTheWholeFileProfileDoes) {
  std::mt19937 rng(7);
  TempDir dir;
  const auto file = dir.path() / "p.ini";
  for (int round = 0; round < 3000; ++round) {
    std::string text = RandomProfileText(rng);
    // Most files should get past the verdict and show their frames.
    if (round % 2) text = "[AnimatedProperties]\r\nFrameRate=24\nFrameNum=4\r\n" + text;
    WriteFile(file, text);
    const ProjectReadResult want = ReadThroughProfile(file);
    // Buffers shorter than a line make every line straddle a boundary.
    for (std::size_t buffer : {std::size_t{16}, std::size_t{23}, std::size_t{1} << 20})
      ExpectSameRead(ReadProjectFile(file, buffer), want, text);
    if (HasFailure()) return;
  }
}

TEST(ProjectStreamTest, LinesAcrossTheReadBuffer) {
  TempDir dir;
  const auto file = dir.path() / "p.ini";
  // GBK characters whose second byte is a backslash beside real escapes, and
  // a lead byte right before the value's end, at every offset of the buffer.
  const std::string frame1 = "\xB5\x5C\\\\n\xB5\x5C\\n\"\xB5\x5C\\'x\xC4\xE3";
  const std::string frame2(100000, '#');  // far longer than any buffer
  const std::string text =
      "[AnimatedProperties]\nFrameRate=5\r\nFrameNum=3\n[AnimatePicture]\n"
      "Frame1=" +
      frame1 + "\r\nFrame2=" + frame2 + "\nFrame3=end";
  WriteFile(file, text);
  const std::vector<std::string> want = {UnescapeFrameText(frame1), frame2, "end"};
  EXPECT_EQ(want[0], "\xB5\x5C\\n\xB5\x5C\r\n\"\xB5\x5C'x\xC4\xE3");
  for (std::size_t buffer = 16; buffer < 90; ++buffer) {
    const ProjectReadResult r = ReadProjectFile(file, buffer);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(Texts(r.animation.m_frames), want) << "buffer " << buffer;
  }
  // A CR-only file is one line: a header with no keys under it.
  WriteFile(file, "[AnimatedProperties]\rFrameRate=5\rFrameNum=1\r");
  EXPECT_EQ(ReadProjectFile(file, 16).error, "打开失败：该文件不是工程文件。");
}

// What profile writes of the same keys would make of an existing file.
std::string WriteThroughProfile(const std::string& existing, const Animation& animation,
                                const std::filesystem::path& scratch) {
  // The values as the project writer formats them, from a fresh file.
  WriteFile(scratch, "");
  std::filesystem::remove(scratch);
  EXPECT_TRUE(WriteProjectFile(animation, scratch).ok());
  platform::ProfileFile p;
  p.Parse(existing);
  std::string section;
  const std::string fresh = ReadFile(scratch);
  for (std::size_t pos = 0; pos < fresh.size();) {
    const std::size_t end = fresh.find("\r\n", pos);
    const std::string line = fresh.substr(pos, end - pos);
    pos = end + 2;
    if (line.front() == '[') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t eq = line.find('=');
    p.SetString(section, line.substr(0, eq), line.substr(eq + 1));
  }
  return p.Serialize();
}

TEST(ProjectStreamTest, WritingOverAFileKeepsItAsTheWholeFileProfileDoes) {
  std::mt19937 rng(11);
  TempDir dir;
  const auto file = dir.path() / "p.ini";
  const std::vector<std::vector<std::string>> animations = {
      {}, {"a"}, {" lead", "x\\ny", "\"q\""}, {"1", "2", "3", "4", "5"}};
  for (int round = 0; round < 2000; ++round) {
    const Animation animation =
        Make({round % 3 ? "n" : " pad", "07", 80, 25, 24, animations[round % 4]});
    const std::string existing = RandomProfileText(rng);
    WriteFile(file, existing);
    ASSERT_TRUE(WriteProjectFile(animation, file).ok());
    ASSERT_EQ(ReadFile(file), WriteThroughProfile(existing, animation, dir.path() / "fresh.ini"))
        << testing::PrintToString(existing);
  }
}

}  // namespace
