// The GIF's images: each later image covers only what changed and lets the
// unchanged characters show through, yet every frame, decoded and drawn
// over the ones before as a viewer does, looks exactly as when every image
// is the whole canvas.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "document/Screen.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::MakeFrameText;
using output::GifOptions;
using output::WriteGifAnimation;
using testsupport::Gbk;
using testsupport::TempDir;

namespace {

struct GifDeleter {
  void operator()(GifFileType* g) const { DGifCloseFile(g, nullptr); }
};
using GifPtr = std::unique_ptr<GifFileType, GifDeleter>;

// What a viewer shows: each frame as 0xRRGGBB pixels, and how long.
struct Shown {
  int width = 0;
  int height = 0;
  std::vector<std::vector<std::uint32_t>> frames;
  std::vector<int> delays;
};

std::uint32_t Rgb(const ColorMapObject* map, int index) {
  if (index >= map->ColorCount) return 0xFF000000u;  // never a console colour
  const GifColorType& c = map->Colors[index];
  return static_cast<std::uint32_t>(c.Red) << 16 | static_cast<std::uint32_t>(c.Green) << 8 |
         c.Blue;
}

// Draws every image over the ones before by its disposal and transparency.
Shown Compose(GifFileType* gif) {
  Shown shown;
  shown.width = gif->SWidth;
  shown.height = gif->SHeight;
  std::vector<std::uint32_t> screen(static_cast<std::size_t>(gif->SWidth) * gif->SHeight,
                                    Rgb(gif->SColorMap, gif->SBackGroundColor));
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& img = gif->SavedImages[i];
    const GifImageDesc& d = img.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, i, &gcb);
    EXPECT_LE(d.Left + d.Width, gif->SWidth);
    EXPECT_LE(d.Top + d.Height, gif->SHeight);
    const std::vector<std::uint32_t> before = screen;
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const int index = img.RasterBits[static_cast<std::size_t>(y) * d.Width + x];
        if (index == gcb.TransparentColor) continue;
        screen[static_cast<std::size_t>(d.Top + y) * gif->SWidth + d.Left + x] = Rgb(map, index);
      }
    shown.frames.push_back(screen);
    shown.delays.push_back(gcb.DelayTime);
    if (gcb.DisposalMode == DISPOSE_PREVIOUS) screen = before;
    if (gcb.DisposalMode == DISPOSE_BACKGROUND)
      for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x)
          screen[static_cast<std::size_t>(d.Top + y) * gif->SWidth + d.Left + x] =
              Rgb(gif->SColorMap, gif->SBackGroundColor);
  }
  return shown;
}

GifPtr Write(const Animation& animation, const std::string& path, bool wholeImages,
             GifOptions options = {}) {
  options.wholeImages = wholeImages;
  std::string error;
  EXPECT_TRUE(WriteGifAnimation(animation, path, &error, options, platform::Replace::Yes)) << error;
  int err = 0;
  GifPtr gif(DGifOpenFileName(path.c_str(), &err));
  EXPECT_TRUE(gif) << GifErrorString(err);
  if (gif) {
    EXPECT_EQ(DGifSlurp(gif.get()), GIF_OK) << GifErrorString(gif->Error);
  }
  return gif;
}

Animation Make(int wide, int high, int rate, const std::string& color,
               const std::vector<std::string>& framesUtf8) {
  Animation animation;
  animation.m_nAnimWide = wide;
  animation.m_nAnimHigh = high;
  animation.m_nRate = rate;
  animation.m_strColor = color;
  for (const auto& f : framesUtf8) animation.m_frames.Append(MakeFrameText(Gbk(f)));
  return animation;
}

// Every row ASCII and Chinese, shifted by one cell each frame, so two-byte
// characters keep landing on other cell boundaries.
std::vector<std::string> DenseFrames(int count) {
  const std::string ascii = "!#$%&()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdef";
  const std::vector<std::string> han = {"走", "跑", "跳", "看", "山", "水", "风", "云", "─", "█"};
  std::vector<std::string> frames;
  for (int n = 0; n < count; ++n) {
    std::string frame;
    for (int row = 0; row < 5; ++row) {
      if (row) frame += "\r\n";
      frame += ascii.substr(static_cast<std::size_t>((n * 3 + row) % 20), 1 + (n + row) % 7);
      for (int i = 0; i < 6; ++i) frame += han[static_cast<std::size_t>(n + row + i) % han.size()];
      frame += ascii.substr(static_cast<std::size_t>(n % 30), 4);
    }
    frames.push_back(frame);
  }
  return frames;
}

