#include "ui/AboutDlg.h"

#include "res/Templates.h"
#include "ui/Website.h"

CAboutDlg::CAboutDlg(QWidget* parent) : ZDialog(res::kAboutDialog, parent) {}

void CAboutDlg::OnCommand(int id, ui::Notify notify) {
  if (id == 1000) {
    ui::OpenWebsite(this);  // the box stays open
    return;
  }
  ZDialog::OnCommand(id, notify);
}
