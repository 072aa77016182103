// The main window at work, offscreen:
//  - playback keeps the rate: at 100 frames per second, 1,000 frames take
//    10 s, each tick on its deadline counted from the start;
//  - opening the frame selector takes the same time at any frame count.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QSlider>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/BenchWindow.h"
#include "res/ControlIds.h"
#include "ui/framework/Translations.h"

namespace {

using benchwindow::Pump;
using Clock = std::chrono::steady_clock;

using benchwindow::g_window;

// An 80x25 picture, different for every frame number.
std::string Picture(int n) {
  std::string s;
  for (int line = 0; line < 25; ++line) {
    for (int col = 0; col < 80; ++col) s += static_cast<char>('!' + (n + line * 7 + col) % 90);
    s += "\r\n";
  }
  return s;
}

// Notes the moment of every timer event the window gets.
class TickRecorder : public QObject {
 public:
  std::vector<Clock::time_point> ticks;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) ticks.push_back(Clock::now());
    return false;
  }
};

// Creates an animation at the rate with n distinct pictures, the edit area
// holding a full picture too.
void MakeAnimation(CZoetrixDlg& dlg, int rate, int n) {
  ui::ZDialog::SetControlText(dlg.Control(res::IDC_FRAME_RATE), QString::number(rate));
  dlg.RunCommand(res::IDC_CREATE, ui::Notify::Clicked);
  dlg.doc().m_animation.m_frames.Clear();
  for (int i = 1; i <= n; ++i) dlg.doc().AppendBlankFrame(Picture(i));
  dlg.doc().m_strEditText = Picture(0);
  dlg.UpdateData(false);
  dlg.RefreshFrameControls();
  Pump(0);
}

// Plays 1,000 frames at 100 frames per second from the start to the end.
// Time: from the play command to the tick that shows the last frame (10 s
// when the rate is kept). Counters: how late each tick is against its
// deadline (start + k x 10 ms), as median, 90th percentile and largest.
void BM_PlaybackPace(benchmark::State& state) {
  constexpr int kFrames = 1000;
  constexpr auto kInterval = std::chrono::milliseconds(10);
  CZoetrixDlg& dlg = *g_window->dlg;
  MakeAnimation(dlg, 100, kFrames);
  TickRecorder recorder;
  std::vector<double> errors;
  double lastSeconds = 0;
  for (auto _ : state) {
    recorder.ticks.clear();
    dlg.installEventFilter(&recorder);
    const Clock::time_point start = Clock::now();
    dlg.RunCommand(res::IDC_PLAY_FROM_START, ui::Notify::Clicked);
    while (dlg.HasTimer(CZoetrixDlg::kTimerPlayback))
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    dlg.removeEventFilter(&recorder);
    if (static_cast<int>(recorder.ticks.size()) != kFrames ||
        dlg.doc().m_nPreviewFrame != kFrames) {
      state.SkipWithError("playback did not show every frame once");
      return;
    }
    lastSeconds = std::chrono::duration<double>(recorder.ticks.back() - start).count();
    state.SetIterationTime(lastSeconds);
    for (int k = 0; k < kFrames; ++k) {
      const auto deadline = start + (k + 1) * kInterval;
      errors.push_back(
          std::chrono::duration<double, std::milli>(recorder.ticks[k] - deadline).count());
    }
    Pump(0);
  }
  std::vector<double> signedErrors = errors;
  std::sort(signedErrors.begin(), signedErrors.end());
  state.counters["median_late_ms"] = signedErrors[signedErrors.size() / 2];
  std::sort(errors.begin(), errors.end(),
            [](double a, double b) { return std::abs(a) < std::abs(b); });
  state.counters["last_tick_s"] = lastSeconds;
  state.counters["median_err_ms"] = std::abs(errors[errors.size() / 2]);
  state.counters["p90_err_ms"] = std::abs(errors[errors.size() * 9 / 10]);
  state.counters["max_err_ms"] = std::abs(errors.back());
}
BENCHMARK(BM_PlaybackPace)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// The work of one tick alone, without the drawing the event loop does
// afterwards: the exchange both ways, the lookup, the indicators. Looping
// over 1,000 distinct frames with a full picture in the edit area.
void BM_PlaybackTick(benchmark::State& state) {
  CZoetrixDlg& dlg = *g_window->dlg;
  MakeAnimation(dlg, 100, 1000);
  dlg.doc().m_bLoop = 1;
  dlg.UpdateData(false);
  dlg.RunCommand(res::IDC_PLAY_FROM_START, ui::Notify::Clicked);
  for (auto _ : state) dlg.OnPlaybackTick();
  dlg.RunCommand(res::IDC_PAUSE, ui::Notify::Clicked);
  dlg.doc().m_bLoop = 0;
  dlg.UpdateData(false);
  Pump(0);
}
BENCHMARK(BM_PlaybackTick)->Unit(benchmark::kMicrosecond);

// Opens the preview selector's list with N frames and lets it lay out and
// draw (the events that follow run inside the clock), then closes it again
// with the clock stopped.
void BM_OpenFrameSelector(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CZoetrixDlg& dlg = *g_window->dlg;
  dlg.show();
  dlg.doc().m_bCreated = 1;
  dlg.doc().m_animation.m_nRate = 24;
  dlg.doc().m_animation.m_frames.Clear();
  for (int i = 0; i < n; ++i) dlg.doc().AppendBlankFrame({});
  dlg.RefreshFrameControls();
  dlg.m_comboPreview->setCurrentIndex(n / 2);
  Pump(0);
  for (auto _ : state) {
    const auto start = Clock::now();
    dlg.m_comboPreview->showPopup();
    QApplication::processEvents();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!dlg.m_comboPreview->view()->isVisible()) {
      state.SkipWithError("the list did not open");
      return;
    }
    dlg.m_comboPreview->hidePopup();
    Pump(0);
  }
  dlg.doc().m_animation.m_frames.Clear();
  dlg.RefreshFrameControls();
}
BENCHMARK(BM_OpenFrameSelector)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::InstallQtTranslations(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchwindow::RunWithWindow("window");
  benchmark::Shutdown();
  return 0;
}
