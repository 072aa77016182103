#include "ui/ModeDlg.h"
#include "res/ControlIds.h"
#include "res/Texts.h"

#include "document/Refresh.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::ReadPreviewMode;

using namespace ui;

Mode::Mode(QWidget* parent) : ZDialog(res::kModeDialog, parent) {}

bool Mode::OnInitDialog() {
  ZDialog::OnInitDialog();
  // The box shows what the refresh does: only 1 turns the preview on.
  m_nNewFrame = ReadPreviewMode(platform::WorkFolder()) == 1 ? 1 : 0;
  UpdateData(false);
  return true;
}

void Mode::DoDataExchange(CDataExchange& dx) {
  DDX_Check(dx, res::IDC_MODE_PREVIEW_FOLLOWS, m_nNewFrame);
}

void Mode::OnOK() {
  UpdateData(true);
  const std::string folder = platform::WorkFolder();
  if (!platform::WritePrivateProfileString("Frame", "NewFrame", m_nNewFrame == 1 ? "1" : "0",
                                           folder + "data/Settings.ini"))
    ZMessageBox(
        U(res::kCannotSaveSettings).arg(QString::fromStdString(folder + "data/Settings.ini")));
  EndDialog(IDOK);
}
