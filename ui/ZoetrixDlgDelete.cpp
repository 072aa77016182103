// Deleting frames: the last one with Ctrl+Del, or by the deletion options.
#include <functional>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/DelFrame.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

void CZoetrixDlg::OnDeleteLastFrame() {
  if (!RequireAnimation()) return;
  if (!m_doc.CanDeleteLastFrame()) {
    ZMessageBox(U(res::kNoFrameToDelete));
    return;
  }
  if (ZMessageBox(U(res::kDeleteLastQuestion), MB_OKCANCEL) == IDCANCEL) return;
  EraseFrames([this] { m_doc.EraseLastFrame(); });
}

void CZoetrixDlg::OnDeleteOptions() {
  UpdateData(true);
  if (!RequireAnimation()) return;
  DelFrame options(m_doc.FrameCount(), this);
  if (options.DoModal() == IDCANCEL) return;
  if (ZMessageBox(U(res::kDeleteQuestion), MB_OKCANCEL) == IDCANCEL) return;
  switch (options.m_nMode) {
    case DelFrame::kModeTail:
      EraseFrames([&] { m_doc.EraseLastFrames(options.m_nFirst); });
      break;
    case DelFrame::kModeRange:
      EraseFrames([&] { m_doc.EraseBetween(options.m_nFirst, options.m_nSecond); });
      break;
    case DelFrame::kModeSingle:
      EraseFrames([&] { m_doc.EraseFrameNumber(options.m_nFirst); });
      break;
    default:
      ZMessageBox(U(res::kBadDeleteMode));
  }
}

// What the edit area holds is first kept in the frame it showed; after the
// deletion the edit area shows what the document says (the last frame). The
// fields are copied once, by the refresh, so a field that does not validate
// is reported once.
void CZoetrixDlg::EraseFrames(const std::function<void()>& erase) {
  // Kept within the deletion's own step: one undo gives back both.
  if (!NoteEditText()) return;
  erase();
  if (m_doc.FrameCount() > 0) EditCanvas()->SetFrameText(m_doc.m_strEditText);
  RefreshFrameControls();
}
