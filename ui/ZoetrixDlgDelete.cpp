// Deleting frames: the last one with Ctrl+Del, or by the deletion options.
#include <algorithm>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/DelFrameDlg.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

void CZoetrixDlg::OnDeleteLastFrame() {
  if (!RequireAnimation()) return;
  if (m_doc.FrameCount() <= 1) {
    ZMessageBox(U("已经没有可以删除的帧了。"));
    return;
  }
  if (ZMessageBox(U("确实要删除最后一帧？操作不可更改。"), MB_OKCANCEL) == IDCANCEL) return;
  EraseFrames(m_doc.FrameCount() - 1, 1);
}

void CZoetrixDlg::OnDeleteOptions() {
  UpdateData(true);
  if (!RequireAnimation()) return;
  DelFrame options(m_doc.FrameCount(), this);
  if (options.DoModal() == IDCANCEL) return;
  if (ZMessageBox(U("确定删除？"), MB_OKCANCEL) == IDCANCEL) return;
  switch (options.m_nMode) {
    case DelFrame::kModeTail:
      EraseFrames(m_doc.FrameCount() - options.m_nFirst, options.m_nFirst);
      break;
    case DelFrame::kModeRange: {
      const int lo = std::min(options.m_nFirst, options.m_nSecond);
      const int hi = std::max(options.m_nFirst, options.m_nSecond);
      EraseFrames(lo, hi - lo - 1);  // both bounding frames stay
      break;
    }
    case DelFrame::kModeSingle:
      EraseFrames(options.m_nFirst - 1, 1);
      break;
    default:
      ZMessageBox(U("意外的错误：传入的模式有误！"));
  }
}

// Takes count frames out from position first (frame first + 1) on. What the
// edit area holds is first kept in the frame it showed; afterwards the edit
// area shows the last frame, as the refresh selects it: the frame being
// edited, which the next append stores the edit area into. The fields are
// copied once, by the refresh, so a field that does not validate is
// reported once.
void CZoetrixDlg::EraseFrames(int first, int count) {
  if (!KeepEditText()) return;
  m_doc.m_frames.Erase(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
  if (m_doc.FrameCount() > 0) {
    m_doc.m_strEditText = m_doc.m_frames.Last().Text();  // also when the copy stops before the box
    SetDlgItemText(res::IDC_EDIT_AREA, FromGbk(m_doc.m_strEditText));
  }
  RefreshFrameControls();
}
