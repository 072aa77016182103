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
#include <functional>
#include <memory>
#include <string>

#include <fcntl.h>
#include <QAbstractButton>

#include "bench/BenchPictures.h"
#include "bench/BenchSizes.h"
#include "bench/BenchWindow.h"
#include "document/AnimationDocument.h"
#include "platform/Cp936.h"
#include "platform/ProgramFolder.h"
#include "project/ProjectFile.h"
#include "res/ControlIds.h"
#include "ui/DelFrame.h"
#include "ui/framework/FileDialog.h"

using document::AnimationDocument;
using document::FrameText;
using document::MakeFrameText;

using output::WriteProjectFile;

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
    doc.m_animation.m_frames.Erase(static_cast<std::size_t>(n), kBatch);
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
    benchmark::DoNotOptimize(doc.m_animation.m_frames.Last());
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
    for (int i = 0; i < n; ++i) doc.m_animation.m_frames.Append(picture);
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

using benchwindow::g_onDialog;
using benchwindow::Pump;

using benchwindow::g_window;

// RefreshFrameControls alone, with the frame list set to N frames directly.
// Between timings one frame is added or taken off, as the append command
// does before it refreshes, and the events the refresh posted are run.
void BM_RefreshFrameControls(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int n = static_cast<int>(state.range(0));
  CZoetrixDlg& dlg = *g_window->dlg;
  dlg.doc().m_bCreated = 1;
  dlg.doc().m_animation.m_nRate = 24;
  dlg.doc().m_animation.m_frames.Clear();
  for (int i = 0; i < n; ++i) dlg.doc().AppendBlankFrame({});
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
      dlg.doc().m_animation.m_frames.Erase(static_cast<std::size_t>(n), 1);
    } else {
      dlg.doc().AppendBlankFrame({});
    }
    extra = !extra;
    start = Clock::now();
    dlg.RefreshFrameControls();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    Pump(0);
  }
  if (dlg.doc().m_strFrameTotal != std::to_string(dlg.doc().FrameCount()) ||
      dlg.m_comboEdit->count() != dlg.doc().FrameCount())
    state.SkipWithError("the selectors do not show the frames");
  dlg.doc().m_animation.m_frames.Clear();
  dlg.doc().m_bCreated = 0;
}
BENCHMARK(BM_RefreshFrameControls)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// ------------------------------------------------- what the user waits for
//
// Whole commands of the real window, from the click to the last message,
// refresh included. Sizes: BenchSizes.h (ZOETRIX_BENCH_FRAMES), so a
// million frames can be asked for.

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void ReportPerFrame(benchmark::State& state) {
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)) / 1e6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A project of n distinct pictures, written once per size.
std::string ProjectOf(long n) {
  static long madeFor = -1;
  const std::filesystem::path file = g_window->dir / "Project" / "bench-open.ini";
  if (madeFor != n) {
    auto doc = std::make_unique<AnimationDocument>();
    doc->m_animation.m_strAnimName = "bench";
    doc->m_animation.m_strColor = "07";
    doc->m_animation.m_nAnimWide = 80;
    doc->m_animation.m_nAnimHigh = 25;
    doc->m_animation.m_nRate = 24;
    for (long i = 0; i < n; ++i)
      doc->m_animation.m_frames.Append(MakeFrameText(NumberedPicture(i)));
    std::filesystem::remove(file);
    if (!WriteProjectFile(doc->m_animation, file).ok()) std::abort();
    madeFor = n;
  }
  return file.string();
}

// "打开" in replacing mode over an open animation: the question, reading,
// the new code file, the frame controls' refresh and "已导入！".
void BM_WindowOpenProject(benchmark::State& state) {
  CZoetrixDlg& dlg = *g_window->dlg;
  const QString path = QString::fromStdString(ProjectOf(state.range(0)));
  ui::SetOpenFileResponderForTesting([path](const QString&) { return path; });
  for (auto _ : state) {
    const auto start = Clock::now();
    dlg.OnOpenProject();
    state.SetIterationTime(Seconds(start));
    if (dlg.doc().FrameCount() != state.range(0)) state.SkipWithError("the project did not open");
    Pump(0);
  }
  ui::SetOpenFileResponderForTesting({});
  ReportPerFrame(state);
}

