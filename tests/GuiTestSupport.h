#pragma once
// Drives the real windows: answers message boxes, acts on modal dialogs,
// points the tool at a temporary folder, and finds controls by id.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "tests/TestSupport.h"
#include "ui/ZoetrixDlg.h"

namespace guitest {

// Records every message box and answers it (OK unless told otherwise), and
// records every modal dialog by class name, ending it at once unless an
// action for that class is given. The splash ends by itself.
class Hooks {
 public:
  Hooks();
  ~Hooks();
  QStringList messages;
  QList<int> messageTypes;
  QStringList dialogs;
  int answer = 1;  // IDOK
  // Called with the dialog while it runs modally; it should end the dialog.
  std::function<void(QDialog&)> onDialog;
};

// A main window started in a temporary tool folder, as the tool starts,
// with the start-up Tips window already shown and closed.
class MainWindow {
 public:
  explicit MainWindow(Hooks& hooks, std::unique_ptr<CZoetrixDlg> dlg = nullptr);
  // As above, with files put into the tool folder before the window starts.
  MainWindow(Hooks& hooks, const std::function<void(const std::filesystem::path&)>& prepare);
  // Both: files first, then the window given.
  MainWindow(Hooks& hooks, const std::function<void(const std::filesystem::path&)>& prepare,
             std::unique_ptr<CZoetrixDlg> dlg);
  ~MainWindow();
  CZoetrixDlg& dlg() { return *m_dlg; }
  const testsupport::TempDir& folder() const { return m_dir; }
  void SetText(int id, const QString& text);
  QString Text(int id);
  void Click(int id);
  // Types a key into the control with this id, as the user would.
  void Key(int id, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
  // Puts the console layer into include/ of the tool folder, so the real
  // compiler can build the generated programs.
  void InstallConsoleLayer();
  // Answers the next file-open dialogs with this path (empty: Cancel).
  void AnswerOpenFile(const std::string& path);
  // Creates an animation and draws frames with the given texts after the
  // head (the last frame stays the empty one being edited).
  void CreateWithFrames(const QStringList& texts);
  // Creates an animation of n frames: "f1" ... "f(n-1)" and the empty frame
  // being edited.
  void MakeDrawnFrames(int n);
  // Creates an animation (at the rate given) whose n frames read "1" ... "n",
  // the last one saved from the edit area.
  void MakeNumberedFrames(int n, int rate = 24);
  // Writes data/Settings.ini of the tool folder.
  void WriteSettings(const std::string& text);
  // Pretends an animation exists at the given rate, with no frames yet.
  void PretendCreated(int rate = 24);

 private:
  testsupport::TempDir m_dir;
  std::unique_ptr<CZoetrixDlg> m_dlg;
};

// Lets queued events and timers run for the given time.
void Pump(int milliseconds = 0);

}  // namespace guitest
