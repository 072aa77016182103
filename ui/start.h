#pragma once
#include "ui/framework/ZDialog.h"

// The splash: shows the logo for a moment and closes itself. Escape and
// other cancel requests are ignored so it cannot be dismissed early.
class start : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit start(QWidget* parent = nullptr);
  static constexpr int kShowMilliseconds = 200;

 protected:
  bool OnInitDialog() override;
  void OnCancel() override {}
  void OnTimer(int id) override;
};
