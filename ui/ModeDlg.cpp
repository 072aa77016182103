#include "ui/ModeDlg.h"

#include "document/Refresh.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

Mode::Mode(QWidget* parent) : ZDialog(res::kModeDialog, parent) {}

bool Mode::OnInitDialog() {
  ZDialog::OnInitDialog();
  // The box shows what the refresh does: only 1 turns the preview on.
  m_nNewFrame = ReadPreviewMode(platform::ProgramFolder()) == 1 ? 1 : 0;
  UpdateData(false);
  return true;
}

void Mode::DoDataExchange(CDataExchange& dx) { DDX_Check(dx, 1035, m_nNewFrame); }

void Mode::OnOK() {
  UpdateData(true);
  const std::string folder = platform::WorkFolder();
  if (!platform::WritePrivateProfileString("Frame", "NewFrame", m_nNewFrame == 1 ? "1" : "0",
                                           folder + "data/Settings.ini"))
    ZMessageBox(U("无法保存设置：\n") + QString::fromStdString(folder + "data/Settings.ini") +
                U("\n请确认程序目录下的 data 文件夹存在并且可以写入。设置保持原样。"));
  EndDialog(IDOK);
}
