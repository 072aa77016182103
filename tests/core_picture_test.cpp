// Pictures drawn in characters: where a picture lands on the canvas, which
// cells get characters, and the frames a timed sequence gives at a rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "picture/CharacterPicture.h"
#include "picture/FrameSampler.h"
#include "platform/Cp936.h"

using picture::CharacterConverter;
using picture::CharacterOptions;
using picture::Dither;
using picture::FrameSampler;
using picture::Placement;
using picture::PlacePicture;
using picture::RgbaView;
using picture::Symbols;

namespace {

// An RGBA picture filled by a function of (x, y) giving grey.
struct Rgba {
  int width, height;
  std::vector<std::uint8_t> pixels;
  template <class F>
  Rgba(int w, int h, F grey) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
        p[0] = p[1] = p[2] = grey(x, y);
        p[3] = 255;
      }
  }
  RgbaView view() const { return {pixels.data(), width, height, width * 4}; }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

// The byte at cell (x, y) of an ASCII frame; a blank past a line's end.
char Cell(const std::vector<std::string>& lines, int x, int y) {
  if (y >= static_cast<int>(lines.size()) || x >= static_cast<int>(lines[y].size())) return ' ';
  return lines[y][x];
}

// White 40x40 with a black square over pixels [10, 30) x [12, 28): on a
// 20x10 canvas every cell is 2 x 4 pixels, so the square is cells 5..14 of
// lines 3..6.
Rgba SquarePicture() {
  return Rgba(40, 40,
              [](int x, int y) { return x >= 10 && x < 30 && y >= 12 && y < 28 ? 0 : 255; });
}
bool InSquare(int x, int y) { return x >= 5 && x < 15 && y >= 3 && y < 7; }
// Cells next to the square's edge, inside or out, where scaling blurs the
// edge and dithering may draw either way.
bool AtEdge(int x, int y) {
  return x >= 4 && x < 16 && y >= 2 && y < 8 && !(x >= 6 && x < 14 && y >= 4 && y < 6);
}

}  // namespace

TEST(PlacePicture, FitsKeepingProportionsWithCellsTwiceAsTallAsWide) {
  CharacterOptions o;  // 80 x 25
  // A square picture is as tall as the canvas and twice as many cells wide
  // as lines tall, centred.
  Placement p = PlacePicture(100, 100, o);
  EXPECT_EQ(p.rows, 25);
  EXPECT_EQ(p.places, 50);
  EXPECT_EQ(p.left, 15);
  EXPECT_EQ(p.top, 0);
  // A wide one fills the width and is centred vertically.
  p = PlacePicture(400, 100, o);
  EXPECT_EQ(p.places, 80);
  EXPECT_EQ(p.rows, 10);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.top, 7);

  // Whatever the picture, it stays on the canvas and fills one side of it.
  for (Symbols s : {Symbols::Ascii, Symbols::Blocks, Symbols::Lines}) {
    for (const auto& canvas : {std::pair{80, 25}, std::pair{11, 11}, std::pair{21, 100}}) {
      o.symbols = s;
      o.width = canvas.first;
      o.height = canvas.second;
      for (const auto& size : {std::pair{1, 1}, std::pair{1920, 1080}, std::pair{1, 16384},
                               std::pair{16384, 1}, std::pair{333, 777}}) {
        p = PlacePicture(size.first, size.second, o);
        const int cells = p.places * p.cellsPerPlace;
        SCOPED_TRACE(testing::Message()
                     << size.first << "x" << size.second << " on " << o.width << "x" << o.height);
        EXPECT_EQ(p.cellsPerPlace, s == Symbols::Ascii ? 1 : 2);
        EXPECT_GE(p.places, 1);
        EXPECT_GE(p.rows, 1);
        EXPECT_LE(p.left + cells, o.width);
        EXPECT_LE(p.top + p.rows, o.height);
        EXPECT_TRUE(o.width - cells < 2 * p.cellsPerPlace || p.rows == o.height);
        // Proportions within a place's rounding.
        const double wanted = static_cast<double>(size.first) / size.second;
        if (p.places == 1 || p.rows == 1) continue;  // the smallest placement, not the shape
        const double lo =
            std::max(0.5, cells - p.cellsPerPlace / 2.0 - 0.5) / (2.0 * (p.rows + 0.5));
        const double hi =
            (cells + p.cellsPerPlace / 2.0 + 0.5) / (2.0 * std::max(0.5, p.rows - 0.5));
        EXPECT_GE(wanted, lo);
        EXPECT_LE(wanted, hi);
      }
    }
  }
}

