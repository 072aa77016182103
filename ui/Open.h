#pragma once
#include "ui/framework/ZDialog.h"

// Shortcuts to the folders the animations are written to. The dialog stays
// open, so several folders can be opened one after another.
class Open : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit Open(QWidget* parent = nullptr);
  void OnCommand(int id, ui::Notify notify) override;
};
