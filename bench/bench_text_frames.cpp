// Frames from a text file: splitting and converting must grow linearly with
// the text and stay within a small factor of converting the same text to
// GBK in one piece, measured beside it.
#include <benchmark/benchmark.h>

#include <string>

#include "output/TextFrames.h"
#include "platform/Cp936.h"

using output::SplitTextFrames;
using output::TextFramesResult;

namespace {

// n pictures of 80 x 25 in UTF-8, a Chinese caption on each, separated by
// form feed lines as `zoetrix --play` writes them.
std::string Text(int frames) {
  std::string out;
  for (int n = 0; n < frames; ++n) {
    if (n > 0) out += "\f\n";
    for (int row = 0; row < 25; ++row) {
      std::string line(80, ' ');
      line[static_cast<std::size_t>((n + row) % 80)] = '*';
      if (row == 24) line = "第" + std::to_string(n) + "帧：走路 \"walk\"";
      out += line + "\n";
    }
  }
  return out;
}

void BM_SplitTextFrames(benchmark::State& state) {
  const std::string text = Text(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TextFramesResult r = SplitTextFrames(text);
    benchmark::DoNotOptimize(r.frames.data());
    if (!r.ok()) state.SkipWithError(r.error.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The floor: the whole text converted in one call.
void BM_WholeTextToGbk(benchmark::State& state) {
  const std::string text = Text(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    platform::cp936::GbkResult r = platform::cp936::ToGbk(text);
    benchmark::DoNotOptimize(r.bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(BM_SplitTextFrames)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeTextToGbk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