// A figure moving over a still scene, a bird the other way, a caption that
// changes now and then.
std::vector<std::string> SparseFrames(int count) {
  std::vector<std::string> frames;
  for (int n = 0; n < count; ++n) {
    std::string rows[6] = {"云  云    月",         "", "  山山  山山山  ~~", "", "",
                           "====================="};
    rows[1] = std::string(static_cast<std::size_t>(14 - n % 12), ' ') + "v^v";
    rows[3] = std::string(static_cast<std::size_t>(n % 14), ' ') + "(o.o)人";
    rows[4] = n / 4 % 2 ? "第二幕" : "第一幕 x";
    std::string frame;
    for (int r = 0; r < 6; ++r) frame += (r ? "\r\n" : "") + rows[r];
    frames.push_back(frame);
  }
  return frames;
}

// Writes the animation both ways and checks that every frame looks the same
// and lasts as long; returns the usual encoding for further checks.
GifPtr ExpectSameAsWholeImages(const Animation& animation, const TempDir& dir) {
  GifPtr whole = Write(animation, (dir.path() / "whole.gif").string(), true);
  GifPtr gif = Write(animation, (dir.path() / "a.gif").string(), false);
  if (!whole || !gif) return nullptr;
  const Shown expected = Compose(whole.get());
  const Shown shown = Compose(gif.get());
  EXPECT_EQ(shown.width, expected.width);
  EXPECT_EQ(shown.height, expected.height);
  EXPECT_EQ(shown.delays, expected.delays);
  EXPECT_EQ(shown.frames.size(), expected.frames.size());
  for (std::size_t i = 0; i < shown.frames.size() && i < expected.frames.size(); ++i)
    EXPECT_TRUE(shown.frames[i] == expected.frames[i]) << "frame " << i;
  // The first image is the whole canvas, opaque: nothing before it to show.
  const GifImageDesc& first = gif->SavedImages[0].ImageDesc;
  EXPECT_EQ(first.Left, 0);
  EXPECT_EQ(first.Top, 0);
  EXPECT_EQ(first.Width, gif->SWidth);
  EXPECT_EQ(first.Height, gif->SHeight);
  GraphicsControlBlock gcb;
  EXPECT_EQ(DGifSavedExtensionToGCB(gif.get(), 0, &gcb), GIF_OK);
  EXPECT_EQ(gcb.TransparentColor, NO_TRANSPARENT_COLOR);
  return gif;
}

std::set<int> IndexesIn(const SavedImage& img, int x0, int y0, int w, int h) {
  std::set<int> seen;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      seen.insert(img.RasterBits[static_cast<std::size_t>(y) * img.ImageDesc.Width + x]);
  return seen;
}

}  // namespace

TEST(GifImages, FramesLookAsWithWholeImages) {
  TempDir dir;
  {
    SCOPED_TRACE("dense: ASCII and Chinese in every row, everything changing");
    ExpectSameAsWholeImages(Make(24, 5, 12, "1E", DenseFrames(30)), dir);
  }
  {
    SCOPED_TRACE("dense at full size: images large enough to be encoded in parts");
    std::vector<std::string> frames;
    const std::vector<std::string> han = {"走", "跑", "跳", "看", "山", "水", "风", "云", "─", "█"};
    for (int n = 0; n < 6; ++n) {
      std::string frame;
      for (int row = 0; row < 25; ++row) {
        if (row) frame += "\r\n";
        for (int i = 0; i < 40; ++i) frame += static_cast<char>('!' + (n * 7 + row + i * 3) % 94);
        for (int i = 0; i < 20; ++i)
          frame += han[static_cast<std::size_t>(n + row * i) % han.size()];
      }
      frames.push_back(frame);
    }
    ExpectSameAsWholeImages(Make(80, 25, 10, "1E", frames), dir);
  }
  {
    SCOPED_TRACE("credits rolling up: rows of text seen a row lower in the frame before");
    const std::vector<std::string> han = {"走", "跑", "跳", "看", "山", "水", "风", "云", "─", "█"};
    std::vector<std::string> lines;
    for (int n = 0; n < 40; ++n) {
      std::string line;
      for (int i = 0; i < 30; ++i) line += static_cast<char>('!' + (n * 11 + i * 5) % 94);
      for (int i = 0; i < 20; ++i) line += han[static_cast<std::size_t>(n * 3 + i) % han.size()];
      line.resize(n % 5 == 0 ? 0 : line.size() - static_cast<std::size_t>(n % 3) * 6);  // gaps
      lines.push_back(line);
    }
    std::vector<std::string> frames;
    for (int n = 0; n < 14; ++n) {
      std::string frame;
      for (int row = 0; row < 25; ++row) {
        if (row) frame += "\r\n";
        frame += lines[static_cast<std::size_t>(n + row)];
      }
      frames.push_back(frame);
    }
    ExpectSameAsWholeImages(Make(80, 25, 10, "1E", frames), dir);
  }
  {
    SCOPED_TRACE("sparse: a figure moving over a still scene");
    ExpectSameAsWholeImages(Make(22, 6, 24, "07", SparseFrames(40)), dir);
  }
  {
    SCOPED_TRACE("runs of identical frames, and frames merged at rate 100");
    const auto sparse = SparseFrames(6);
    ExpectSameAsWholeImages(Make(22, 6, 7, "2A",
                                 {sparse[0], sparse[0], sparse[1], sparse[1], sparse[1], sparse[0],
                                  sparse[2], sparse[2]}),
                            dir);
    ExpectSameAsWholeImages(Make(22, 6, 100, "F0", SparseFrames(9)), dir);
  }
  {
    SCOPED_TRACE("two-byte characters replaced by one-byte ones and back");
    ExpectSameAsWholeImages(
        Make(8, 2, 10, "9F", {"中文中文\r\nab", "a中文中x\r\n 中", "中文中文\r\nab", "  \r\n\t中"}),
        dir);
  }
  {
    SCOPED_TRACE("a frame shown again after one left out at rate 100");
    ExpectSameAsWholeImages(Make(6, 2, 100, "07", {"ab", "ab", "xy", "ab", "cd", "cd"}), dir);
  }
  {
    SCOPED_TRACE("a single frame");
    GifPtr gif = ExpectSameAsWholeImages(Make(5, 3, 10, "07", {"中 x\r\n--"}), dir);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->ImageCount, 1);
  }
  {
    SCOPED_TRACE("no frames: the blank canvas");
    GifPtr gif = ExpectSameAsWholeImages(Make(5, 3, 10, "4E", {}), dir);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->ImageCount, 1);
  }
}

