// The web page carries each distinct picture once, compressed, and which
// picture each frame shows: read back, every frame is what the canvas shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HtmlPageReader.h"
#include "TestSupport.h"
#include "platform/Cp936.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::MakeFrameText;
using output::WriteHtmlAnimation;
using testsupport::Gbk;
using testsupport::PagePictures;
using testsupport::ReadFile;
using testsupport::ReadPagePictures;
using testsupport::TempDir;

namespace {

Animation Make(int wide, int high, const std::vector<std::string>& framesUtf8) {
  Animation animation;
  animation.m_nAnimWide = wide;
  animation.m_nAnimHigh = high;
  animation.m_nRate = 24;
  animation.m_strColor = "07";
  for (const auto& f : framesUtf8) animation.m_frames.Append(MakeFrameText(Gbk(f)));
  return animation;
}

std::string WritePage(const Animation& animation, const TempDir& dir) {
  const std::string path = (dir.path() / "a.html").string();
  std::string error;
  EXPECT_TRUE(WriteHtmlAnimation(animation, path, &error, platform::Replace::Yes)) << error;
  return ReadFile(path);
}

// The number after "key": in the page's JSON block.
long JsonNumber(const std::string& page, const std::string& key) {
  const auto at = page.find("\"" + key + "\":");
  return at == std::string::npos ? -1 : std::stol(page.substr(at + key.size() + 3));
}

// A full canvas of ASCII and Chinese that changes with n: its rows fill the
// 60x20 canvas exactly, so the canvas shows the text as it is.
std::string DenseUtf8(int n) {
  static const std::vector<std::string> han = {"走", "跑", "跳", "看", "山", "水", "风", "云"};
  std::string frame;
  for (int row = 0; row < 20; ++row) {
    if (row) frame += "\r\n";
    const std::string number = std::to_string(100000 + n);  // six digits, distinct
    for (int i = 0; i < 30; ++i)
      frame += row == 0 && i < 6 ? number[static_cast<std::size_t>(i)]
                                 : static_cast<char>('!' + (n * 7 + row + i) % 94);
    for (int i = 0; i < 15; ++i) frame += han[static_cast<std::size_t>(n + row * i) % han.size()];
  }
  return frame;
}

std::string Shown(std::string frame) {
  for (std::size_t at = frame.find("\r\n"); at != std::string::npos; at = frame.find("\r\n", at))
    frame.replace(at, 2, "\n");
  return frame;
}

}  // namespace

TEST(HtmlPage, EachDistinctPictureTravelsOnce) {
  TempDir dir;
  // Repeats next to each other and far apart, a text that looks the same as
  // an earlier one (trailing blanks, a blank last row), and a control
  // character, which the canvas shows as a blank.
  const std::string page = WritePage(
      Make(8, 3, {"a", "b", "a", "a", "c", "b", "a  ", "", "", "b\r\n ", "x\fy", "c"}), dir);
  const PagePictures read = ReadPagePictures(page);
  EXPECT_EQ(read.Frames(),
            (std::vector<std::string>{"a", "b", "a", "a", "c", "b", "a", "", "", "b", "x y", "c"}));
  EXPECT_EQ(read.pictures, (std::vector<std::string>{"a", "b", "c", "", "x y"}));
  EXPECT_EQ(JsonNumber(page, "frames"), 12);
  EXPECT_EQ(JsonNumber(page, "pictures"), 5);
}

TEST(HtmlPage, ManyFramesReadBackFromCompressedBlocks) {
  TempDir dir;
  // 1,000 distinct dense pictures, every third shown a second time further on.
  std::vector<std::string> frames;
  for (int n = 0; n < 1000; ++n) frames.push_back(DenseUtf8(n));
  for (int n = 0; n < 1000; n += 3) frames.push_back(DenseUtf8(n));
  const std::string page = WritePage(Make(60, 20, frames), dir);
  const PagePictures read = ReadPagePictures(page);
  ASSERT_EQ(read.order.size(), frames.size());
  EXPECT_EQ(read.pictures.size(), 1000u);
  const std::vector<std::string> shown = read.Frames();
  for (std::size_t i = 0; i < frames.size(); ++i)
    ASSERT_EQ(shown[i], Shown(frames[i])) << "frame " << i;
  // Several blocks, so the script never unpacks the whole animation at
  // once; the page's list of where each starts is right.
  EXPECT_GT(read.starts.size(), 2u);
  std::string starts = "\"blocks\":[";
  for (std::size_t k = 0; k < read.starts.size(); ++k)
    starts += (k ? "," : "") + std::to_string(read.starts[k]);
  EXPECT_NE(page.find(starts + "]"), std::string::npos);
  // Far smaller than the frames' text, which the page once held per frame.
  std::size_t text = 0;
  for (const auto& f : frames) text += Shown(f).size();
  EXPECT_LT(page.size(), text / 4);
}

TEST(HtmlPage, NoFramesMakeAnEmptyList) {
  TempDir dir;
  const std::string page = WritePage(Make(8, 3, {}), dir);
  const PagePictures read = ReadPagePictures(page);
  EXPECT_TRUE(read.order.empty());
  EXPECT_TRUE(read.pictures.empty());
  EXPECT_EQ(JsonNumber(page, "frames"), 0);
  EXPECT_NE(page.find("\"blocks\":[]"), std::string::npos);
}
