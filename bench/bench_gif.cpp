// The GIF writer at 1,000 distinct 80x25 frames, two kinds of animation:
// dense pictures (every cell drawn, every cell changing from frame to frame)
// and a small figure walking over a still scene (little changes).
//
// DistinctDense/N is N dense pictures of which no two are the same (the
// frame number in front): DensePicture repeats after 940, and a change made
// before is written again from the bytes kept, not encoded again.
//
// Counters: us_per_frame (wall), cpu_us_per_frame (every thread's),
// bytes (size of the file) and, where gifsicle is installed and the file is
// of at most 1,000 frames, gifsicle_O3_bytes: the same file after
// `gifsicle -O3`, a yardstick for how small the encoder could go (left out
// when ZOETRIX_BENCH_NO_GIFSICLE is set, to profile the writer alone); and
// width and height, the canvas in pixels.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "BenchPictures.h"
#include "platform/Cp936.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::MakeFrameText;

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 1000;

// A figure walking along row 12 and a bird flying the other way along
// row 5, in front of a still landscape.
std::string WalkPicture(long n) {
  static const std::string kSky = platform::cp936::ToGbk("  云      云            月").bytes;
  static const std::string kHills = platform::cp936::ToGbk("    山山      山山山        山").bytes;
  std::string out;
  for (int row = 0; row < 25; ++row) {
    std::string line(80, ' ');
    if (row == 0 || row == 24) line.assign(80, '=');
    if (row == 3) line.replace(0, kSky.size(), kSky);
    if (row == 8) line.replace(4, kHills.size(), kHills);
    if (row == 9) line.replace(2, 60, std::string(60, '~'));
    if (row == 5) line.replace(static_cast<std::size_t>(70 - n % 70), 3, "v^v");
    if (row == 12) line.replace(static_cast<std::size_t>(n % 70), 9, "( o.o )/\\");
    if (row == 13) line.replace(static_cast<std::size_t>(n % 70), 9, " /| |\\  ");
    if (row == 14)
      line.replace(static_cast<std::size_t>(n % 70), 9, n % 2 ? " /   \\ " : "  | |  ");
    if (row == 18) line.replace(10, 30, "|__|__|__|__|__|__|__|__|__|_");
    if (row) out += "\r\n";
    out += line;
  }
  return out;
}

// A dense picture whose rows never come again: every cell a character
// drawn at random, half of them Chinese, so no band of text repeats and
// every image is encoded in full.
std::string RandomDensePicture(long n) {
  static const std::string kHan =
      platform::cp936::ToGbk("走跑跳看山水风云日月星光画面动字符帧中文").bytes;  // 20
  std::mt19937 random(static_cast<unsigned>(n) * 7919u + 1);
  std::string out;
  for (int row = 0; row < 25; ++row) {
    if (row) out += "\r\n";
    for (int cells = 0; cells < 80;) {
      if (cells < 78 && random() % 3 == 0) {
        out += kHan.substr(random() % 20 * 2, 2);
        cells += 2;
      } else {
        out += static_cast<char>('!' + random() % 94);
        ++cells;
      }
    }
  }
  return out;
}

Animation Make(std::string (*picture)(long), long frames) {
  Animation animation;
  for (long i = 0; i < frames; ++i) animation.m_frames.Append(MakeFrameText(picture(i)));
  animation.m_nRate = 24;
  animation.m_nAnimWide = 80;
  animation.m_nAnimHigh = 25;
  animation.m_strColor = "1E";
  return animation;
}

// The process's CPU seconds, every thread's (the encoder's helper too).
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Size of the file after `gifsicle -O3`, or -1 without gifsicle.
double GifsicleSize(const fs::path& in) {
  if (std::getenv("ZOETRIX_BENCH_NO_GIFSICLE")) return -1;  // when profiling the writer
  if (std::system("command -v gifsicle >/dev/null 2>&1") != 0) return -1;
  const fs::path out = in.string() + ".O3.gif";
  const std::string command = "gifsicle -O3 '" + in.string() + "' -o '" + out.string() + "'";
  if (std::system(command.c_str()) != 0) return -1;
  std::error_code ec;
  const auto bytes = fs::file_size(out, ec);
  fs::remove(out, ec);
  return ec ? -1 : static_cast<double>(bytes);
}

void Run(benchmark::State& state, std::string (*picture)(long), const output::GifOptions& options,
         long frames = kFrames) {
  const Animation animation = Make(picture, frames);
  const fs::path out =
      fs::temp_directory_path() / ("zoetrix-bench-gif-" + std::to_string(::getpid()) + ".gif");
  double seconds = 0, cpu = 0;
  for (auto _ : state) {
    std::error_code ec;
    fs::remove(out, ec);
    const double cpu0 = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!output::WriteGifAnimation(animation, out.string(), &error, options))
      state.SkipWithError(error.c_str());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += CpuSeconds() - cpu0;
  }
  std::error_code ec;
  state.counters["us_per_frame"] =
      seconds * 1e6 / (static_cast<double>(frames) * static_cast<double>(state.iterations()));
  state.counters["cpu_us_per_frame"] =
      cpu * 1e6 / (static_cast<double>(frames) * static_cast<double>(state.iterations()));
  state.counters["bytes"] = static_cast<double>(fs::file_size(out, ec));
  // The canvas in pixels, from the file's header.
  if (std::FILE* gif = std::fopen(out.string().c_str(), "rb")) {
    unsigned char head[10] = {};
    if (std::fread(head, 1, sizeof head, gif) == sizeof head) {
      state.counters["width"] = head[6] | head[7] << 8;
      state.counters["height"] = head[8] | head[9] << 8;
    }
    std::fclose(gif);
  }
  state.counters["gifsicle_O3_bytes"] = frames <= kFrames ? GifsicleSize(out) : -1;
  fs::remove(out, ec);
}

output::GifOptions WholeImages() {
  output::GifOptions options;
  options.wholeImages = true;
  return options;
}

// The writer as it runs; then the yardstick: every image the whole canvas.
void BM_GifDense(benchmark::State& state) { Run(state, DensePicture, {}); }
void BM_GifWalk(benchmark::State& state) { Run(state, WalkPicture, {}); }
void BM_GifDistinctDense(benchmark::State& state) {
  Run(state, DistinctDensePicture, {}, state.range(0));
}
void BM_GifRandomDense(benchmark::State& state) { Run(state, RandomDensePicture, {}); }
void BM_GifDenseWholeImages(benchmark::State& state) { Run(state, DensePicture, WholeImages()); }
void BM_GifWalkWholeImages(benchmark::State& state) { Run(state, WalkPicture, WholeImages()); }

BENCHMARK(BM_GifDense)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWalk)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDistinctDense)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDistinctDense)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifRandomDense)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDenseWholeImages)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWalkWholeImages)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
