#include "ui/MessageBoxPrompter.h"

#include <QString>

#include "ui/framework/ControlTable.h"
#include "ui/framework/JobRunner.h"
#include "ui/framework/MessageBox.h"

// The export may run on a job's thread: every box opens on the window's.
void MessageBoxPrompter::Message(const std::string& text) {
  ui::OnWindowThread([&] { ui::ZMessageBox(QString::fromStdString(text), ui::MB_OK); });
}

bool MessageBoxPrompter::Ask(const std::string& text) {
  bool yes = false;
  ui::OnWindowThread([&] {
    yes = ui::ZMessageBox(QString::fromStdString(text), ui::MB_OKCANCEL) != ui::IDCANCEL;
  });
  return yes;
}

void MessageBoxPrompter::Finishing() {
  if (m_finishing) ui::OnWindowThread(m_finishing);
}
