// The animation document at sizes people reach with bulk commands:
//  - appending frames must cost the same at 1,000 as at 100,000 frames;
//  - the main window's frame controls must refresh quickly however long the
//    animation is (the selectors make their items on demand);
//  - copies of one picture must share its text instead of copying bytes.
//
// The refresh cases drive the real main window offscreen, so this program has
// its own main: it starts the QApplication, answers every dialog and message
// box, and points the tool at a scratch folder before the window exists.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchWindow.h"
#include "document/AnimationDocument.h"

namespace {

constexpr int kBatch = 1000;

// One full 80x25 screen: 80 characters and CR LF on each of 25 lines.
std::string Picture() {
  std::string s;
  for (int line = 0; line < 25; ++line) {
    for (int col = 0; col < 80; ++col) s += static_cast<char>('!' + (line * 7 + col) % 90);
    s += "\r\n";
  }
  return s;
}

// --------------------------------------------------------------- appending

// Appends a batch of frames, each holding a full picture, onto a document
// that already has N frames. The batch is taken off again with the clock
// stopped, so every batch meets the same N.
void BM_AppendBlankFrame(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string picture = Picture();
  AnimationDocument doc;
  for (int i = 0; i < n; ++i) doc.AppendBlankFrame({});
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) doc.AppendBlankFrame(picture);
    state.PauseTiming();
    doc.m_frames.Erase(static_cast<std::size_t>(n), kBatch);
    doc.m_nFrames = n;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_AppendBlankFrame)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Builds a document of N blank frames from nothing, growth included.
void BM_BuildBlankFrames(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    AnimationDocument doc;
    for (int i = 0; i < n; ++i) doc.AppendBlankFrame({});
    benchmark::DoNotOptimize(doc.m_frames.Last());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BuildBlankFrames)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------------------ memory

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Heap bytes that N frames add to an empty document.
template <typename AppendFn>
void MeasureFrames(benchmark::State& state, AppendFn append) {
  const int n = static_cast<int>(state.range(0));
  double bytes = 0;
  for (auto _ : state) {
    auto doc = std::make_unique<AnimationDocument>();
    const std::size_t before = HeapInUse();
    append(*doc, n);
    const std::size_t after = HeapInUse();
    bytes = static_cast<double>(after - before);
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.counters["bytes"] = bytes;
  state.counters["MiB"] = bytes / (1024.0 * 1024.0);
  state.counters["bytes_per_frame"] = bytes / n;
}

// N copies of one picture: one text, shared by every frame.
void BM_MemorySharedPicture(benchmark::State& state) {
  MeasureFrames(state, [](AnimationDocument& doc, int n) {
    const FrameText picture = MakeFrameText(Picture());
    for (int i = 0; i < n; ++i) doc.m_frames.Append(picture);
    doc.m_nFrames = n;
  });
}
BENCHMARK(BM_MemorySharedPicture)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// For scale: the same frames each typed in through the append command, so
// each holds its own copy of the picture.
void BM_MemoryTypedPictures(benchmark::State& state) {
  MeasureFrames(state, [](AnimationDocument& doc, int n) {
    const std::string picture = Picture();
    for (int i = 0; i < n; ++i) doc.AppendBlankFrame(picture);
  });
}
BENCHMARK(BM_MemoryTypedPictures)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// ----------------------------------------------------------------- refresh

using benchwindow::Hooks;
using benchwindow::Pump;
using benchwindow::Window;

Window* g_window = nullptr;

// RefreshFrameControls alone, with the frame list set to N frames directly.
// Between timings one frame is added or taken off, as the append command
// does before it refreshes, and the events the refresh posted are run.
void BM_RefreshFrameControls(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int n = static_cast<int>(state.range(0));
  CZoetrixDlg& dlg = *g_window->dlg;
  dlg.m_bCreated = 1;
  dlg.m_nRate = 24;
  dlg.m_frames.Clear();
  dlg.m_nFrames = 0;
  for (int i = 0; i < n; ++i) dlg.AppendBlankFrame({});
  Pump(0);

  // The first refresh at this size, with nothing warmed up for it.
  auto start = Clock::now();
  dlg.RefreshFrameControls();
  state.counters["first_us"] =
      std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  Pump(0);

  bool extra = false;
  for (auto _ : state) {
    if (extra) {
      dlg.m_frames.Erase(static_cast<std::size_t>(n), 1);
      dlg.m_nFrames = n;
    } else {
      dlg.AppendBlankFrame({});
    }
    extra = !extra;
    start = Clock::now();
    dlg.RefreshFrameControls();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    Pump(0);
  }
  if (dlg.m_strFrameTotal != std::to_string(dlg.m_nFrames) ||
      dlg.m_comboEdit->count() != dlg.m_nFrames)
    state.SkipWithError("the selectors do not show the frames");
  dlg.m_frames.Clear();
  dlg.m_nFrames = 0;
  dlg.m_bCreated = 0;
}
BENCHMARK(BM_RefreshFrameControls)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  {
    Hooks hooks;
    Window window("doc");
    g_window = &window;
    benchmark::RunSpecifiedBenchmarks();
    g_window = nullptr;
  }
  benchmark::Shutdown();
  return 0;
}
