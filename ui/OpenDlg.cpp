#include "ui/OpenDlg.h"

#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/Website.h"

Open::Open(QWidget* parent) : ZDialog(res::kOpenDialog, parent) {}

void Open::OnCommand(int id, ui::Notify notify) {
  const char* folder = id == 1006   ? "Code/"
                       : id == 1005 ? "Animate/"
                       : id == 1012 ? "Project/"
                                    : nullptr;
  if (folder) {
    const char* what = id == 1006   ? res::kCodeFolderName
                       : id == 1005 ? res::kAnimateFolderName
                                    : res::kProjectFolderName;
    ui::OpenFolder(platform::WorkFolder() + folder, what);
    return;
  }
  // Enter presses no button here: only Escape and the close box end it.
  if (id == ui::IDCANCEL) ZDialog::OnCommand(id, notify);
}
