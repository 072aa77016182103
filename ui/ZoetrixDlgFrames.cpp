// The frame list behind the main window's selectors, and the frame commands.
#include <QComboBox>
#include <QProgressBar>
#include <QSlider>

#include "document/Refresh.h"
#include "res/Texts.h"
#include "ui/FrameItemsModel.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Widgets.h"

using document::ComputeRefresh;
using document::kMaxFrames;
using document::RefreshFigures;

using namespace ui;

void CZoetrixDlg::RefreshFrameControls() {
  UpdateData(true);
  // The settings as read at start or saved since: no file is read here.
  const RefreshFigures f =
      ComputeRefresh(m_doc.FrameCount(), m_doc.m_animation.m_nRate, m_settings.PreviewMode());
  m_previewItems->SetCount(f.frames);
  m_comboPreview->setCurrentIndex(-1);
  m_editItems->SetCount(f.frames);
  m_comboEdit->setCurrentIndex(f.editSelection);
  m_nEditShown = m_comboEdit->currentIndex();
  EditAreaPlaced();
  if (f.previewFollows) {
    const bool valid = f.previewSelection >= 0 && f.previewSelection < f.frames;
    m_comboPreview->setCurrentIndex(valid ? f.previewSelection : -1);
    m_doc.m_strPreviewText = m_doc.TextAt(m_comboPreview->currentIndex());
  }
  // Where the next step of the history starts from.
  NoteShownAreas();
  ShowFrameFigures(f.frames);
  UpdateData(false);
  // The frames changed: the edit area's typing so far belongs to the step.
  ForgetEditAreaUndo();
}

// The frame total, the duration and the ranges of the slider and the
// progress bar for this many frames.
void CZoetrixDlg::ShowFrameFigures(int frames) {
  const RefreshFigures f =
      ComputeRefresh(frames, m_doc.m_animation.m_nRate, m_settings.PreviewMode());
  m_doc.m_bPreviewFollows = f.previewFollows;
  m_doc.m_strFrameTotal = f.frameTotal;
  m_slider->setRange(0, f.sliderMax);
  SetProgressRange(f.progressMax);
  m_doc.m_strDuration = f.duration;
  UpdateStrip();
}

void CZoetrixDlg::OnAppendBlankFrame() {
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  if (m_doc.AtFrameLimit()) {
    ZMessageBox(U(res::kFrameLimit).arg(kMaxFrames));
    return;
  }
  UpdateData(true);
  NoteShownAreas();
  const int stored = m_comboEdit->currentIndex();
  m_doc.AppendBlankFrame(m_doc.m_strEditText, stored);
  NoteStoredFrame(stored);
  m_doc.m_strEditText.clear();
  UpdateData(false);
  RefreshFrameControls();
}