TEST(GifImages, LaterImagesCoverWhatChangedAndLetTheRestShowThrough) {
  TempDir dir;
  // Only the first and last characters of row 1 change: the image is that
  // row from the first to the last changed cell; the unchanged letters in
  // between are transparent, the unchanged blanks background.
  GifPtr gif = ExpectSameAsWholeImages(
      Make(10, 3, 10, "1E", {"==========\r\na b  c  d\r\n", "==========\r\nx b  c  y\r\n"}), dir);
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->ImageCount, 2);
  const int cw = gif->SWidth / 10, ch = gif->SHeight / 3;
  const SavedImage& img = gif->SavedImages[1];
  EXPECT_EQ(img.ImageDesc.Left, 0);
  EXPECT_EQ(img.ImageDesc.Top, ch);
  EXPECT_EQ(img.ImageDesc.Width, 9 * cw);
  EXPECT_EQ(img.ImageDesc.Height, ch);
  GraphicsControlBlock gcb;
  ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), 1, &gcb), GIF_OK);
  ASSERT_NE(gcb.TransparentColor, NO_TRANSPARENT_COLOR);
  EXPECT_EQ(gcb.DisposalMode, DISPOSE_DO_NOT);
  const int clear = gcb.TransparentColor;
  const std::set<int> onlyClear{clear};
  EXPECT_EQ(IndexesIn(img, 2 * cw, 0, cw, ch), onlyClear);        // b
  EXPECT_EQ(IndexesIn(img, 5 * cw, 0, cw, ch), onlyClear);        // c
  EXPECT_EQ(IndexesIn(img, 3 * cw, 0, cw, ch).count(clear), 0u);  // a blank
  EXPECT_EQ(IndexesIn(img, 0, 0, cw, ch).count(clear), 0u);       // x
  EXPECT_EQ(IndexesIn(img, 8 * cw, 0, cw, ch).count(clear), 0u);  // y
}

TEST(GifImages, PaletteHoldsTheTwoColoursAndTransparency) {
  TempDir dir;
  // Red characters (C) on a yellow background (6), and a background equal
  // to the characters' colour.
  for (const char* code : {"6C", "55"}) {
    SCOPED_TRACE(code);
    GifPtr gif = ExpectSameAsWholeImages(Make(8, 2, 10, code, SparseFrames(3)), dir);
    ASSERT_TRUE(gif);
    const ColorMapObject* map = gif->SColorMap;
    ASSERT_TRUE(map);
    EXPECT_EQ(map->ColorCount, 4);
    EXPECT_EQ(map->BitsPerPixel, 2);
    const auto colors = document::ShownColors(code);
    std::set<std::uint32_t> drawn;
    for (const auto& frame : Compose(gif.get()).frames) drawn.insert(frame.begin(), frame.end());
    std::set<std::uint32_t> console{document::kConsoleRgb[static_cast<std::size_t>(colors.back)],
                                    document::kConsoleRgb[static_cast<std::size_t>(colors.fore)]};
    EXPECT_EQ(drawn, console);
  }
}

