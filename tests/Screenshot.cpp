// Renders a window offscreen to a PNG (for the README and for looking at the
// layout without a display): zoetrix_screenshot OUT.png
// [main|drawn|canvas|strip|job|tips|about|delframe|mode|open|splash] [SCALE]
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <QDir>
#include <QTemporaryDir>
#include "document/Settings.h"
#include "platform/ProgramFolder.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "tests/OffscreenScreen.h"
#include "ui/CAboutDlg.h"
#include "ui/DelFrame.h"
#include "ui/FrameStrip.h"
#include "ui/Mode.h"
#include "ui/Open.h"
#include "ui/Tips.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/JobRunner.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"
#include "ui/start.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // The smallest screen the main window is made for, so it shows as made.
  const guitest::OffscreenScreen screen(1366, 768);
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
  if (which == "mode") {
    document::Settings shown = document::Settings::Read(platform::WorkFolder());
    Mode settings(shown);
    settings.DoModal();
    return 1;
  }
  if (which == "open") {
    Open folders;
    folders.DoModal();
    return 1;
  }
  if (which == "delframe") {
    DelFrame options(10);
    options.DoModal();
    return 1;
  }
  CZoetrixDlg dlg;
  dlg.Create();
  if (which == "drawn" || which == "strip" || which == "canvas" || which == "job") {
    // An animation with a few frames, to show what working in it looks like.
    ui::SetMessageBoxResponderForTesting([](const QString&, int) { return ui::IDOK; });
    static QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("Code"));
    platform::SetProgramFolderForTesting(folder.path().toStdString() + "/");
    if (which == "strip") {
      // A small canvas, so the thumbnails show the picture large.
      ui::ZDialog::SetControlText(dlg.Control(res::IDC_WIDE), QStringLiteral("36"));
      ui::ZDialog::SetControlText(dlg.Control(res::IDC_HIGH), QStringLiteral("12"));
    }
    dlg.RunCommand(res::IDC_CREATE, ui::Notify::Clicked);
    const char* frames[] = {"   /\\_/\\\n  ( o.o )\n   > ^ <\n  小猫散步 1",
                            "   /\\_/\\\n  ( -.- )\n   > ^ <\n  小猫散步 2"};
    for (const char* f : frames) {
      ui::ZDialog::SetControlText(dlg.Control(res::IDC_EDIT_AREA), QString::fromUtf8(f));
      dlg.RunCommand(res::IDC_APPEND_BLANK, ui::Notify::Clicked);
    }
    ui::ZDialog::SetControlText(dlg.Control(res::IDC_EDIT_AREA),
                                QString::fromUtf8("   /\\_/\\\n  ( ^.^ )\n   > ^ <\n  小猫散步 3"));
  }
  if (which == "canvas") {
    // The next step being drawn over the last one, shown faintly behind, with
    // a block chosen and the cursor in the picture.
    ui::ZDialog::SetControlText(
        dlg.Control(res::IDC_EDIT_AREA),
        QString::fromUtf8("      /\\_/\\\n     ( ^.^ )\n\n  小猫散步 3  >>>"));
    ui::CharCanvas* canvas = dlg.EditCanvas();
    canvas->SetBlock({3, 2, 3, 13});
    canvas->SetCursor({2, 7});
    dlg.show();
    canvas->setFocus();
  }
  if (which == "strip") {
    // A cat walking across the canvas, the strip open with two frames chosen.
    for (int step = 0; step < 9; ++step) {
      const QString pad(step * 3, QLatin1Char(' '));
      const QString cat = pad + "  /\\_/\\\n" + pad + " ( o.o )\n" + pad + "  > ^ <\n" + pad +
                          (step % 2 ? " /     \\" : "  |   |");
      ui::ZDialog::SetControlText(dlg.Control(res::IDC_EDIT_AREA), cat);
      dlg.RunCommand(res::IDC_APPEND_BLANK, ui::Notify::Clicked);
    }
    dlg.ShowInEditArea(4);
    dlg.RunCommand(res::IDC_FRAME_STRIP, ui::Notify::Clicked);
    ui::FrameStrip* strip = dlg.Strip();
    strip->resize(860, strip->height());
    strip->Select(6, 2);
    QTimer::singleShot(100, [&] {
      strip->grab().save(out);
      std::exit(0);
    });
    return app.exec();
  }
  if (which == "job") {
    // A long GIF being written: the progress window over the main window,
    // taken once the speed and the time left show.
    dlg.show();
    ui::SetJobDialogDelayForTesting(std::chrono::milliseconds(1));
    ui::SetJobHooksForTesting({{},
                               [&](QProgressDialog& dialog, platform::JobProgress& job) {
                                 if (job.Read().seconds < 0.6) return;
                                 QPixmap shot = dlg.grab();
                                 QPainter painter(&shot);
                                 const QPoint at = dialog.pos() - dlg.pos();
                                 painter.drawPixmap(at, dialog.grab());
                                 // No frame offscreen: an edge instead.
                                 painter.setPen(Qt::darkGray);
                                 painter.drawRect(QRect(at, dialog.size()).adjusted(0, 0, -1, -1));
                                 painter.end();
                                 shot.save(out);
                                 std::exit(0);
                               },
                               {}});
    QTimer::singleShot(100, [&] {
      ui::RunJob(&dlg, [](platform::JobProgress& job) {
        job.Begin(res::kJobShareGif, 20000);
        for (int i = 1; i <= 20000 && job.Advance(i); ++i)
          std::this_thread::sleep_for(std::chrono::microseconds(200));
      });
    });
    return app.exec();
  }
  if (argc > 3) dlg.resize(dlg.size() * QString::fromLatin1(argv[3]).toDouble());
  QTimer::singleShot(100, [&] {
    dlg.grab().save(out);
    std::exit(0);
  });
  return app.exec();
}
