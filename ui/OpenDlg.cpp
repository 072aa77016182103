#include "ui/OpenDlg.h"

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/Templates.h"

Open::Open(QWidget* parent) : ZDialog(res::kOpenDialog, parent) {}

void Open::OnCommand(int id, ui::Notify notify) {
  const char* folder = id == 1006   ? "Code/"
                       : id == 1005 ? "Animate/"
                       : id == 1012 ? "Project/"
                                    : nullptr;
  if (folder) {
    platform::ShellOpen(platform::ProgramFolder() + folder);
    return;
  }
  // Enter presses no button here: only Escape and the close box end it.
  if (id == ui::IDCANCEL) ZDialog::OnCommand(id, notify);
}
