#include "ui/MessageBoxPrompter.h"

#include <QString>

#include "ui/framework/ControlTable.h"
#include "ui/framework/MessageBox.h"

void MessageBoxPrompter::Message(const std::string& text) {
  ui::ZMessageBox(QString::fromStdString(text), ui::MB_OK);
}

bool MessageBoxPrompter::Ask(const std::string& text) {
  return ui::ZMessageBox(QString::fromStdString(text), ui::MB_OKCANCEL) != ui::IDCANCEL;
}