TEST(CharacterConverter, ABlackSquareOnWhiteLandsInItsCells) {
  const Rgba square = SquarePicture();
  for (bool invert : {false, true}) {
    for (Dither d : {Dither::None, Dither::Ordered, Dither::Diffusion}) {
      CharacterOptions o;
      o.width = 20;
      o.height = 10;
      o.invert = invert;
      o.dither = d;
      CharacterConverter converter(o);
      const std::vector<std::string> lines = Lines(converter.Draw(square.view()));
      // White on black (07): characters where the picture is bright; the
      // negative puts them in the square instead.
      // Without dithering every cell follows the square exactly.
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
          if (d != Dither::None && AtEdge(x, y)) continue;
          EXPECT_EQ(Cell(lines, x, y) != ' ', InSquare(x, y) == invert)
              << "cell " << x << "," << y << " invert " << invert << " dither "
              << static_cast<int>(d);
        }
      }
      // No blanks after the last character of a line, no blank lines at the end.
      for (const std::string& line : lines) EXPECT_TRUE(line.empty() || line.back() != ' ');
      EXPECT_FALSE(lines.back().empty());
    }
  }
}

// The colours decide what counts as ink: on a white background with black
// characters the square is what gets drawn.
TEST(CharacterConverter, TheColourPairDecidesWhatIsDrawn) {
  CharacterOptions o;
  o.width = 20;
  o.height = 10;
  o.colors = {15, 0};  // black on bright white
  o.dither = Dither::None;
  CharacterConverter converter(o);
  const std::vector<std::string> lines = Lines(converter.Draw(SquarePicture().view()));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(Cell(lines, x, y) != ' ', InSquare(x, y)) << x << "," << y;
}

TEST(CharacterConverter, AGradientGivesARampOfCharacters) {
  // Black to white from left to right over the whole canvas.
  const Rgba ramp(160, 40, [](int x, int) { return static_cast<std::uint8_t>(x * 255 / 159); });
  for (bool invert : {false, true}) {
    for (Dither d : {Dither::Ordered, Dither::Diffusion}) {
      CharacterOptions o;
      o.width = 80;
      o.height = 10;
      o.invert = invert;
      o.dither = d;
      CharacterConverter converter(o);
      const std::vector<std::string> lines = Lines(converter.Draw(ramp.view()));
      // Eight bands of 10 columns, darkest first: the characters in each,
      // and the cells holding the character that fills the brightest.
      const char full = Cell(lines, invert ? 0 : 79, 0);
      int ink[8] = {}, solid[8] = {};
      std::set<char> used;
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 80; ++x) {
          const char c = Cell(lines, x, y);
          ink[x / 10] += c != ' ';
          solid[x / 10] += c == full;
          used.insert(c);
        }
      }
      if (invert) {
        std::reverse(std::begin(ink), std::end(ink));
        std::reverse(std::begin(solid), std::end(solid));
      }
      SCOPED_TRACE(testing::Message() << "invert " << invert << " dither " << static_cast<int>(d)
                                      << " full '" << full << "'");
      EXPECT_NE(full, ' ');
      for (int b = 0; b + 1 < 8; ++b) {
        EXPECT_LE(ink[b], ink[b + 1]) << b;
        EXPECT_LE(solid[b], solid[b + 1]) << b;
      }
      EXPECT_EQ(ink[0], 0);         // the dark end is blank
      EXPECT_EQ(solid[7], 100);     // the bright end is solid
      EXPECT_LT(solid[3], ink[3]);  // in between, lighter characters
      // A ramp, not a threshold: blank, the solid one and at least two between.
      EXPECT_GE(used.size(), 4u);
    }
  }
}

