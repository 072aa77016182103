// Resizing the main window: every control keeps its captured distance to the
// same edge of the window (left to left, right to right, top to top, bottom
// to bottom), scaled by the window's growth along that axis. Positions always
// come from the layout captured at start-up, so no rounding ever builds up
// and the start-up size gives the start-up layout back exactly.
#include <QResizeEvent>
#include <cmath>

#include "ui/ZoetrixDlg.h"

namespace {

// Edges as the classic window rectangle holds them: right and bottom are
// one past the last pixel.
struct Edges {
  int left, top, right, bottom;
  explicit Edges(const QRect& r)
      : left(r.x()), top(r.y()), right(r.x() + r.width()), bottom(r.y() + r.height()) {}
};

int Scaled(int captured, int reference, float factor, int now) {
  return static_cast<int>(static_cast<float>(captured - reference) * factor +
                          static_cast<float>(now));
}

}  // namespace

void CZoetrixDlg::resizeEvent(QResizeEvent* event) {
  ZDialog::resizeEvent(event);
  OnSize();
}

void CZoetrixDlg::OnSize() {
  // Size changes while the window is being made come before the capture.
  if (m_layout.isEmpty()) return;
  const Edges r(m_layout.first());
  const Edges n(QRect(mapToGlobal(QPoint(0, 0)), size()));
  if (r.right == r.left || r.bottom == r.top) return;
  const auto sx = static_cast<float>(static_cast<double>(n.right - n.left) / (r.right - r.left));
  const auto sy = static_cast<float>(static_cast<double>(n.bottom - n.top) / (r.bottom - r.top));
  const QList<QWidget*>& controls = Controls();
  for (int i = 0; i < controls.size() && i + 1 < m_layout.size(); ++i) {
    const Edges s(m_layout[i + 1]);
    const QPoint topLeft =
        mapFromGlobal(QPoint(Scaled(s.left, r.left, sx, n.left), Scaled(s.top, r.top, sy, n.top)));
    const QPoint bottomRight = mapFromGlobal(
        QPoint(Scaled(s.right, r.right, sx, n.right), Scaled(s.bottom, r.bottom, sy, n.bottom)));
    controls[i]->setGeometry(topLeft.x(), topLeft.y(), bottomRight.x() - topLeft.x(),
                             bottomRight.y() - topLeft.y());
  }
}
