// The one-line form of frame texts both ways, and the printf literal form,
// over 1,000 distinct 80x25 pictures: dense ones (ASCII and Chinese in every
// row) and mostly blank ones with a caption. The yardstick is a plain copy of
// the same bytes in the same run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchPictures.h"
#include "project/FrameTextEscape.h"

namespace {

std::vector<std::string> Pictures(std::string (*picture)(long)) {
  std::vector<std::string> out;
  for (long i = 0; i < 1000; ++i) out.push_back(picture(i));
  return out;
}

const std::vector<std::string>& Texts(int kind) {
  static const std::vector<std::string> dense = Pictures(DensePicture);
  static const std::vector<std::string> numbered = Pictures(NumberedPicture);
  return kind == 0 ? dense : numbered;
}

const std::vector<std::string>& Escaped(int kind) {
  static const auto make = [](const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const auto& t : texts) out.push_back(output::EscapeFrameText(t));
    return out;
  };
  static const std::vector<std::string> dense = make(Texts(0));
  static const std::vector<std::string> numbered = make(Texts(1));
  return kind == 0 ? dense : numbered;
}

template <typename F>
void Run(benchmark::State& state, const std::vector<std::string>& inputs, F f) {
  std::size_t bytes = 0, frames = 0;
  for (auto _ : state)
    for (const auto& text : inputs) {
      std::string out = f(text);
      benchmark::DoNotOptimize(out.data());
      bytes += text.size();
      ++frames;
    }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.SetItemsProcessed(static_cast<std::int64_t>(frames));  // frames per second
}

// Argument 0: dense pictures; 1: mostly blank ones with a caption.
void BM_PlainCopy(benchmark::State& state) {
  Run(state, Texts(static_cast<int>(state.range(0))),
      [](const std::string& t) { return std::string(t); });
}
void BM_EscapeFrameText(benchmark::State& state) {
  Run(state, Texts(static_cast<int>(state.range(0))), output::EscapeFrameText);
}
void BM_UnescapeFrameText(benchmark::State& state) {
  Run(state, Escaped(static_cast<int>(state.range(0))), output::UnescapeFrameText);
}
void BM_EscapeFrameLiteral(benchmark::State& state) {
  Run(state, Texts(static_cast<int>(state.range(0))), output::EscapeFrameLiteral);
}

BENCHMARK(BM_PlainCopy)->Arg(0)->Arg(1);
BENCHMARK(BM_EscapeFrameText)->Arg(0)->Arg(1);
BENCHMARK(BM_UnescapeFrameText)->Arg(0)->Arg(1);
BENCHMARK(BM_EscapeFrameLiteral)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
