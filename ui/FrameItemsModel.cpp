#include "ui/FrameItemsModel.h"

#include "document/Refresh.h"

using document::FrameItemText;

namespace ui {

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
