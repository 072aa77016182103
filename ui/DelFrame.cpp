#include "ui/DelFrame.h"
#include "res/ControlIds.h"

#include <cstdlib>

#include "res/Templates.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

namespace {
const char* const kBadValue = "输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数";
const char* const kBadRange =
    "输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数\n·选取的两个值为相邻值";
}  // namespace

DelFrame::DelFrame(int total, QWidget* parent)
    : ZDialog(res::kDelFrameDialog, parent), m_nTotal(total) {}

void DelFrame::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, res::IDC_DEL_TAIL_COUNT, m_nTailCount);
  DDX_Text(dx, res::IDC_DEL_RANGE_FIRST, m_nRangeFrom);
  DDX_Text(dx, res::IDC_DEL_RANGE_SECOND, m_nRangeTo);
  DDX_Text(dx, res::IDC_DEL_SINGLE_NUMBER, m_nSingle);
}

void DelFrame::OnCommand(int id, Notify notify) {
  switch (id) {
    case res::IDC_DEL_TAIL:
      OnDeleteTail();
      return;
    case res::IDC_DEL_RANGE:
      OnDeleteRange();
      return;
    case res::IDC_DEL_SINGLE:
      OnDeleteSingle();
      return;
    default:
      ZDialog::OnCommand(id, notify);
  }
}

void DelFrame::Choose(int mode, int first, int second) {
  m_nMode = mode;
  m_nFirst = first;
  m_nSecond = second;
  EndDialog(0);
}

void DelFrame::OnDeleteTail() {
  UpdateData(true);
  const int c = m_nTailCount;
  if (c <= 0 || c > m_nTotal) {
    ZMessageBox(U(kBadValue));
    return;
  }
  Choose(kModeTail, c, 0);
}

void DelFrame::OnDeleteRange() {
  UpdateData(true);
  const int f = m_nRangeFrom, t = m_nRangeTo;
  // The bounds first: the difference of two arbitrary ints may not fit one.
  const bool bad = f <= 0 || f > m_nTotal || t <= 0 || t > m_nTotal || f == t ||
                   std::abs(static_cast<long long>(f) - t) == 1;
  if (bad) {
    ZMessageBox(U(kBadRange));
    return;
  }
  Choose(kModeRange, f, t);
}

void DelFrame::OnDeleteSingle() {
  UpdateData(true);
  const int k = m_nSingle;
  if (k <= 0 || k > m_nTotal) {
    ZMessageBox(U(kBadValue));
    return;
  }
  Choose(kModeSingle, k, 0);
}
