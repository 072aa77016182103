// Playing the animation in the preview area.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include "playback/PlaybackClock.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"

using playback::PlaybackInterval;
using playback::PlaybackSchedule;
using playback::StepProgress;

using namespace guitest;

namespace {}  // namespace

TEST(Playback, IntervalFollowsTheRate) {
  EXPECT_EQ(PlaybackInterval(24), 41);
  EXPECT_EQ(PlaybackInterval(7), 142);
  EXPECT_EQ(PlaybackInterval(100), 10);
  EXPECT_EQ(PlaybackInterval(0), 1000);
  EXPECT_EQ(PlaybackInterval(5000), 10);  // never a busy loop
  // The bar starts over in step with the frames: 1, 2, 3, then 1 again.
  EXPECT_EQ(StepProgress(0, 0, 3), 1);
  EXPECT_EQ(StepProgress(3, 0, 3), 1);
  EXPECT_EQ(StepProgress(0, 0, 0), 0);
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(2, 7);
  w.Click(res::IDC_PLAY_FROM_START);
  EXPECT_EQ(w.dlg().TimerInterval(CZoetrixDlg::kTimerPlayback), 142);
  w.Click(res::IDC_PAUSE);
  EXPECT_FALSE(w.dlg().HasTimer(CZoetrixDlg::kTimerPlayback));
}

TEST(Playback, FiveFramesOncePerTickThenStop) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(5);
  hooks.messages.clear();
  w.Click(res::IDC_PLAY_FROM_START);
  for (int k = 1; k <= 5; ++k) {
    ASSERT_TRUE(d.HasTimer(CZoetrixDlg::kTimerPlayback)) << k;
    d.OnPlaybackTick();
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), QString::number(k));
    EXPECT_EQ(d.m_comboPreview->currentIndex(), k - 1);
  }
  EXPECT_FALSE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
  EXPECT_EQ(d.m_progress->value(), 4);
  EXPECT_EQ(d.m_slider->value(), 3);
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Playback, LoopTurnedOnDuringPlaybackStartsOver) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  w.Click(res::IDC_PLAY_FROM_START);
  d.OnPlaybackTick();
  d.ControlAs<QAbstractButton>(res::IDC_LOOP)->setChecked(true);
  d.OnPlaybackTick();
  d.OnPlaybackTick();
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "1");
  EXPECT_TRUE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
  // Play from start while playing: back to frame 1 with the bars at 0.
  d.OnPlaybackTick();
  w.Click(res::IDC_PLAY_FROM_START);
  EXPECT_EQ(d.m_progress->value(), 0);
  EXPECT_EQ(d.m_slider->value(), 0);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), "1");
}

TEST(Playback, SliderPauseAndResume) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(6);
  hooks.messages.clear();
  w.Click(res::IDC_PLAY_FROM_START);
  d.m_slider->setValue(2);
  d.RunCommand(res::IDC_SLIDER, ui::Notify::ReleasedCapture);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "3");
  d.OnPlaybackTick();
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "4");
  w.Click(res::IDC_PAUSE);
  w.Click(res::IDC_PLAY_FROM_CURRENT);  // continues with the frame that was showing
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "4");
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "5");
  // A number typed during playback is the next frame.
  w.SetText(res::IDC_PREVIEW_FRAME, "2");
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "2");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Playback, AFrameThatIsNotThereEndsPlaybackWithOneReport) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  hooks.messages.clear();
  w.Click(res::IDC_PLAY_FROM_START);
  w.SetText(res::IDC_PREVIEW_FRAME, "9");
  d.OnPlaybackTick();
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("没有这一帧！")});
  EXPECT_FALSE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
}

TEST(Playback, NeedsAnAnimationButPauseAlwaysWorks) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_PAUSE);
  w.Click(res::IDC_PLAY_FROM_START);
  w.Click(res::IDC_PLAY_FROM_CURRENT);
  w.dlg().RunCommand(res::IDC_SLIDER, ui::Notify::ReleasedCapture);
  const QString none = QString::fromUtf8("还没有创建动画！请先创建动画！");
  EXPECT_EQ(hooks.messages, (QStringList{none, none}));
  EXPECT_FALSE(w.dlg().HasTimer(CZoetrixDlg::kTimerPlayback));
}

TEST(Playback, RunsOnItsOwnTimerAndTheMouseOnTheSliderJumps) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(4, 100);
  w.Click(res::IDC_PLAY_FROM_START);
  // 10 ms a frame: all four are shown and playback ends (waits 5 s at most).
  for (int waited = 0; d.HasTimer(CZoetrixDlg::kTimerPlayback) && waited < 5000; waited += 20)
    Pump(20);
  EXPECT_FALSE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "4");
  // A right click does nothing; a left click on the track moves the handle
  // towards it and the preview jumps to that frame.
  d.m_slider->setValue(2);
  QTest::mouseClick(d.m_slider, Qt::RightButton, {}, QPoint(2, d.m_slider->height() / 2));
  Pump();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "4");
  // Handled as the button lets go, not later: no tick can come in between.
  QTest::mouseClick(d.m_slider, Qt::LeftButton, {}, QPoint(2, d.m_slider->height() / 2));
  EXPECT_LT(d.m_slider->value(), 2);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), QString::number(d.m_slider->value() + 1));
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), QString::number(d.m_slider->value() + 1));
}

