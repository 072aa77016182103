// Long work off the window's thread: the window keeps running while a job
// does, the progress window comes only for long jobs and its 取消 stops the
// job, and what a job tells the user comes on the window's thread in order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "ui/framework/JobRunner.h"
#include "ui/framework/Modal.h"

using namespace std::chrono_literals;

namespace {

struct JobSeams {
  ~JobSeams() {
    ui::SetJobHooksForTesting({});
    ui::SetJobDialogDelayForTesting(0ms);
  }
};

// Works until told to stop, or until cancelled; never longer than limit.
void WorkUntil(const std::atomic<bool>& stop, platform::JobProgress& progress,
               std::chrono::milliseconds limit = 10s) {
  progress.Begin("测试", 100);
  const auto end = std::chrono::steady_clock::now() + limit;
  std::uint64_t done = 0;
  while (!stop.load() && std::chrono::steady_clock::now() < end) {
    if (!progress.Advance(++done % 100)) return;
    std::this_thread::sleep_for(1ms);
  }
}

// Text dragged from another program and dropped on the widget.
void DropText(QWidget* target, const QString& words) {
  QMimeData text;
  text.setText(words);
  const QPoint at(2, 2);
  QDragEnterEvent enter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

}  // namespace

TEST(Jobs, TheWindowKeepsRunningWhileAJobWorks) {
  JobSeams seams;
  QWidget window;
  std::atomic<bool> stop{false};
  int ticks = 0;
  QTimer timer;
  // The job ends only once the window's own timer has fired three times.
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) stop = true;
  });
  timer.start(20);
  const bool ran =
      ui::RunJob(&window, [&](platform::JobProgress& progress) { WorkUntil(stop, progress); });
  EXPECT_TRUE(ran);
  EXPECT_GE(ticks, 3);
  EXPECT_FALSE(ui::JobRunning());
}

TEST(Jobs, TheProgressWindowShowsOnlyForLongJobsAndSaysWhatTheJobDoes) {
  JobSeams seams;
  QWidget window;
  int shown = 0;
  QString label;
  ui::SetJobHooksForTesting({{},
                             [&](QProgressDialog& dialog, platform::JobProgress&) {
                               ++shown;
                               label = dialog.labelText();
                               EXPECT_TRUE(dialog.isVisible());
                             },
                             {}});
  // A short job: no window at all.
  EXPECT_TRUE(ui::RunJob(&window, [](platform::JobProgress& progress) {
    progress.Begin("测试", 10);
    for (int i = 1; i <= 10; ++i) progress.Advance(i);
  }));
  EXPECT_EQ(shown, 0);

  // A long one (the delay shortened): the window, with the job's words.
  ui::SetJobDialogDelayForTesting(30ms);
  std::atomic<bool> stop{false};
  QTimer::singleShot(400, [&] { stop = true; });
  EXPECT_TRUE(
      ui::RunJob(&window, [&](platform::JobProgress& progress) { WorkUntil(stop, progress); }));
  EXPECT_GT(shown, 0);
  EXPECT_TRUE(label.startsWith(QString::fromUtf8("测试：第 "))) << label.toStdString();
  EXPECT_TRUE(label.contains(QString::fromUtf8("共 100 帧"))) << label.toStdString();
  // Gone with the job.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QProgressDialog*>(w)) {
      EXPECT_FALSE(dialog->isVisible());
    }
  }
}

TEST(Jobs, CancelStopsTheJobAndIsReported) {
  JobSeams seams;
  QWidget window;
  ui::SetJobDialogDelayForTesting(10ms);
  bool clicked = false;
  ui::SetJobHooksForTesting({{},
                             [&](QProgressDialog& dialog, platform::JobProgress&) {
                               if (clicked) return;
                               clicked = true;
                               auto* cancel = dialog.findChild<QPushButton*>();
                               ASSERT_NE(cancel, nullptr);
                               EXPECT_EQ(cancel->text(), QString::fromUtf8("取消"));
                               cancel->click();
                             },
                             {}});
  std::atomic<bool> never{false};
  bool sawCancel = false;
  const auto started = std::chrono::steady_clock::now();
  const bool ran = ui::RunJob(&window, [&](platform::JobProgress& progress) {
    WorkUntil(never, progress);
    sawCancel = progress.Cancelled();
  });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(sawCancel);
  // Far sooner than the job's own ten seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);

  // A job cancelled before it starts is told so at its first step.
  ui::SetJobHooksForTesting({[](platform::JobProgress& progress) { progress.Cancel(); }, {}, {}});
  int steps = 0;
  EXPECT_FALSE(ui::RunJob(&window, [&](platform::JobProgress& progress) {
    while (progress.Advance(1)) ++steps;
  }));
  EXPECT_EQ(steps, 0);
}

