#pragma once
// Small widgets the control tables need beyond Qt's own.
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

}  // namespace ui
