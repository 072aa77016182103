// Playing the animation in the preview area on timer 0, with the progress
// bar and the slider following, pause, loop and jumps by the slider.
#include <QComboBox>
#include <QProgressBar>
#include <QSlider>

#include "playback/PlaybackClock.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using playback::AfterTick;
using playback::PlaybackInterval;
using playback::PlaybackSchedule;
using playback::StepProgress;
using playback::TickEnd;

using namespace ui;

void CZoetrixDlg::StartPlayback(int position) {
  KillTimer(kTimerPlayback);  // a report below must not find ticks still coming
  UpdateData(true);
  if (!RequireAnimation()) return;
  m_doc.m_nPreviewFrame = position + 1;
  // The edit area's go-to below keeps it on the frame it shows.
  EditAreaPlaced();
  m_slider->setValue(position);
  m_progress->setValue(position);
  UpdateData(false);
  ShowEditFrame();
  const int interval = PlaybackInterval(m_doc.m_animation.m_nRate);
  m_pace.Start(PlaybackSchedule::Clock::now(), interval);
  SetTimerOnce(kTimerPlayback, interval);
}

// A bar of 0 to 0 would draw as "busy": with one frame or none it is an
// empty bar of 0 to 1. The position stays where it was, inside the new range,
// instead of the bar emptying when frames are taken off.
void CZoetrixDlg::SetProgressRange(int maximum) {
  const int position = m_progress->value();
  m_progress->setRange(0, qMax(maximum, 1));
  m_progress->setValue(maximum < 1 ? 0 : qBound(0, position, maximum));
}

void CZoetrixDlg::OnPlayFromStart() { StartPlayback(0); }

// With nothing chosen in the preview, playback starts at the first frame.
void CZoetrixDlg::OnPlayFromCurrent() { StartPlayback(qMax(m_comboPreview->currentIndex(), 0)); }

void CZoetrixDlg::OnPause() { KillTimer(kTimerPlayback); }

// The timer is off while a tick runs: a message it shows (a field that
// does not validate, a frame that is not there) ends playback with that one
// report instead of a new one at every tick behind it. Each tick is armed
// for its own deadline, so the frames keep the rate however long a tick takes.
void CZoetrixDlg::OnPlaybackTick() {
  KillTimer(kTimerPlayback);
  if (!GoToPreviewFrame()) return;
  switch (AfterTick(m_doc.m_nPreviewFrame, m_doc.FrameCount(), m_doc.m_bLoop == 1)) {
    case TickEnd::Stop:
      return;
    case TickEnd::Restart:
      m_doc.m_nPreviewFrame = 1;
      break;
    case TickEnd::Advance:
      m_progress->setValue(
          StepProgress(m_progress->value(), m_progress->minimum(), m_progress->maximum()));
      m_slider->setValue(m_doc.m_nPreviewFrame - 1);
      ++m_doc.m_nPreviewFrame;
      break;
  }
  UpdateData(false);
  SetTimerOnce(kTimerPlayback, m_pace.NextWait(PlaybackSchedule::Clock::now()));
}

void CZoetrixDlg::OnSliderReleased() {
  if (m_doc.m_bCreated == 0) return;
  UpdateData(true);
  m_doc.m_nPreviewFrame = m_slider->value() + 1;
  UpdateData(false);
  ShowPreviewFrame();
  UpdateData(false);
}
