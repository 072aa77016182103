#include "ui/framework/Widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace ui {

void WrapButton::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  p.drawControl(QStyle::CE_PushButton, option);
  QRect r = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  p.drawItemText(r.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, option.palette,
                 isEnabled(), caption, QPalette::ButtonText);
}

void GroupFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetrics fm = fontMetrics();
  const QString caption = title();
  const int top = caption.isEmpty() ? 0 : fm.height() / 2;
  const QRect frame = rect().adjusted(0, top, -1, -1);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(frame);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(frame.topLeft() + QPoint(1, 1), frame.topRight() + QPoint(-1, 1));
  p.drawLine(frame.topLeft() + QPoint(1, 1), frame.bottomLeft() + QPoint(1, -1));
  if (caption.isEmpty()) return;
  const QRect textRect(fm.averageCharWidth(), 0, fm.horizontalAdvance(caption) + 4, fm.height());
  p.fillRect(textRect, palette().window());
  p.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  p.drawText(textRect, Qt::AlignCenter, caption);
}

void TrackSlider::mouseReleaseEvent(QMouseEvent* event) {
  const bool left = event->button() == Qt::LeftButton;
  QSlider::mouseReleaseEvent(event);
  if (left) emit Released();
}

void RuleLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetrics fm = fontMetrics();
  const int y = qBound(0, fm.ascent() + fm.underlinePos(), height() - 1);
  p.setPen(QPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText),
      qMax(1, fm.lineWidth())));
  p.drawLine(0, y, width() - 1, y);
}

}  // namespace ui
