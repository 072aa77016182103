// What keeping the recovery copy costs in the real main window at large
// sizes (default 1,000,000 frames; ZOETRIX_BENCH_FRAMES chooses others):
// the writing and the CPU of one save after a keystroke or a frame command,
// and the latency of typing while the copy is kept.
//
// The animation holds dense pictures (1,000 distinct ones in turn, so a
// million frames fit in memory; the copy still holds every frame). The
// window's recovery timer is called directly: every 30 keystrokes in the
// typing case, as its 3-second period does at ten keys a second.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchPictures.h"
#include "bench/BenchSizes.h"
#include "bench/BenchWindow.h"
#include "document/AnimationDocument.h"
#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "res/ControlIds.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/ZDialog.h"

namespace {

using Clock = std::chrono::steady_clock;

// The process's CPU seconds, every thread's (the background writer's too).
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Bytes this process has handed to write calls so far.
double WrittenBytes() {
  std::ifstream io("/proc/self/io");
  for (std::string line; std::getline(io, line);)
    if (line.rfind("wchar:", 0) == 0) return std::atof(line.c_str() + 6);
  return -1;
}

CZoetrixDlg& Dlg() { return *benchwindow::g_window->dlg; }

// The window holding n frames, its copy written once, and the edit area on
// the last frame with a dense picture in it.
void Prepare(long n) {
  static long prepared = -1;
  if (prepared == n) return;
  prepared = n;
  CZoetrixDlg& d = Dlg();
  document::AnimationDocument& doc = d.doc();
  doc.m_animation = document::DefaultAnimation();
  doc.m_history.Clear();
  std::vector<document::FrameText> pictures;
  for (long i = 0; i < 1000; ++i) pictures.push_back(document::MakeFrameText(DensePicture(i)));
  doc.m_animation.m_frames.Reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) doc.m_animation.m_frames.Append(pictures[i % 1000]);
  doc.m_bCreated = 1;
  d.RefreshFrameControls();
  ui::ZDialog::SetControlText(d.Control(res::IDC_EDIT_AREA),
                              QString::fromUtf8(platform::cp936::ToUtf8(DensePicture(7)).c_str()));
  d.SaveRecoveryCopy();
  d.Recovery()->Wait();
  benchwindow::Pump(0);
}

// One key typed at the end of the edit area.
void TypeKey(char c) {
  QWidget* edit = Dlg().Control(res::IDC_EDIT_AREA);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(QChar(c)));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(QChar(c)));
  QApplication::sendEvent(edit, &press);
  QApplication::sendEvent(edit, &release);
}

// One save of the copy as the timer makes it, waited for; its CPU and
// bytes written added to the totals.
void TimedSave(benchmark::State& state, double& cpu, double& bytes) {
  const double cpu0 = CpuSeconds(), bytes0 = WrittenBytes();
  const auto t0 = Clock::now();
  Dlg().SaveRecoveryCopy();
  Dlg().Recovery()->Wait();
  state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
  cpu += CpuSeconds() - cpu0;
  bytes += WrittenBytes() - bytes0;
}

void Report(benchmark::State& state, double cpu, double bytes) {
  const double n = static_cast<double>(state.iterations());
  state.counters["cpu_ms"] = cpu / n * 1e3;
  state.counters["MiB_written"] = bytes / n / (1 << 20);
}

// A keystroke, then the save that keeps it.
void BM_RecoveryKeystroke(benchmark::State& state) {
  Prepare(state.range(0));
  double cpu = 0, bytes = 0;
  for (auto _ : state) {
    TypeKey('k');
    TimedSave(state, cpu, bytes);
  }
  Report(state, cpu, bytes);
}

// A frame command (a blank frame appended, or the last frame deleted, in
// turn), then the save that keeps it. The command is not timed.
void BM_RecoveryFrameCommand(benchmark::State& state) {
  Prepare(state.range(0));
  double cpu = 0, bytes = 0;
  bool append = Dlg().doc().FrameCount() < document::kMaxFrames;
  for (auto _ : state) {
    if (append)
      Dlg().OnAppendBlankFrame();
    else
      Dlg().OnDeleteLastFrame();
    append = !append;
    benchwindow::Pump(0);
    TimedSave(state, cpu, bytes);
  }
  Report(state, cpu, bytes);
}

