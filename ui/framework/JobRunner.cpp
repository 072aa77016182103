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

#include "document/ProgressText.h"
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

void ShowReading(QProgressDialog& dialog, const platform::JobProgress& progress) {
  const platform::JobProgress::Reading reading = progress.Read();
  dialog.setLabelText(QString::fromStdString(document::ProgressText(reading)));
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
