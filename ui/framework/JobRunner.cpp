#include "ui/framework/JobRunner.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <limits>
#include <thread>

#include "res/Texts.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/Modal.h"

namespace ui {
namespace {

constexpr std::chrono::milliseconds kShowAfter{500};
constexpr std::chrono::milliseconds kRefreshEvery{100};
constexpr int kBarSteps = 1000;

JobHooks& Hooks() {
  static JobHooks hooks;
  return hooks;
}
std::chrono::milliseconds g_showAfter = kShowAfter;
int g_running = 0;

QString TimeText(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  if (whole < 60) return U(res::kJobSeconds).arg(whole);
  return U(res::kJobMinutes).arg(whole / 60).arg(whole % 60);
}

// "生成 GIF：第 1200 帧，共 5000 帧" and, once known, the speed and time left.
QString ProgressText(const platform::JobProgress::Reading& reading) {
  const QString what = QString::fromUtf8(reading.what.c_str());
  QString text = reading.total > 0
                     ? U(res::kJobFramesOf)
                           .arg(what)
                           .arg(static_cast<qulonglong>(reading.done))
                           .arg(static_cast<qulonglong>(reading.total))
                     : U(res::kJobFrames).arg(what).arg(static_cast<qulonglong>(reading.done));
  const double rate = platform::UnitsPerSecond(reading);
  if (rate > 0 && reading.seconds >= 0.2)
    text += QStringLiteral("\n") + U(res::kJobRate).arg(static_cast<qulonglong>(rate + 0.5));
  const double left = platform::SecondsLeft(reading);
  if (left >= 0) text += QStringLiteral("，") + U(res::kJobTimeLeft).arg(TimeText(left));
  return text;
}

void ShowReading(QProgressDialog& dialog, const platform::JobProgress& progress) {
  const platform::JobProgress::Reading reading = progress.Read();
  dialog.setLabelText(ProgressText(reading));
  if (reading.total == 0) {
    dialog.setRange(0, 0);  // busy, without a total
    return;
  }
  dialog.setRange(0, kBarSteps);
  const double share = static_cast<double>(reading.done) / static_cast<double>(reading.total);
  dialog.setValue(static_cast<int>(std::min(1.0, share) * (kBarSteps - 1)));
}

}  // namespace

bool JobRunning() { return g_running > 0; }

void OnWindowThread(const std::function<void()>& fn) {
  if (QThread::currentThread() == qApp->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

bool RunJob(QWidget* parent, const std::function<void(platform::JobProgress&)>& work) {
  platform::JobProgress progress;
  if (Hooks().started) Hooks().started(progress);
  if (ModalRunsEnded()) progress.Cancel();

  QEventLoop loop;
  std::atomic<bool> finished{false};
  std::exception_ptr thrown;
  ++g_running;
  std::thread worker([&] {
    try {
      work(progress);
    } catch (...) {
      thrown = std::current_exception();
    }
    finished.store(true);
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });

  QProgressDialog dialog(parent);
  dialog.setWindowTitle(parent ? parent->windowTitle() : QString());
  dialog.setCancelButtonText(U(res::kJobCancel));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  // It shows when we say, never by its own estimate.
  dialog.setMinimumDuration(std::numeric_limits<int>::max());
  dialog.setMinimumWidth(360);
  dialog.hide();
  // 取消, closing it, Esc, or every dialog ending with the application.
  QObject::connect(&dialog, &QProgressDialog::canceled, [&] { progress.Cancel(); });
  QObject::connect(&dialog, &QDialog::rejected, [&] { progress.Cancel(); });

  QTimer refresh;
  refresh.setInterval(kRefreshEvery);
  QObject::connect(&refresh, &QTimer::timeout, [&] {
    // The application is ending: the job stops, its files go.
    if (ModalRunsEnded()) progress.Cancel();
    if (!dialog.isVisible()) return;
    ShowReading(dialog, progress);
    if (Hooks().shown) Hooks().shown(dialog, progress);
  });
  refresh.start();

  // Until the window shows, keys and clicks wait for the job to end.
  QTimer::singleShot(g_showAfter, &loop, [&] {
    if (finished.load()) return;
    ShowReading(dialog, progress);
    dialog.show();
    loop.quit();
  });
  if (!finished.load()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!finished.load()) {
    if (Hooks().shown) Hooks().shown(dialog, progress);
    if (!finished.load()) loop.exec();
  }
  worker.join();
  --g_running;
  if (Hooks().finished) Hooks().finished(progress);
  refresh.stop();
  QObject::disconnect(&dialog, nullptr, nullptr, nullptr);
  dialog.hide();
  if (thrown) std::rethrow_exception(thrown);
  return !progress.Cancelled();
}

void SetJobHooksForTesting(JobHooks hooks) { Hooks() = std::move(hooks); }

void SetJobDialogDelayForTesting(std::chrono::milliseconds delay) {
  g_showAfter = delay.count() > 0 ? delay : kShowAfter;
}

}  // namespace ui
