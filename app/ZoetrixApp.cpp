#include "app/ZoetrixApp.h"

#include <QApplication>

#include "app/ExportCommand.h"
#include "ui/ZoetrixDlg.h"

int CZoetrixApp::Run(int argc, char** argv) {
  // Scripts export without a window.
  if (IsCommandLine(argc, argv)) return RunCommandLine(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zoetrix"));
  InitInstance();
  return 0;
}

bool CZoetrixApp::InitInstance() {
  CZoetrixDlg dlg;
  QApplication::setWindowIcon(dlg.m_hIcon);
  dlg.DoModal();
  return false;
}