TEST(Playback, AFieldThatDoesNotValidateEndsPlaybackWithOneReport) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3, 100);
  d.ControlAs<QAbstractButton>(res::IDC_LOOP)->setChecked(true);
  hooks.messages.clear();
  w.Click(res::IDC_PLAY_FROM_START);
  w.SetText(res::IDC_HIGH, "150");
  for (int waited = 0; d.HasTimer(CZoetrixDlg::kTimerPlayback) && waited < 3000; waited += 20)
    Pump(20);
  Pump(100);
  EXPECT_EQ(hooks.messages,
            QStringList{QString::fromUtf8("请输入一个介于 10 和 100 之间的整数。")});
  EXPECT_FALSE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
}

TEST(Playback, FromTheCurrentFrameWithNothingChosenStartsAtTheFirst) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  d.m_comboPreview->setCurrentIndex(-1);
  hooks.messages.clear();
  w.Click(res::IDC_PLAY_FROM_CURRENT);
  d.OnPlaybackTick();
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "1");
  EXPECT_EQ(d.m_progress->value(), 1);
  EXPECT_EQ(d.m_slider->value(), 0);
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Playback, TwoFramesLoopingKeepTheBarInStep) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(2);
  d.ControlAs<QAbstractButton>(res::IDC_LOOP)->setChecked(true);
  w.Click(res::IDC_PLAY_FROM_START);
  for (int round = 0; round < 3; ++round) {
    d.OnPlaybackTick();
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "1");
    EXPECT_EQ(d.m_progress->value(), 1) << round;
    d.OnPlaybackTick();
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "2");
  }
  // Three frames: 1, 2, then 1, 2 again after the restart.
  EXPECT_EQ(StepProgress(2, 0, 2), 1);
  EXPECT_EQ(StepProgress(1, 0, 1), 1);
}

TEST(Playback, TheBarKeepsItsPlaceWhenFramesGoAndIsNeverBusy) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(8);
  w.Click(res::IDC_PLAY_FROM_START);
  for (int k = 0; k < 5; ++k) d.OnPlaybackTick();
  w.Click(res::IDC_PAUSE);
  ASSERT_EQ(d.m_progress->value(), 5);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);  // 7 frames: 0 to 6
  EXPECT_EQ(d.m_progress->value(), 5);
  for (int left = 6; left >= 3; --left)
    w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(d.m_progress->maximum(), 2);
  EXPECT_EQ(d.m_progress->value(), 2);  // inside the range, not emptied
  while (d.doc().FrameCount() > 1) w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(d.m_progress->minimum(), 0);
  EXPECT_EQ(d.m_progress->maximum(), 1);
  EXPECT_EQ(d.m_progress->value(), 0);
}

// Deadlines count from the start: a late tick shortens the next wait, a
// stall drops the missed ticks, and the beat never drifts.
TEST(Playback, TicksKeepTheirDeadlinesFromTheStart) {
  using namespace std::chrono;
  using Clock = PlaybackSchedule::Clock;
  const Clock::time_point t0{};
  PlaybackSchedule s;
  s.Start(t0, 10);
  EXPECT_EQ(s.NextDeadline(), t0 + 10ms);
  EXPECT_EQ(s.NextWait(t0 + 13ms), 7);  // tick 1 came 3 ms late
  EXPECT_EQ(s.NextWait(t0 + 20ms), 10);
  EXPECT_EQ(s.NextWait(t0 + 30ms + 400us), 9);  // rounded down
  EXPECT_EQ(s.NextWait(t0 + 40ms), 10);
  // A tick that takes longer than a frame: the next one comes at once ...
  EXPECT_EQ(s.NextWait(t0 + 61ms), 0);
  EXPECT_EQ(s.NextDeadline(), t0 + 60ms);
  // ... and a stall of a second drops the missed ones, keeping the beat.
  EXPECT_EQ(s.NextWait(t0 + 1065ms), 0);
  EXPECT_EQ(s.NextDeadline(), t0 + 1060ms);
  EXPECT_EQ(s.NextWait(t0 + 1066ms), 4);
  // A thousand ticks, each 2 ms late, still end on the thousandth deadline.
  s.Start(t0, 10);
  for (int k = 1; k < 1000; ++k) s.NextWait(t0 + milliseconds(10 * k + 2));
  EXPECT_EQ(s.NextDeadline(), t0 + 10s);
}

TEST(Playback, TheTimerIsArmedForEachTickAndGoneDuringIt) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3, 10);
  w.Click(res::IDC_PLAY_FROM_START);
  EXPECT_EQ(d.TimerInterval(CZoetrixDlg::kTimerPlayback), 100);
  // Fires once: after its tick (frame 1) it is armed again for the next.
  for (int waited = 0; w.Text(res::IDC_PREVIEW_AREA) != "1" && waited < 2000; waited += 5) Pump(5);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "1");
  EXPECT_TRUE(d.HasTimer(CZoetrixDlg::kTimerPlayback));
  EXPECT_LE(d.TimerInterval(CZoetrixDlg::kTimerPlayback), 100);
}
