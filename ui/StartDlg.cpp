#include "ui/StartDlg.h"

#include "res/Templates.h"

start::start(QWidget* parent) : ZDialog(res::kSplashDialog, parent) {
  setStyleSheet(QStringLiteral("start { border: 1px solid #7a7a7a; background: white; }"));
}

bool start::OnInitDialog() {
  ZDialog::OnInitDialog();
  SetTimer(0, kShowMilliseconds);
  return true;
}

void start::OnTimer(int) { ZDialog::OnCancel(); }
