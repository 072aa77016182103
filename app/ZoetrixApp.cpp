#include "app/ZoetrixApp.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/CommandLine.h"
#include "platform/SignalPipe.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/Translations.h"

int CZoetrixApp::Run(int argc, char** argv) {
  // Scripts export without a window.
  if (IsCommandLine(argc, argv)) return RunCommandLine(argc, argv);
  // Without a display Qt would abort; say what to do instead.
  auto unset = [](const char* name) {
    const char* v = std::getenv(name);
    return !v || !*v;
  };
  if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
    std::fputs(
        "没有可用的显示，无法打开窗口。\n"
        "请在图形桌面中启动，或用 xvfb-run -a zoetrix 启动；"
        "不开窗口导出请用 zoetrix --export（见 zoetrix --help）。\n",
        stderr);
    return 1;
  }
  int signal = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zoetrix"));
    ui::InstallQtTranslations(app);
    signal = InitInstance(ProjectToOpen(argc, argv));
  }
  // Ended by a signal, with the work kept: the tool ends as the signal
  // would have ended it, so whoever sent it sees that.
  if (signal != 0) {
    platform::EndAsSignal(signal);
    return 128 + signal;
  }
  return 0;
}

std::filesystem::path CZoetrixApp::ProjectToOpen(int argc, char** argv) {
  if (argc != 2 || IsCommandLine(argc, argv)) return {};
  std::error_code ec;
  const std::filesystem::path given(argv[1]);
  const std::filesystem::path full = std::filesystem::absolute(given, ec);
  return ec ? given : full;
}

int CZoetrixApp::InitInstance(const std::filesystem::path& project) {
  CZoetrixDlg dlg;
  dlg.OpenAtStart(project);
  dlg.EndOnSignals(platform::CatchEndSignals());
  QApplication::setWindowIcon(dlg.m_hIcon);
  dlg.DoModal();
  return dlg.EndedBySignal();
}