TEST(Jobs, WhatAJobAsksComesOnTheWindowsThreadInOrder) {
  JobSeams seams;
  QWidget window;
  QStringList seen;
  const QThread* windowThread = QThread::currentThread();
  EXPECT_TRUE(ui::RunJob(&window, [&](platform::JobProgress&) {
    for (const char* word : {"一", "二", "三"})
      ui::OnWindowThread([&] {
        EXPECT_EQ(QThread::currentThread(), windowThread);
        seen << QString::fromUtf8(word);
      });
  }));
  EXPECT_EQ(seen, (QStringList{QString::fromUtf8("一"), QString::fromUtf8("二"),
                               QString::fromUtf8("三")}));

  // What the work throws comes out of RunJob, its thread ended.
  EXPECT_THROW(ui::RunJob(&window, [](platform::JobProgress&) { throw std::bad_alloc(); }),
               std::bad_alloc);
  EXPECT_FALSE(ui::JobRunning());
}

TEST(Jobs, TheWindowTakesNoInputUntilTheJobHasEndedEvenAfterCancel) {
  JobSeams seams;
  QWidget window;
  auto* field = new QLineEdit(&window);
  window.show();
  ui::SetJobDialogDelayForTesting(10ms);
  QString afterCancel;
  bool clicked = false;
  ui::SetJobHooksForTesting({{},
                             [&](QProgressDialog& dialog, platform::JobProgress&) {
                               QTest::keyClicks(field, "typed");
                               QTest::mouseClick(field, Qt::LeftButton);
                               DropText(field, "dropped");  // from another program
                               if (clicked) {
                                 afterCancel = dialog.labelText();
                                 return;
                               }
                               clicked = true;
                               dialog.findChild<QPushButton*>()->click();
                             },
                             {}});
  // A job slow to stop: it goes on for a while after the cancel.
  EXPECT_FALSE(ui::RunJob(&window, [](platform::JobProgress& progress) {
    progress.Begin("测试", 0);
    while (progress.Advance(1)) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(400ms);
  }));
  EXPECT_TRUE(clicked);
  EXPECT_EQ(afterCancel, QString::fromUtf8("正在取消…"));
  EXPECT_EQ(field->text(), QString());
  // Once it has ended, the window takes keys and drops again.
  QTest::keyClicks(field, "ok");
  EXPECT_EQ(field->text(), QString("ok"));
  DropText(field, "dropped");
  EXPECT_TRUE(field->text().contains("dropped")) << field->text().toStdString();
}

TEST(Jobs, TheProgressWindowStepsAsideWhileTheJobAsks) {
  JobSeams seams;
  QWidget window;
  ui::SetJobDialogDelayForTesting(10ms);
  int shown = 0;
  ui::SetJobHooksForTesting({{}, [&](QProgressDialog&, platform::JobProgress&) { ++shown; }, {}});
  bool coveredWhileAsking = false;
  EXPECT_TRUE(ui::RunJob(&window, [&](platform::JobProgress& progress) {
    progress.Begin("测试", 0);
    std::this_thread::sleep_for(300ms);  // the progress window is up by now
    ui::OnWindowThread([&] {
      // A question kept open for a while, as a user would.
      for (int i = 0; i < 30; ++i) {
        QTest::qWait(10);
        for (QWidget* w : QApplication::topLevelWidgets())
          if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) coveredWhileAsking = true;
      }
    });
    shown = 0;
    std::this_thread::sleep_for(400ms);  // and back afterwards
  }));
  EXPECT_FALSE(coveredWhileAsking);
  EXPECT_GT(shown, 0);
}

TEST(Jobs, AnEndingApplicationStopsTheJobAndBringsNoWindowBack) {
  JobSeams seams;
  QWidget window;
  ui::SetJobDialogDelayForTesting(10ms);
  bool ended = false;
  ui::SetJobHooksForTesting({{},
                             [&](QProgressDialog&, platform::JobProgress&) {
                               if (ended) return;
                               ended = true;
                               ui::EndModalRuns();  // as a SIGTERM does
                             },
                             {}});
  bool shownAfterEnd = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (ended && qobject_cast<QProgressDialog*>(w) && w->isVisible()) shownAfterEnd = true;
  });
  watch.start(20);
  EXPECT_FALSE(ui::RunJob(&window, [](platform::JobProgress& progress) {
    progress.Begin("测试", 0);
    while (progress.Advance(1)) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(300ms);  // slow to stop
  }));
  ui::ResumeModalRunsForTesting();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(shownAfterEnd);

  // What a box run for the job throws reaches the job, and RunJob after it.
  EXPECT_THROW(ui::RunJob(&window,
                          [](platform::JobProgress&) {
                            ui::OnWindowThread([] { throw std::runtime_error("box"); });
                          }),
               std::runtime_error);
  EXPECT_FALSE(ui::JobRunning());
}
