// Renders a window offscreen to a PNG (for the README and for looking at the
// layout without a display): zoetrix_screenshot OUT.png [main|tips|about|splash]
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdlib>

#include "ui/AboutDlg.h"
#include "ui/StartDlg.h"
#include "ui/TipsDlg.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/Modal.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString which = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("main");
  // Grabs the window of the wanted kind while it runs, then leaves at once
  // (quitting normally would ask the exit question).
  ui::SetModalHookForTesting([&](QDialog& d) {
    if (d.objectName().compare(which == "about" ? "CAboutDlg" : which, Qt::CaseInsensitive) == 0 ||
        (which == "splash" && d.objectName() == "start")) {
      d.grab().save(out);
      std::exit(0);
    }
    if (d.objectName() != QLatin1String("start")) d.done(0);
  });
  if (which == "about") {
    CAboutDlg about;
    about.DoModal();
    return 1;
  }
  CZoetrixDlg dlg;
  dlg.Create();
  QTimer::singleShot(100, [&] {
    dlg.grab().save(out);
    std::exit(0);
  });
  return app.exec();
}
