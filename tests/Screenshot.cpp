// Renders the main window offscreen to a PNG (for the README and for looking
// at the layout without a display): zoetrix_screenshot OUT.png
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdlib>

#include "platform/Shell.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/Modal.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::SetModalHookForTesting([](QDialog& d) {
    if (d.objectName() != QLatin1String("start")) d.done(0);
  });
  CZoetrixDlg dlg;
  dlg.Create();
  QTimer::singleShot(100, [&] {
    dlg.grab().save(QString::fromLocal8Bit(argv[1]));
    std::exit(0);  // quitting would ask the exit question
  });
  return app.exec();
}