TEST(GifImages, RepeatedChangesGiveTheSameImagesAndLookRight) {
  TempDir dir;
  const auto sparse = SparseFrames(4);
  const auto dense = DenseFrames(3);
  {
    SCOPED_TRACE("a loop shown four times: each round's images are the first round's");
    std::vector<std::string> frames;
    for (int round = 0; round < 4; ++round)
      frames.insert(frames.end(), sparse.begin(), sparse.end());
    GifPtr gif = ExpectSameAsWholeImages(Make(22, 6, 10, "1E", frames), dir);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->ImageCount, 16);
    for (int i = 8; i < 16; ++i) {
      const SavedImage& a = gif->SavedImages[i - 4];
      const SavedImage& b = gif->SavedImages[i];
      EXPECT_EQ(a.ImageDesc.Left, b.ImageDesc.Left);
      EXPECT_EQ(a.ImageDesc.Top, b.ImageDesc.Top);
      ASSERT_EQ(a.ImageDesc.Width * a.ImageDesc.Height, b.ImageDesc.Width * b.ImageDesc.Height);
      EXPECT_TRUE(std::equal(a.RasterBits, a.RasterBits + a.ImageDesc.Width * a.ImageDesc.Height,
                             b.RasterBits))
          << "image " << i;
    }
  }
  {
    SCOPED_TRACE("one picture reached from different pictures before it");
    ExpectSameAsWholeImages(Make(24, 5, 10, "07",
                                 {dense[0], dense[1], dense[0], dense[2], dense[0], dense[1],
                                  sparse[0], dense[0], dense[2], dense[0]}),
                            dir);
  }
}

// A glyph lands whole in its cells whatever their width (glyph rows are
// copied in pieces of 8, 16 or 32 pixels, or pixel by pixel): each pixel row
// of the cells holds as many drawn pixels as the same row of the glyph as
// FreeType renders it, in the same order from the top.
TEST(GifImages, GlyphsAreDrawnWholeAtEveryCellWidth) {
  const char* const font = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << "WenQuanYi Micro Hei is not installed";
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face = nullptr;
  ASSERT_EQ(FT_New_Face(library, font, 1, &face), 0);  // the Mono face
  TempDir dir;
  // Character, first cell, cells: the last one ends at the canvas's edge.
  const struct {
    char32_t cp;
    int col;
    int cells;
  } glyphs[] = {{U'o', 0, 1}, {U'\x4E2D', 1, 2}, {U'H', 3, 1}};
  int compared = 0;
  for (int size : {9, 16, 24, 40, 70}) {
    SCOPED_TRACE(size);
    GifOptions options;
    options.fontPath = font;
    options.fontFace = 1;
    options.pixelSize = size;
    GifPtr gif =
        Write(Make(4, 1, 10, "0F", {"o中H"}), (dir.path() / "g.gif").string(), false, options);
    ASSERT_TRUE(gif);
    const Shown shown = Compose(gif.get());
    ASSERT_EQ(shown.frames.size(), 1u);
    const std::uint32_t fore = document::kConsoleRgb[15];
    const int cw = shown.width / 4, ch = shown.height;
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)), 0);
    for (const auto& g : glyphs) {
      ASSERT_EQ(FT_Load_Char(face, g.cp, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
      const FT_Bitmap& bm = face->glyph->bitmap;
      if (static_cast<int>(bm.width) > g.cells * cw || static_cast<int>(bm.rows) > ch)
        continue;  // cut by its cells: nothing to compare whole
      std::vector<int> expected, drawn;
      for (unsigned y = 0; y < bm.rows; ++y) {
        int ink = 0;
        for (unsigned x = 0; x < bm.width; ++x)
          ink += (bm.buffer[static_cast<std::ptrdiff_t>(y) * bm.pitch + x / 8] >> (7 - x % 8)) & 1;
        if (ink) expected.push_back(ink);
      }
      for (int y = 0; y < ch; ++y) {
        int ink = 0;
        for (int x = g.col * cw; x < (g.col + g.cells) * cw; ++x)
          ink += shown.frames[0][static_cast<std::size_t>(y) * shown.width + x] == fore;
        if (ink) drawn.push_back(ink);
      }
      EXPECT_EQ(drawn, expected) << "U+" << std::hex << static_cast<unsigned>(g.cp);
      ++compared;
    }
  }
  EXPECT_GE(compared, 12);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