// keys keystrokes 10 ms apart with the timer's save after every
// saveEvery-th (none when saveEvery is 0: the same typing without the copy,
// for the baseline), as it comes between two keys: the latency of each key
// is its handling plus a save that it waits behind. With saveEvery 1 every
// keystroke is followed by the recovery step it triggers, the window's whole
// share of keeping it (the writer works on in the background). Counters in
// milliseconds; tick_max_ms is the longest save alone, near_tick_max_ms the
// slowest of the key with a save and the two after it (while the writer
// works), other_max_ms the slowest of the rest; with saveEvery 1,
// step_p50_ms and step_p99_ms are the recovery step's own share.
void TypeWhileKept(benchmark::State& state, int saveEvery, int keys) {
  Prepare(state.range(0));
  std::vector<double> latencies, steps;
  double tickMax = 0, nearTickMax = 0, otherMax = 0;
  for (auto _ : state) {
    latencies.clear();
    steps.clear();
    for (int key = 1; key <= keys; ++key) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      const auto t0 = Clock::now();
      const bool save = saveEvery > 0 && key % saveEvery == 0;
      if (save && saveEvery > 1) {
        Dlg().SaveRecoveryCopy();
        tickMax =
            std::max(tickMax, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
      }
      TypeKey(static_cast<char>('a' + key % 26));
      QApplication::processEvents();
      if (save && saveEvery == 1) {
        const auto t1 = Clock::now();
        Dlg().SaveRecoveryCopy();
        steps.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t1).count());
        tickMax = std::max(tickMax, steps.back());
      }
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      latencies.push_back(ms);
      // The key with the save and the two after it (while the writer runs),
      // against all the others.
      const bool nearTick = saveEvery > 0 && key >= saveEvery && key % saveEvery <= 2;
      double& max = nearTick || saveEvery == 1 ? nearTickMax : otherMax;
      max = std::max(max, ms);
    }
    Dlg().Recovery()->Wait();
    std::sort(latencies.begin(), latencies.end());
    state.SetIterationTime(latencies[latencies.size() / 2] / 1e3);
  }
  state.counters["p50_ms"] = latencies[latencies.size() / 2];
  state.counters["p99_ms"] = latencies[latencies.size() * 99 / 100];
  state.counters["max_ms"] = latencies.back();
  state.counters["near_tick_max_ms"] = nearTickMax;
  if (saveEvery != 1) state.counters["other_max_ms"] = otherMax;
  if (saveEvery > 0) state.counters["tick_max_ms"] = tickMax;
  if (!steps.empty()) {
    // The recovery step alone, each after its key.
    std::sort(steps.begin(), steps.end());
    state.counters["step_p50_ms"] = steps[steps.size() / 2];
    state.counters["step_p99_ms"] = steps[steps.size() * 99 / 100];
  }
}

// The first keystroke after the animation was opened from its project
// file (written once, before), then the save that keeps it. The opening is
// not timed.
void BM_RecoveryFirstKeystrokeAfterOpen(benchmark::State& state) {
  Prepare(state.range(0));
  const std::filesystem::path project = benchwindow::g_window->dir / "Project" / "opened.ini";
  if (!std::filesystem::exists(project) &&
      !output::WriteNewProjectFile(Dlg().doc().m_animation, project).ok()) {
    state.SkipWithError("the project was not written");
    return;
  }
  ui::SetOpenFileResponderForTesting(
      [project](const QString&) { return QString::fromStdString(project.string()); });
  double cpu = 0, bytes = 0;
  for (auto _ : state) {
    Dlg().doc().m_bAppend = 0;
    Dlg().OnOpenProject();
    benchwindow::Pump(0);
    TypeKey('o');
    TimedSave(state, cpu, bytes);
  }
  ui::SetOpenFileResponderForTesting({});
  Report(state, cpu, bytes);
}

void BM_RecoveryTypingLatency(benchmark::State& state) { TypeWhileKept(state, 30, 300); }
void BM_TypingLatencyWithoutCopy(benchmark::State& state) { TypeWhileKept(state, 0, 300); }
// Every keystroke followed at once by the recovery step it triggers.
void BM_RecoveryKeystrokeThenStep(benchmark::State& state) { TypeWhileKept(state, 1, 1000); }

void Register() {
  std::vector<long> sizes = {1000000};
  if (std::getenv("ZOETRIX_BENCH_FRAMES")) sizes = BenchFrameCounts();
  for (long n : sizes) {
    const long frames = std::min<long>(n, document::kMaxFrames);
    benchmark::RegisterBenchmark("BM_RecoveryKeystroke", BM_RecoveryKeystroke)
        ->Arg(frames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RecoveryFrameCommand", BM_RecoveryFrameCommand)
        ->Arg(frames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RecoveryTypingLatency", BM_RecoveryTypingLatency)
        ->Arg(frames)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RecoveryKeystrokeThenStep", BM_RecoveryKeystrokeThenStep)
        ->Arg(frames)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_TypingLatencyWithoutCopy", BM_TypingLatencyWithoutCopy)
        ->Arg(frames)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RecoveryFirstKeystrokeAfterOpen",
                                 BM_RecoveryFirstKeystrokeAfterOpen)
        ->Arg(frames)
        ->UseManualTime()
        ->Iterations(2)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Register();
  benchwindow::RunWithWindow("recovery-cost");
  benchmark::Shutdown();
  return 0;
}
