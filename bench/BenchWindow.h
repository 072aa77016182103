#pragma once
// The real main window for benchmarks: started offscreen in a scratch tool
// folder, the way the tool starts, with every message box answered OK and
// every modal dialog but the splash ended at once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/ProgramFolder.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"

namespace benchwindow {

// What the next modal dialogs are answered with, before they are ended.
inline std::function<void(QDialog&)> g_onDialog;

// Set before the window exists and cleared after it is gone.
struct Hooks {
  Hooks() {
    ui::SetMessageBoxResponderForTesting([](const QString&, int) { return 1; });
    ui::SetModalHookForTesting([](QDialog& d) {
      if (d.objectName() == QLatin1String("start")) return;
      if (g_onDialog) g_onDialog(d);
      if (d.isVisible()) d.done(QDialog::Rejected);
    });
  }
  ~Hooks() {
    ui::SetMessageBoxResponderForTesting({});
    ui::SetModalHookForTesting({});
  }
};

// Lets queued events and timers run for the given time.
inline void Pump(int milliseconds) {
  QElapsedTimer t;
  t.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (milliseconds > 0) QThread::msleep(1);
  } while (t.elapsed() < milliseconds);
}

struct Window {
  std::filesystem::path dir;
  std::unique_ptr<CZoetrixDlg> dlg;

  explicit Window(const std::string& name) {
    dir = std::filesystem::temp_directory_path() /
          ("zoetrix-bench-" + name + "-" + std::to_string(::getpid()));
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      std::filesystem::create_directories(dir / sub);
    platform::SetProgramFolderForTesting(dir.string() + "/");
    dlg = std::make_unique<CZoetrixDlg>();
    dlg->Create();
    Pump(20);  // the start-up Tips window comes from a timer once shown
  }
  ~Window() {
    dlg.reset();
    platform::SetProgramFolderForTesting({});
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

// The window the benchmarks drive while RunSpecifiedBenchmarks runs.
inline Window* g_window = nullptr;

// Runs the registered benchmarks against one window started for them.
inline void RunWithWindow(const std::string& name) {
  Hooks hooks;
  Window window(name);
  g_window = &window;
  benchmark::RunSpecifiedBenchmarks();
  g_window = nullptr;
}

}  // namespace benchwindow