// Block and line characters are GBK double-byte characters, two cells each:
// a line never runs past the canvas, and holds only blanks and such pairs.
TEST(CharacterConverter, TwoCellSetsUseGbkCharactersWithinTheCanvas) {
  const Rgba ring(200, 100, [](int x, int y) {
    const double d = std::hypot(x - 100.0, (y - 50.0) * 2);
    return static_cast<std::uint8_t>(d > 50 && d < 80 ? 255 : 0);
  });
  for (Symbols s : {Symbols::Blocks, Symbols::Lines}) {
    for (int width : {21, 40}) {
      CharacterOptions o;
      o.width = width;
      o.height = 10;
      o.symbols = s;
      CharacterConverter converter(o);
      const std::string text = converter.Draw(ring.view());
      const std::vector<std::string> lines = Lines(text);
      int drawn = 0;
      for (const std::string& line : lines) {
        EXPECT_LE(static_cast<int>(line.size()), width);
        // The blank margin and blank places are spaces; the rest pairs of
        // GBK bytes that decode to one block or line character each.
        std::size_t i = line.find_first_not_of(' ');
        const std::size_t margin = i == std::string::npos ? 0 : i;
        for (; i < line.size();) {
          if (line[i] == ' ') {
            ASSERT_LT(i + 1, line.size() + 1);
            ++i;
            continue;
          }
          ASSERT_TRUE(platform::cp936::IsLeadByte(static_cast<unsigned char>(line[i])));
          ASSERT_LT(i + 1, line.size());
          EXPECT_EQ((i - margin) % 2, 0u) << "a character off its place";
          const std::string utf8 = platform::cp936::ToUtf8(line.substr(i, 2));
          const char32_t cp = (static_cast<unsigned char>(utf8[0]) & 0x0F) << 12 |
                              (static_cast<unsigned char>(utf8[1]) & 0x3F) << 6 |
                              (static_cast<unsigned char>(utf8[2]) & 0x3F);
          if (s == Symbols::Lines)
            EXPECT_TRUE(cp >= 0x2500 && cp < 0x2580) << std::hex << static_cast<unsigned>(cp);
          else
            EXPECT_TRUE(cp >= 0x2580 && cp < 0x2600) << std::hex << static_cast<unsigned>(cp);
          ++drawn;
          i += 2;
        }
      }
      EXPECT_GT(drawn, 10) << "the ring is drawn";
    }
  }
}

TEST(FrameSampler, HoldsEachPictureForTheFramesItLasts) {
  // Delays of 10, 20 and 30 hundredths at 10 frames a second: 1, 2, 3 frames.
  FrameSampler gif(10);
  EXPECT_EQ(gif.FramesBefore(0.10), 1);
  EXPECT_EQ(gif.FramesBefore(0.10 + 0.20), 2);
  EXPECT_EQ(gif.FramesBefore(0.10 + 0.20 + 0.30), 3);
  EXPECT_EQ(gif.Taken(), 6);
  // Times a rounding away from a frame's time count as that time.
  FrameSampler noisy(10);
  EXPECT_EQ(noisy.FramesBefore(0.1 - 1e-12), 1);
  EXPECT_EQ(noisy.FramesBefore(0.3 + 1e-12), 2);
  EXPECT_EQ(noisy.FramesBefore(std::nextafter(0.6, 0.0)), 3);

  // A part: frames at 0.25 and 0.35 only.
  FrameSampler part(10, 0.25, 0.45);
  EXPECT_EQ(part.FramesBefore(0.1), 0);  // the first picture ends before the part
  EXPECT_EQ(part.FramesBefore(0.3), 1);  // the second shows at 0.25
  EXPECT_FALSE(part.PastEnd(0.3));
  EXPECT_TRUE(part.PastEnd(0.45));
  EXPECT_EQ(part.FramesBefore(0.6), 1);  // the third at 0.35; 0.45 is the end
  EXPECT_EQ(part.Taken(), 2);

  // Pictures shorter than a frame: only those on screen at a frame's time show.
  FrameSampler fast(10);
  EXPECT_EQ(fast.FramesBefore(0.04), 1);  // picture 1 [0, 0.04) holds frame 0
  EXPECT_FALSE(fast.Shows(0.04, 0.08));   // picture 2 [0.04, 0.08): none
  EXPECT_EQ(fast.FramesBefore(0.08), 0);
  EXPECT_TRUE(fast.Shows(0.08, 0.12));  // picture 3 holds frame 1 at 0.1
  EXPECT_EQ(fast.FramesBefore(0.12), 1);
  // A start far away (a damaged time) is counted, not walked to.
  FrameSampler far(100);
  EXPECT_EQ(far.FramesBefore(1e7), 1000000000LL);
}
