#include "ui/Open.h"
#include "res/ControlIds.h"

#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/Website.h"

Open::Open(QWidget* parent) : ZDialog(res::kOpenDialog, parent) {}

void Open::OnCommand(int id, ui::Notify notify) {
  const char* folder = id == res::IDC_OPEN_CODE_FOLDER      ? "Code/"
                       : id == res::IDC_OPEN_ANIMATE_FOLDER ? "Animate/"
                       : id == res::IDC_OPEN_PROJECT_FOLDER ? "Project/"
                                                            : nullptr;
  if (folder) {
    const char* what = id == res::IDC_OPEN_CODE_FOLDER      ? res::kCodeFolderName
                       : id == res::IDC_OPEN_ANIMATE_FOLDER ? res::kAnimateFolderName
                                                            : res::kProjectFolderName;
    ui::OpenFolder(platform::WorkFolder() + folder, what);
    return;
  }
  // Enter presses no button here: only Escape and the close box end it.
  if (id == ui::IDCANCEL) ZDialog::OnCommand(id, notify);
}
