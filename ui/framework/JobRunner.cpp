#include "ui/framework/JobRunner.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <limits>
#include <thread>
#include <utility>

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
int g_asking = 0;             // the job waits on a box of the window's thread
QWidget* g_dialog = nullptr;  // the running job's progress window

// Keys, clicks and wheel turns meant for the job's window are dropped while
// the job runs; its progress window and the boxes it opens answer as usual.
class HoldInput : public QObject {
 public:
  explicit HoldInput(QWidget* window) : m_window(window) {
    if (m_window) qApp->installEventFilter(this);
  }
  ~HoldInput() override {
    if (m_window) qApp->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::InputMethod:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        break;
      default:
        return false;
    }
    if (auto* widget = qobject_cast<QWidget*>(watched)) return widget->window() == m_window;
    // A window's shortcut (an action's, say) while the window is in front.
    return event->type() == QEvent::Shortcut && QApplication::activeWindow() == m_window;
  }

 private:
  QWidget* m_window;
};

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
  std::exception_ptr thrown;
  QMetaObject::invokeMethod(
      qApp,
      [&fn, &thrown] {
        // The progress window steps aside while the job asks or tells
        // something, so the box is never under it; it comes back after.
        ++g_asking;
        if (g_dialog) g_dialog->hide();
        try {
          fn();
        } catch (...) {
          thrown = std::current_exception();  // for the job's thread
        }
        --g_asking;
      },
      Qt::BlockingQueuedConnection);
  if (thrown) std::rethrow_exception(thrown);
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
  // From the start until the job's thread has ended, the window takes no
  // keys or clicks: nothing can start a second job or change what this one
  // works on, also after 取消 while the job is stopping.
  const HoldInput hold(parent ? parent->window() : nullptr);

  QProgressDialog dialog(parent);
  dialog.setWindowTitle(parent ? parent->windowTitle() : QString());
  dialog.setCancelButtonText(U(res::kJobCancel));
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  // It shows when we say, never by its own estimate.
  dialog.setMinimumDuration(std::numeric_limits<int>::max());
  dialog.setMinimumWidth(360);
  dialog.hide();
  // A job started from a box of another job's has a progress window of its
  // own, not held back by the other's question.
  QWidget* const outer = std::exchange(g_dialog, &dialog);
  const int outerAsking = std::exchange(g_asking, 0);

  const auto startedAt = std::chrono::steady_clock::now();
  bool cancelling = false;
  const auto showDue = [&] {
    // Nothing comes up any more once the application is ending.
    if (finished.load() || g_asking > 0 || dialog.isVisible() || ModalRunsEnded()) return;
    if (std::chrono::steady_clock::now() - startedAt < g_showAfter) return;
    if (!cancelling) ShowReading(dialog, progress);
    dialog.show();
    if (Hooks().shown) Hooks().shown(dialog, progress);
  };
  // 取消, closing it, Esc, or every dialog ending with the application:
  // the job is asked to stop, and the window says so until it has.
  const auto cancel = [&] {
    progress.Cancel();
    if (cancelling) return;
    cancelling = true;
    dialog.setLabelText(U(res::kJobCancelling));
    if (auto* button = dialog.findChild<QPushButton*>()) button->setEnabled(false);
    QTimer::singleShot(0, &loop, showDue);
  };
  QObject::connect(&dialog, &QProgressDialog::canceled, cancel);
  QObject::connect(&dialog, &QDialog::rejected, cancel);

  QTimer refresh;
  refresh.setInterval(kRefreshEvery);
  QObject::connect(&refresh, &QTimer::timeout, [&] {
    // The application is ending: the job stops, its files go.
    if (ModalRunsEnded()) progress.Cancel();
    if (!dialog.isVisible()) {
      showDue();
      return;
    }
    if (!cancelling) ShowReading(dialog, progress);
    if (Hooks().shown) Hooks().shown(dialog, progress);
  });
  refresh.start();
  QTimer::singleShot(g_showAfter, &loop, showDue);
  // Until the job has ended. Should the application be quitting (every
  // event loop ended, none running any more), events are still handed out
  // here: the job may be waiting on one of its boxes.
  while (!finished.load()) {
    loop.exec();
    if (finished.load()) break;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  worker.join();
  --g_running;
  g_dialog = outer;
  g_asking = outerAsking;
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
