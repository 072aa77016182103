#include "tests/GuiTestSupport.h"
#include "res/ControlIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"

namespace guitest {

Hooks::Hooks() {
  ui::SetMessageBoxResponderForTesting([this](const QString& text, int type) {
    messages << text;
    messageTypes << type;
    return answer;
  });
  ui::SetModalHookForTesting([this](QDialog& d) {
    dialogs << d.objectName();
    if (d.objectName() == QLatin1String("start")) return;  // closes itself
    if (onDialog) {
      onDialog(d);
    } else {
      d.done(QDialog::Rejected);
    }
  });
  platform::SetShellOpenHookForTesting([](const std::string&) {});
}

Hooks::~Hooks() {
  ui::SetMessageBoxResponderForTesting({});
  ui::SetModalHookForTesting({});
  platform::SetShellOpenHookForTesting({});
}

MainWindow::MainWindow(Hooks& hooks, std::unique_ptr<CZoetrixDlg> dlg)
    : MainWindow(
          hooks, [](const std::filesystem::path&) {}, std::move(dlg)) {}

MainWindow::MainWindow(Hooks& hooks,
                       const std::function<void(const std::filesystem::path&)>& prepare)
    : MainWindow(hooks, prepare, nullptr) {}

MainWindow::MainWindow(Hooks&, const std::function<void(const std::filesystem::path&)>& prepare,
                       std::unique_ptr<CZoetrixDlg> dlg)
    : m_dir("zoetrix-gui"), m_dlg(std::move(dlg)) {
  for (const char* sub : {"Code", "Animate", "Project", "data"})
    std::filesystem::create_directory(m_dir.path() / sub);
  prepare(m_dir.path());
  platform::SetProgramFolderForTesting(m_dir.folder());
  if (!m_dlg) m_dlg = std::make_unique<CZoetrixDlg>();
  m_dlg->Create();
  // The start-up Tips window comes from a 1 ms timer once the window shows.
  Pump(20);
}

MainWindow::~MainWindow() {
  ui::SetOpenFileResponderForTesting({});
  m_dlg.reset();
  platform::SetProgramFolderForTesting({});
}

void MainWindow::SetText(int id, const QString& text) {
  ui::ZDialog::SetControlText(m_dlg->Control(id), text);
}

QString MainWindow::Text(int id) { return ui::ZDialog::ControlText(m_dlg->Control(id)); }

void MainWindow::Click(int id) {
  auto* b = m_dlg->ControlAs<QAbstractButton>(id);
  if (b) b->click();
}

void MainWindow::PretendCreated(int rate) {
  m_dlg->doc().m_bCreated = 1;
  m_dlg->doc().m_animation.m_nRate = rate;
}

void Pump(int milliseconds) {
  QElapsedTimer t;
  t.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (milliseconds > 0) QThread::msleep(1);
  } while (t.elapsed() < milliseconds);
}

}  // namespace guitest

namespace guitest {

void MainWindow::Key(int id, int key, Qt::KeyboardModifiers mods) {
  QWidget* w = m_dlg->Control(id);
  w->setFocus();
  QTest::keyClick(w, static_cast<Qt::Key>(key), mods);
}

void MainWindow::WriteSettings(const std::string& text) {
  testsupport::WriteFile(m_dir.path() / "data" / "Settings.ini", text);
}

}  // namespace guitest

namespace guitest {

void MainWindow::InstallConsoleLayer() {
  std::filesystem::copy(std::filesystem::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console",
                        m_dir.path() / "include");
}

void MainWindow::AnswerOpenFile(const std::string& path) {
  ui::SetOpenFileResponderForTesting(
      [path](const QString&) { return QString::fromStdString(path); });
}

void MainWindow::MakeDrawnFrames(int n) {
  Click(res::IDC_CREATE);
  for (int i = 1; i < n; ++i) {
    SetText(res::IDC_EDIT_AREA, QString("f%1").arg(i));
    Click(res::IDC_APPEND_BLANK);
  }
}

void MainWindow::MakeNumberedFrames(int n, int rate) {
  SetText(res::IDC_FRAME_RATE, QString::number(rate));
  Click(res::IDC_CREATE);
  for (int i = 1; i <= n; ++i) {
    SetText(res::IDC_EDIT_AREA, QString::number(i));
    if (i < n) Click(res::IDC_APPEND_BLANK);
  }
  Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
}

void MainWindow::CreateWithFrames(const QStringList& texts) {
  Click(res::IDC_CREATE);
  for (const QString& t : texts) {
    SetText(res::IDC_EDIT_AREA, t);
    Click(res::IDC_APPEND_BLANK);
  }
}

}  // namespace guitest
