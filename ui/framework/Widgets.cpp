#include "ui/framework/Widgets.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include "document/Refresh.h"

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

int FrameItemsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_count;
}

QVariant FrameItemsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_count) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return QString::fromStdString(FrameItemText(index.row() + 1));
  return {};
}

void FrameItemsModel::SetCount(int count) {
  if (count < 0) count = 0;
  beginResetModel();
  m_count = count;
  endResetModel();
}

}  // namespace ui
