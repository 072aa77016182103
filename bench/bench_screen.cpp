// Laying frames out on the screen model: dense 80x25 pictures (every row 40
// ASCII characters and 20 Chinese ones, DensePicture) through
// FrameCanvas::Layout, as the page, the picture and the recording do, and
// through LayOutFrame, as the terminal player does; each beside the previous
// layout, the single-pass loops those two had before they shared the screen
// model, copied here as the yardstick. Then the page and the recording
// writers whole, at 10,000 dense frames (the picture writer spends its time
// drawing glyphs, about 2 ms a frame, not laying frames out).
//
// A layout case lays out one frame per iteration (its time is the time per
// frame); the writers' counter ns_per_frame is their CPU time per frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "document/ScreenCells.h"
#include "platform/Cp936.h"
#include "platform/Terminal.h"
#include "playback/TerminalPicture.h"
#include "share/AnimationFormats.h"
#include "share/FrameCanvas.h"

using output::formats::FrameCanvas;
using playback::LayOutFrame;
using playback::Picture;

namespace {

namespace fs = std::filesystem;

constexpr int kWide = 80, kHigh = 25;
constexpr long kDistinct = 1000;  // pictures cycled through by the layout cases

const std::vector<std::string>& Pictures() {
  static const std::vector<std::string> pictures = [] {
    std::vector<std::string> out;
    for (long n = 0; n < kDistinct; ++n) out.push_back(DensePicture(n));
    return out;
  }();
  return pictures;
}

// ---- the previous layout, the yardstick ------------------------------------------

// The canvas as it was laid out before the screen model: one pass over the
// bytes straight into a grid of code points. It knows CR, LF and tabs only,
// which is all a dense picture holds.
class PreviousCanvas {
 public:
  PreviousCanvas(int wide, int high)
      : m_wide(wide), m_high(high), m_cells(static_cast<std::size_t>(wide) * high, U' ') {}

  void Layout(std::string_view gbk) {
    std::fill(m_cells.begin(), m_cells.end(), U' ');
    int row = 0;
    int col = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t n = gbk.size();
    for (std::size_t i = 0; i < n && row < m_high;) {
      const unsigned char b = s[i];
      if (b == '\n') {
        ++row, col = 0, ++i;
        continue;
      }
      if (b == '\r') {
        col = 0, ++i;
        continue;
      }
      if (b == '\t') {
        col = (col / 8 + 1) * 8;
        ++i;
        continue;
      }
      char32_t ch;
      int width = 1;
      if (b >= 0x81 && b <= 0xFE && i + 1 < n && IsTrailByte(s[i + 1])) {
        ch = m_table[Index(b, s[i + 1])];
        width = 2;
        i += 2;
      } else {
        ch = b < 0x20 || b == 0x7F ? U' ' : b >= 0x80 ? U'?' : b;
        ++i;
      }
      if (col + width <= m_wide) Put(col, row, ch, width);
      col += width;
    }
  }
  char32_t At(int col, int row) const {
    return m_cells[static_cast<std::size_t>(row) * m_wide + col];
  }

 private:
  static bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
  static std::size_t Index(int lead, int trail) {
    return static_cast<std::size_t>(lead - 0x81) * 191 + static_cast<std::size_t>(trail - 0x40);
  }
  // The same code points the screen model gives, read once.
  static std::vector<char32_t> MakeTable() {
    std::vector<char32_t> table(126 * 191, 0xFFFD);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
      for (int trail = 0x40; trail <= 0xFE; ++trail)
        if (IsTrailByte(static_cast<unsigned char>(trail)))
          table[Index(lead, trail)] = document::GbkCodePoint(static_cast<unsigned char>(lead),
                                                             static_cast<unsigned char>(trail));
    return table;
  }
  void Put(int col, int row, char32_t ch, int width) {
    char32_t* line = &m_cells[static_cast<std::size_t>(row) * m_wide];
    if (line[col] == 0 && col > 0) line[col - 1] = U' ';
    const int end = col + width;
    if (end < m_wide && line[end] == 0) line[end] = U' ';
    line[col] = ch;
    if (width == 2) line[col + 1] = 0;
  }

  int m_wide;
  int m_high;
  std::vector<char32_t> m_cells;
  const std::vector<char32_t> m_table = MakeTable();
};

// The terminal player's picture as it was laid out before the screen model:
// one pass appending each character to the row it wraps into.
Picture PreviousLayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding,
                            int cols, int rows) {
  Picture picture(1);
  auto newRow = [&] { picture.emplace_back(); };
  auto put = [&](std::string_view character, int width) {
    if (cols > 0 && picture.back().width + width > cols) newRow();
    encoding.AppendChar(character, picture.back().bytes);
    picture.back().width += width;
  };
  for (std::size_t i = 0;
       i < gbk.size() && (rows <= 0 || static_cast<int>(picture.size()) <= rows);) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') ? 2 : 1;
      newRow();
      continue;
    }
    if (c == '\t') {
      do put(" ", 1);
      while (picture.back().width % 8 != 0 && (cols <= 0 || picture.back().width < cols));
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F) {
      ++i;
      continue;
    }
    const std::size_t n = platform::cp936::CharLength(gbk, i);
    const std::string_view character = gbk.substr(i, n);
    const auto second = n == 2 ? static_cast<unsigned char>(character[1]) : 0;
    if (n == 2 && !(second >= 0x40 && second <= 0xFE && second != 0x7F)) {
      put(character.substr(0, 1), 1);
      ++i;
      continue;
    }
    put(character, static_cast<int>(n));
    i += n;
  }
  if (rows > 0 && static_cast<int>(picture.size()) > rows) picture.resize(rows);
  while (!picture.empty() && picture.back().width == 0 && picture.back().bytes.empty())
    picture.pop_back();
  return picture;
}

