#pragma once
#include "ui/framework/ZDialog.h"

// The About box: version, maker and the guide's address.
class CAboutDlg : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  void OnCommand(int id, ui::Notify notify) override;
};
