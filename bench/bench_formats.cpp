// The web page, GIF and asciicast writers at 1,000 / 10,000 / 100,000
// distinct 80x25 frames, each beside a plain buffered write (no fsync) of
// the same number of bytes in the same run. Two kinds of picture: a walking
// figure over a fixed picture with a changing Chinese caption (`walk`, the
// usual animation where a little moves) and dense pictures, ASCII and
// Chinese in every row, every frame different (`dense`). The GIF of 100,000
// dense frames is left out: it takes minutes.
//
// Counters: ns_per_frame, bytes (size of the file), and rss_growth_MiB: the
// peak resident memory during the export above what the process held before
// it, the document included (the peak is reset through
// /proc/self/clear_refs). Streaming keeps rss_growth_MiB at a few MiB at
// every size.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "BenchPictures.h"
#include "platform/Cp936.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::MakeFrameText;

using output::WriteCastAnimation;
using output::WriteGifAnimation;
using output::WriteHtmlAnimation;

namespace {

namespace fs = std::filesystem;

std::string Picture(int n) {
  std::string out;
  const std::string caption =
      platform::cp936::ToGbk("第" + std::to_string(n) + "帧：小猫散步").bytes;
  for (int row = 0; row < 25; ++row) {
    std::string line(80, row == 0 || row == 24 ? '=' : ' ');
    if (row == 12) line.replace(static_cast<std::size_t>(n % 60), 9, "( o.o )/\\");
    if (row == 13) line.replace(static_cast<std::size_t>(n % 60), 9, " /| |\\  ");
    if (row == 20) line.replace(2, caption.size(), caption);
    if (row) out += "\r\n";
    out += line;
  }
  return out;
}

// One animation at a time: 100,000 pictures take about 200 MB.
Animation& AnimationOf(int n, bool dense) {
  static std::unique_ptr<Animation> animation;
  static int size = -1;
  static bool denseNow = false;
  if (size != n || denseNow != dense) {
    animation.reset();
    animation = std::make_unique<Animation>();
    for (int i = 0; i < n; ++i)
      animation->m_frames.Append(MakeFrameText(dense ? DistinctDensePicture(i) : Picture(i)));
    denseNow = dense;
    animation->m_nRate = 24;
    animation->m_nAnimWide = 80;
    animation->m_nAnimHigh = 25;
    animation->m_strColor = "1E";
    animation->m_strAnimName = platform::cp936::ToGbk("散步").bytes;
    size = n;
  }
  return *animation;
}

long ReadStatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  return 0;
}

// Resets the peak to the current resident size; false where the kernel does
// not allow it.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

fs::path Scratch(const char* name) {
  return fs::temp_directory_path() /
         ("zoetrix-bench-formats-" + std::to_string(::getpid()) + "-" + name);
}

using Writer = std::function<bool(const Animation&, const std::string&, std::string*)>;

std::map<std::string, std::uintmax_t>& SizeOf() {
  static std::map<std::string, std::uintmax_t> sizes;
  return sizes;
}

void RunFormat(benchmark::State& state, const std::string& name, const Writer& write, bool dense) {
  const int n = static_cast<int>(state.range(0));
  const Animation& animation = AnimationOf(n, dense);
  const fs::path out = Scratch(name.c_str());
  long growth = 0;
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const bool reset = ResetPeak();
    const long before = ReadStatusKiB("VmRSS");
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!write(animation, out.string(), &error)) state.SkipWithError(error.c_str());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    growth = reset ? ReadStatusKiB("VmHWM") - before : -1;
    state.ResumeTiming();
  }
  std::error_code ec;
  const auto bytes = fs::file_size(out, ec);
  SizeOf()[name + "/" + std::to_string(n)] = bytes;
  fs::remove(out, ec);
  state.counters["ns_per_frame"] =
      seconds * 1e9 / (static_cast<double>(n) * static_cast<double>(state.iterations()));
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["rss_growth_MiB"] = static_cast<double>(growth) / 1024.0;
}

// The same number of bytes as the format's file, written with fwrite in
// 64 KiB pieces and closed, without fsync.
void RunPlainWrite(benchmark::State& state, const std::string& name) {
  const int n = static_cast<int>(state.range(0));
  const std::uintmax_t bytes = SizeOf()[name + "/" + std::to_string(n)];
  const std::string chunk(64 * 1024, 'x');
  const fs::path out = Scratch("plain");
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    for (std::uintmax_t left = bytes; left > 0;) {
      const std::size_t piece = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
      std::fwrite(chunk.data(), 1, piece, f);
      left -= piece;
    }
    std::fclose(f);
  }
  std::error_code ec;
  fs::remove(out, ec);
  state.counters["bytes"] = static_cast<double>(bytes);
}

void Register() {
  struct Format {
    const char* name;
    Writer write;
  };
  const Format formats[] = {
      {"Html", [](const Animation& a, const std::string& p,
                  std::string* e) { return WriteHtmlAnimation(a, p, e); }},
      {"Cast", [](const Animation& a, const std::string& p,
                  std::string* e) { return WriteCastAnimation(a, p, e); }},
      {"Gif", [](const Animation& a, const std::string& p,
                 std::string* e) { return WriteGifAnimation(a, p, e); }},
  };
  for (const bool dense : {false, true})
    for (int n : {1000, 10000, 100000})
      for (const Format& f : formats) {
        if (dense && n > 10000 && std::string(f.name) == "Gif") continue;
        const std::string name = std::string(f.name) + (dense ? "_dense" : "_walk");
        benchmark::RegisterBenchmark(
            ("BM_" + name).c_str(),
            [f, name, dense](benchmark::State& s) { RunFormat(s, name, f.write, dense); })
            ->Arg(n)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_PlainWriteSameBytes_" + name).c_str(),
                                     [name](benchmark::State& s) { RunPlainWrite(s, name); })
            ->Arg(n)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
      }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
