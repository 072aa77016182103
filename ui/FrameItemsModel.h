#pragma once
// The frame selectors' items.
#include <QAbstractListModel>

namespace ui {

// Items "第1帧" ... "第N帧" made on demand: setting N is one operation,
// whatever N is, so a selector of 100,000 frames refills at once.
class FrameItemsModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  void SetCount(int count);
  int Count() const { return m_count; }

 private:
  int m_count = 0;
};

}  // namespace ui
