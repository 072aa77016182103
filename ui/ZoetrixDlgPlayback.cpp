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

using namespace ui;

void CZoetrixDlg::StartPlayback(int position) {
  UpdateData(true);
  if (!RequireAnimation()) return;
  m_nPreviewFrame = position + 1;
  m_slider->setValue(position);
  m_progress->setValue(position);
  UpdateData(false);
  ShowEditFrame();
  SetTimer(kTimerPlayback, PlaybackInterval(m_nRate));
}

void CZoetrixDlg::OnPlayFromStart() { StartPlayback(0); }

// With nothing chosen in the preview, playback starts at the first frame.
void CZoetrixDlg::OnPlayFromCurrent() { StartPlayback(qMax(m_comboPreview->currentIndex(), 0)); }

void CZoetrixDlg::OnPause() { KillTimer(kTimerPlayback); }

void CZoetrixDlg::OnPlaybackTick() {
  UpdateData(true);
  // A frame that is not there (no frames, or a number typed into the field)
  // ends playback with one report, instead of a report at every tick.
  if (m_nPreviewFrame < 1 || m_nPreviewFrame > m_nFrames) KillTimer(kTimerPlayback);
  ShowPreviewFrame();
  switch (AfterTick(m_nPreviewFrame, m_nFrames, m_bLoop == 1)) {
    case TickEnd::Restart:
      m_nPreviewFrame = 1;
      break;
    case TickEnd::Stop:
      KillTimer(kTimerPlayback);
      return;
    case TickEnd::Advance:
      // Past the end the bar starts over, as a stepped progress bar does.
      m_progress->setValue(m_progress->value() >= m_progress->maximum() ? m_progress->minimum()
                                                                        : m_progress->value() + 1);
      m_slider->setValue(m_nPreviewFrame - 1);
      ++m_nPreviewFrame;
      break;
  }
  UpdateData(false);
}

void CZoetrixDlg::OnSliderReleased() {
  if (m_bCreated == 0) return;
  UpdateData(true);
  m_nPreviewFrame = m_slider->value() + 1;
  UpdateData(false);
  ShowPreviewFrame();
  UpdateData(false);
}
