// Undo and redo in the main window: the edit area's own typing first, then
// the frame steps of the document's history, each putting the areas back on
// the frames the step concerns.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "document/Refresh.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/FrameItemsModel.h"
#include "ui/FrameStrip.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"

using namespace ui;

namespace {

// A one-line field of the window with the focus: it keeps its own undo of
// typing, taken back before anything else.
QLineEdit* FocusedField(const QWidget* window) {
  auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  return field && field->window() == window ? field : nullptr;
}

}  // namespace

bool CZoetrixDlg::EditAreaCanUndo() const { return EditCanvas()->CanUndo(); }

bool CZoetrixDlg::EditAreaCanRedo() const { return EditCanvas()->CanRedo(); }

bool CZoetrixDlg::UndoInEditArea() { return EditCanvas()->Undo(); }

bool CZoetrixDlg::RedoInEditArea() { return EditCanvas()->Redo(); }

void CZoetrixDlg::ForgetEditAreaUndo() { EditCanvas()->ForgetSteps(); }

void CZoetrixDlg::OnUndo() {
  if (QLineEdit* field = FocusedField(this); field && field->isUndoAvailable()) {
    field->undo();
    return;
  }
  if (UndoInEditArea()) return;
  if (const auto move = m_doc.UndoStep()) ShowFramesAt(move->areas, move->editText);
}

// Typing since the last frame step stands in the way of redoing one, as any
// new change does.
void CZoetrixDlg::OnRedo() {
  if (QLineEdit* field = FocusedField(this); field && field->isRedoAvailable()) {
    field->redo();
    return;
  }
  if (RedoInEditArea() || EditAreaCanUndo()) return;
  if (const auto move = m_doc.RedoStep()) ShowFramesAt(move->areas, move->editText);
}

QString CZoetrixDlg::UndoMenuText() const {
  const QLineEdit* field = FocusedField(this);
  if (EditAreaCanUndo() || (field && field->isUndoAvailable()))
    return U(res::kUndoMenu).arg(U(res::kUndoTypingName));
  if (m_doc.m_history.CanUndo()) return U(res::kUndoMenu).arg(U(m_doc.m_history.UndoName()));
  return U(res::kUndoNothingMenu);
}

QString CZoetrixDlg::RedoMenuText() const {
  const QLineEdit* field = FocusedField(this);
  if (EditAreaCanRedo() || (field && field->isRedoAvailable()))
    return U(res::kRedoMenu).arg(U(res::kUndoTypingName));
  if (!EditAreaCanUndo() && m_doc.m_history.CanRedo())
    return U(res::kRedoMenu).arg(U(m_doc.m_history.RedoName()));
  return U(res::kRedoNothingMenu);
}

void CZoetrixDlg::ShowFramesAt(const document::AreaPositions& areas, const std::string& editText) {
  UpdateData(true);
  const int frames = m_doc.FrameCount();
  m_previewItems->SetCount(frames);
  m_editItems->SetCount(frames);
  m_comboEdit->setCurrentIndex(areas.edit < frames ? areas.edit : -1);
  m_nEditShown = m_comboEdit->currentIndex();
  m_comboPreview->setCurrentIndex(areas.preview < frames ? areas.preview : -1);
  if (m_comboPreview->currentIndex() >= 0 || m_doc.m_bPreviewFollows)
    m_doc.m_strPreviewText = m_doc.TextAt(m_comboPreview->currentIndex());
  m_doc.m_strEditText = editText;
  EditAreaPlaced();
  NoteShownAreas();
  ShowFrameFigures(frames);
  UpdateData(false);
  ForgetEditAreaUndo();
}

void CZoetrixDlg::EditAreaPlaced() {
  if (m_nEditShown >= 0) m_doc.m_nEditFrame = m_nEditShown + 1;
  if (m_strip) m_strip->EditAreaMoved(m_nEditShown);
}

void CZoetrixDlg::UpdateStrip() {
  if (m_strip) m_strip->FramesChanged();
}
