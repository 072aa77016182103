#pragma once
// Small widgets the control tables need beyond Qt's own.
#include <QAbstractListModel>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace ui {

// A push button whose caption wraps onto as many lines as its width needs.
class WrapButton : public QPushButton {
  Q_OBJECT
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A group frame drawn the classic way: a thin etched rectangle with the
// caption sitting on its top edge, leaving the inside fully to the controls.
class GroupFrame : public QGroupBox {
  Q_OBJECT
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A rule written as a run of underscores: drawn as a line where the
// underscores sit, across the whole control, whatever the font's width.
class RuleLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A slider that tells when the left button lets go of it, once it has taken
// the release and settled on its position, before anything else can run.
class TrackSlider : public QSlider {
  Q_OBJECT
 public:
  using QSlider::QSlider;

 signals:
  void Released();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

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
