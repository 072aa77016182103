// Moving the preview and edit views between frames, saving a frame, and the
// properties of the current animation.
#include <QComboBox>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::AnimationDocument;

using namespace ui;

// The edit area's text as GBK bytes. The canvas takes in only characters
// GBK holds, so its text can always be stored.
bool CZoetrixDlg::EditAreaText(std::string& text) {
  text = EditCanvas()->FrameText();
  return true;
}

// Before the edit area moves to another frame, what it holds goes into the
// frame it showed, as Ctrl+S would. An unchanged text is not stored again,
// so moving costs no new frame text. False when the text cannot be stored.
void CZoetrixDlg::NoteShownAreas() {
  m_doc.m_areasShown = {m_nEditShown, m_comboPreview->currentIndex()};
}

bool CZoetrixDlg::KeepEditText() {
  std::string text;
  if (!EditAreaText(text)) return false;
  NoteShownAreas();
  m_doc.KeepEditText(m_nEditShown, std::move(text));
  NoteStoredFrame(m_nEditShown);
  return true;
}

void CZoetrixDlg::ShowTextAt(QComboBox* selector, std::string& text) {
  text = m_doc.TextAt(selector->currentIndex());
}

// The go-to operations take the number from the field, so callers that want
// a frame shown put its number into the field first.
// True when the fields were all taken and the frame is there and shown.
bool CZoetrixDlg::GoToFrame(int AnimationDocument::*number, QComboBox* selector,
                            std::string AnimationDocument::*text) {
  const bool exchanged = UpdateData(true);
  const int k = m_doc.*number;
  // Checked against the frame count only, which is 0 before any animation:
  // no frame is ever looked up in an empty list.
  const bool editArea = selector == m_comboEdit;
  if (!m_doc.HasFrame(k)) {
    ZMessageBox(U(res::kNoSuchFrame));
    // The edit area's number field goes on naming the frame it shows.
    if (editArea && m_nEditShown >= 0) {
      m_doc.m_nEditFrame = m_nEditShown + 1;
      SetDlgItemText(res::IDC_EDIT_FRAME, QString::number(m_doc.m_nEditFrame));
    }
    return false;
  }
  if (editArea && !KeepEditText()) return false;
  selector->setCurrentIndex(k - 1);
  if (editArea) m_nEditShown = selector->currentIndex();
  if (editArea) EditAreaPlaced();
  ShowTextAt(selector, m_doc.*text);
  UpdateData(false);
  if (editArea) ForgetEditAreaUndo();
  UpdateStrip();
  return exchanged;
}

void CZoetrixDlg::StepFrame(int& number, QComboBox* selector, int offset,
                            void (CZoetrixDlg::*show)()) {
  UpdateData(true);
  number = selector->currentIndex() + offset;
  UpdateData(false);
  (this->*show)();
}

void CZoetrixDlg::ShowPreviewFrame() { GoToPreviewFrame(); }
bool CZoetrixDlg::GoToPreviewFrame() {
  return GoToFrame(&AnimationDocument::m_nPreviewFrame, m_comboPreview,
                   &AnimationDocument::m_strPreviewText);
}
void CZoetrixDlg::ShowEditFrame() {
  GoToFrame(&AnimationDocument::m_nEditFrame, m_comboEdit, &AnimationDocument::m_strEditText);
}

void CZoetrixDlg::OnPreviewPrev() {
  StepFrame(m_doc.m_nPreviewFrame, m_comboPreview, 0, &CZoetrixDlg::ShowPreviewFrame);
}
void CZoetrixDlg::OnPreviewNext() {
  StepFrame(m_doc.m_nPreviewFrame, m_comboPreview, 2, &CZoetrixDlg::ShowPreviewFrame);
}
void CZoetrixDlg::OnEditPrev() {
  StepFrame(m_doc.m_nEditFrame, m_comboEdit, 0, &CZoetrixDlg::ShowEditFrame);
}
void CZoetrixDlg::OnEditNext() {
  StepFrame(m_doc.m_nEditFrame, m_comboEdit, 2, &CZoetrixDlg::ShowEditFrame);
}

// A choice in a selector rewrites every control from its member, except
// the edit area: what is being drawn there stays (in the edit area, or in
// the frame it showed when the edit area moves).
void CZoetrixDlg::OnPreviewSelChange() {
  EditAreaText(m_doc.m_strEditText);
  ShowTextAt(m_comboPreview, m_doc.m_strPreviewText);
  UpdateData(false);
  UpdateStrip();
}

void CZoetrixDlg::OnEditSelChange() {
  if (!KeepEditText()) {
    m_comboEdit->setCurrentIndex(m_nEditShown);
    return;
  }
  m_nEditShown = m_comboEdit->currentIndex();
  EditAreaPlaced();
  ShowTextAt(m_comboEdit, m_doc.m_strEditText);
  UpdateData(false);
  ForgetEditAreaUndo();
}

void CZoetrixDlg::OnSaveFrame() {
  UpdateData(true);
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  NoteShownAreas();
  m_doc.StoreEditText(m_comboEdit->currentIndex(), m_doc.m_strEditText);
  NoteStoredFrame(m_comboEdit->currentIndex());
  UpdateData(false);
  // Stored as a step: undoing it is the frame history's from now on.
  ForgetEditAreaUndo();
  UpdateStrip();
}

void CZoetrixDlg::OnShowProperties() {
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  ZMessageBox(U(res::kProperties)
                  .arg(FromGbk(m_doc.m_strName), QString::number(m_doc.m_animation.m_nAnimWide),
                       QString::number(m_doc.m_animation.m_nAnimHigh),
                       FromGbk(m_doc.m_animation.m_strColor),
                       QString::number(m_doc.m_animation.m_nRate),
                       QString::number(m_doc.FrameCount())));
}
