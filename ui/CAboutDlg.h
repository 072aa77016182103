#pragma once
#include <QString>

#include "ui/framework/ZDialog.h"

// The About box: version, maker and the guide's address.
class CAboutDlg : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  void OnCommand(int id, ui::Notify notify) override;

 protected:
  bool OnInitDialog() override;
};

// The guide beside the tool as an address to click or paste into a browser:
// a file:// address of help/index.html in the program folder.
QString GuideAddress();
