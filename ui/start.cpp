#include "ui/start.h"

#include <QGuiApplication>
#include <QScreen>

#include "res/Templates.h"

start::start(QWidget* parent) : ZDialog(res::kSplashDialog, parent) {
  setStyleSheet(QStringLiteral("start { border: 1px solid #7a7a7a; background: white; }"));
}

bool start::OnInitDialog() {
  ZDialog::OnInitDialog();
  // The main window is not shown yet: centre on the screen instead.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  SetTimer(0, kShowMilliseconds);
  return true;
}

void start::OnTimer(int) { ZDialog::OnCancel(); }
