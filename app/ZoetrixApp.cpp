#include "app/ZoetrixApp.h"

#include <QApplication>

#include "app/ExportCommand.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/Translations.h"

int CZoetrixApp::Run(int argc, char** argv) {
  // Scripts export without a window.
  if (IsCommandLine(argc, argv)) return RunCommandLine(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zoetrix"));
  ui::InstallQtTranslations(app);
  InitInstance();
  return 0;
}

bool CZoetrixApp::InitInstance() {
  CZoetrixDlg dlg;
  QApplication::setWindowIcon(dlg.m_hIcon);
  dlg.DoModal();
  return false;
}