// ---- layout cases -----------------------------------------------------------------

// Both canvases show the same cells for every picture, or the comparison
// would not be fair.
bool SameCanvases() {
  FrameCanvas canvas(kWide, kHigh);
  PreviousCanvas previous(kWide, kHigh);
  for (const std::string& picture : Pictures()) {
    canvas.Layout(picture);
    previous.Layout(picture);
    for (int r = 0; r < kHigh; ++r)
      for (int c = 0; c < kWide; ++c)
        if (canvas.At(c, r) != previous.At(c, r)) return false;
  }
  return true;
}

void BM_CanvasLayout(benchmark::State& state) {
  if (!SameCanvases()) state.SkipWithError("the canvases differ");
  FrameCanvas canvas(kWide, kHigh);
  std::size_t i = 0;
  for (auto _ : state) {
    canvas.Layout(Pictures()[i++ % kDistinct]);
    benchmark::DoNotOptimize(canvas.At(kWide - 1, kHigh - 1));
  }
}

void BM_PreviousCanvasLayout(benchmark::State& state) {
  PreviousCanvas canvas(kWide, kHigh);
  std::size_t i = 0;
  for (auto _ : state) {
    canvas.Layout(Pictures()[i++ % kDistinct]);
    benchmark::DoNotOptimize(canvas.At(kWide - 1, kHigh - 1));
  }
}

// The screen model alone, cut at the canvas, as FrameCanvas uses it.
void BM_ScreenCellsLayout(benchmark::State& state) {
  document::ScreenCells screen(kWide, kHigh, document::RightEdge::Cut);
  std::size_t i = 0;
  for (auto _ : state) {
    screen.Layout(Pictures()[i++ % kDistinct], document::Beyond::Ignore);
    benchmark::DoNotOptimize(screen.At(kWide - 1, kHigh - 1));
  }
}

// Arg 0: a UTF-8 terminal; 1: a GBK one (bytes passed through).
platform::TerminalEncoding EncodingOf(const benchmark::State& state) {
  return platform::TerminalEncoding::ForCodeset(state.range(0) ? "GBK" : "UTF-8");
}

void BM_TerminalLayout(benchmark::State& state) {
  const platform::TerminalEncoding encoding = EncodingOf(state);
  for (const std::string& picture : Pictures())
    if (LayOutFrame(picture, encoding, kWide, kHigh) !=
        PreviousLayOutFrame(picture, encoding, kWide, kHigh))
      state.SkipWithError("the pictures differ");
  std::size_t i = 0;
  for (auto _ : state) {
    Picture picture = LayOutFrame(Pictures()[i++ % kDistinct], encoding, kWide, kHigh);
    benchmark::DoNotOptimize(picture.data());
  }
}

void BM_PreviousTerminalLayout(benchmark::State& state) {
  const platform::TerminalEncoding encoding = EncodingOf(state);
  std::size_t i = 0;
  for (auto _ : state) {
    Picture picture = PreviousLayOutFrame(Pictures()[i++ % kDistinct], encoding, kWide, kHigh);
    benchmark::DoNotOptimize(picture.data());
  }
}

BENCHMARK(BM_CanvasLayout);
BENCHMARK(BM_PreviousCanvasLayout);
BENCHMARK(BM_ScreenCellsLayout);
BENCHMARK(BM_TerminalLayout)->Arg(0)->Arg(1);
BENCHMARK(BM_PreviousTerminalLayout)->Arg(0)->Arg(1);

// ---- the writers whole ------------------------------------------------------------

constexpr int kWriterFrames = 10000;

const document::Animation& DenseAnimation() {
  static const std::unique_ptr<document::Animation> animation = [] {
    auto a = std::make_unique<document::Animation>();
    for (long n = 0; n < kWriterFrames; ++n)
      a->m_frames.Append(document::MakeFrameText(DensePicture(n)));
    a->m_nRate = 24;
    a->m_nAnimWide = kWide;
    a->m_nAnimHigh = kHigh;
    a->m_strColor = "1E";
    a->m_strAnimName = platform::cp936::ToGbk("散步").bytes;
    return a;
  }();
  return *animation;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename Write>
void RunWriter(benchmark::State& state, const char* name, Write write) {
  const document::Animation& animation = DenseAnimation();
  const fs::path out = fs::temp_directory_path() /
                       ("zoetrix-bench-screen-" + std::to_string(::getpid()) + "-" + name);
  double cpu = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    std::string error;
    if (!write(animation, out.string(), &error)) state.SkipWithError(error.c_str());
    cpu += CpuSeconds() - start;
    std::error_code ec;
    fs::remove(out, ec);
  }
  state.counters["ns_per_frame"] =
      cpu * 1e9 / (static_cast<double>(kWriterFrames) * static_cast<double>(state.iterations()));
}

void BM_HtmlDense(benchmark::State& state) {
  RunWriter(state, "html", [](const document::Animation& a, const std::string& p, std::string* e) {
    return output::WriteHtmlAnimation(a, p, e);
  });
}
void BM_CastDense(benchmark::State& state) {
  RunWriter(state, "cast", [](const document::Animation& a, const std::string& p, std::string* e) {
    return output::WriteCastAnimation(a, p, e);
  });
}

BENCHMARK(BM_HtmlDense)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CastDense)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
