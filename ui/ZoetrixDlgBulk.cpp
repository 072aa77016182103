// Holding a picture on screen: appending copies of the picture being drawn,
// as one key frame, a second's or half a second's worth, or a delay.
#include <QComboBox>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::kMaxFrames;

using namespace ui;

// The frame the edit area shows takes its text, and count copies of that
// picture follow the last frame; the frame controls are refreshed once at
// the end, which leaves them as a refresh after every copy would.
void CZoetrixDlg::StoreAndCopyLastFrame(int count, document::StepKind kind) {
  UpdateData(true);
  NoteShownAreas();
  const int stored = m_comboEdit->currentIndex();
  if (!m_doc.AppendCopiesOfLast(m_doc.m_strEditText, count, stored, kind)) {
    ZMessageBox(U(res::kFrameLimit).arg(kMaxFrames));
    return;
  }
  NoteStoredFrame(stored);
  UpdateData(false);
  RefreshFrameControls();
}

bool CZoetrixDlg::RequireAnimation() {
  if (m_doc.m_bCreated != 0) return true;
  ZMessageBox(U(res::kNoAnimation));
  return false;
}

void CZoetrixDlg::OnAddKeyFrame() {
  if (RequireAnimation()) StoreAndCopyLastFrame(1, document::StepKind::kAddKeyFrame);
}

void CZoetrixDlg::OnFillSecond() {
  UpdateData(true);
  if (RequireAnimation() && m_doc.CopiesForSecond() > 0)
    StoreAndCopyLastFrame(m_doc.CopiesForSecond(), document::StepKind::kFillSecond);
}

void CZoetrixDlg::OnFillHalfSecond() {
  UpdateData(true);
  if (RequireAnimation() && m_doc.CopiesForHalfSecond() > 0)
    StoreAndCopyLastFrame(m_doc.CopiesForHalfSecond(), document::StepKind::kFillHalfSecond);
}

void CZoetrixDlg::OnAddDelayFrames() {
  UpdateData(true);
  if (!RequireAnimation()) return;
  SetDlgItemText(res::IDC_STATUS, U(res::kCreatingFrames));
  UpdateData(false);
  if (const int count = m_doc.CopiesForDelay(); count > 0)
    StoreAndCopyLastFrame(count, document::StepKind::kAddDelayFrames);
  SetDlgItemText(res::IDC_STATUS, U(res::kFramesCreated));
  UpdateData(false);
}