// The same project's bytes read into one buffer of its size, allocated and
// touched once: the yardstick for opening, in the same run.
void BM_WindowPlainRead(benchmark::State& state) {
  const std::string path = ProjectOf(state.range(0));
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
  const std::unique_ptr<char[]> buffer(new char[size]());  // touched once, before timing
  for (auto _ : state) {
    const auto start = Clock::now();
    ReadWholeFile(path, buffer.get(), size);
    benchmark::DoNotOptimize(buffer.get());
    state.SetIterationTime(Seconds(start));
  }
  ReportPerFrame(state);
}

// The window holding an animation of exactly n frames, copies of one picture.
void SetFrames(CZoetrixDlg& dlg, long n) {
  dlg.doc().m_bCreated = 1;
  dlg.doc().m_animation.m_nRate = 24;
  if (dlg.doc().FrameCount() > n) {
    dlg.doc().m_animation.m_frames.Erase(static_cast<std::size_t>(n),
                                         static_cast<std::size_t>(dlg.doc().FrameCount() - n));
  }
  const FrameText picture = MakeFrameText(Picture());
  while (dlg.doc().FrameCount() < n) {
    dlg.doc().m_animation.m_frames.Append(picture);
  }
  dlg.doc().m_strEditText = *picture;
  dlg.UpdateData(false);
  dlg.RefreshFrameControls();
  Pump(0);
}

constexpr int kDelaySeconds = 100;  // 2,400 copies at 24 frames a second

// "添加延时帧" (100 s at 24 frames a second), ending at n frames.
void BM_WindowDelayFrames(benchmark::State& state) {
  CZoetrixDlg& dlg = *g_window->dlg;
  const long copies = kDelaySeconds * 24L;
  for (auto _ : state) {
    state.PauseTiming();
    SetFrames(dlg, state.range(0) - copies);
    dlg.SetDlgItemText(res::IDC_DELAY, QString::number(kDelaySeconds));
    state.ResumeTiming();
    const auto start = Clock::now();
    dlg.OnAddDelayFrames();
    state.SetIterationTime(Seconds(start));
    if (dlg.doc().FrameCount() != state.range(0)) state.SkipWithError("the copies were not added");
    Pump(0);
  }
}

// "删除选项", deleting the 2,400 frames after the middle frame.
void BM_WindowDeleteRange(benchmark::State& state) {
  CZoetrixDlg& dlg = *g_window->dlg;
  const long n = state.range(0);
  const long from = n / 2;
  g_onDialog = [from](QDialog& d) {
    auto& options = static_cast<DelFrame&>(d);
    ui::ZDialog::SetControlText(options.Control(res::IDC_DEL_RANGE_FIRST), QString::number(from));
    ui::ZDialog::SetControlText(options.Control(res::IDC_DEL_RANGE_SECOND),
                                QString::number(from + 2401));
    options.ControlAs<QAbstractButton>(res::IDC_DEL_RANGE)->click();
  };
  for (auto _ : state) {
    state.PauseTiming();
    SetFrames(dlg, n);
    state.ResumeTiming();
    const auto start = Clock::now();
    dlg.OnDeleteOptions();
    state.SetIterationTime(Seconds(start));
    if (dlg.doc().FrameCount() != n - 2400) state.SkipWithError("the frames were not deleted");
    Pump(0);
  }
  g_onDialog = nullptr;
}

// Ctrl+Del at n frames.
void BM_WindowDeleteLast(benchmark::State& state) {
  CZoetrixDlg& dlg = *g_window->dlg;
  for (auto _ : state) {
    state.PauseTiming();
    SetFrames(dlg, state.range(0));
    state.ResumeTiming();
    const auto start = Clock::now();
    dlg.OnDeleteLastFrame();
    state.SetIterationTime(Seconds(start));
    if (dlg.doc().FrameCount() != state.range(0) - 1)
      state.SkipWithError("the frame was not deleted");
    Pump(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (long n : BenchFrameCounts()) {
    auto add = [n](const char* name, void (*fn)(benchmark::State&)) {
      return benchmark::RegisterBenchmark(name, fn)->Arg(n)->UseManualTime()->Unit(
          benchmark::kMillisecond);
    };
    add("BM_WindowOpenProject", BM_WindowOpenProject);
    add("BM_WindowPlainRead", BM_WindowPlainRead);
    if (n > 2 * 2401) {
      add("BM_WindowDelayFrames", BM_WindowDelayFrames);
      add("BM_WindowDeleteRange", BM_WindowDeleteRange);
    }
    add("BM_WindowDeleteLast", BM_WindowDeleteLast);
  }
  benchwindow::RunWithWindow("doc");
  benchmark::Shutdown();
  return 0;
}
