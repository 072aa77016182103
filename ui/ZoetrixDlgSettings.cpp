// The preview-mode settings and the folder shortcuts.
#include "platform/ProgramFolder.h"
#include "res/Texts.h"
#include "ui/Mode.h"
#include "ui/Open.h"
#include "ui/Website.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

void CZoetrixDlg::OnSettings() {
  Mode settings(m_settings, this);
  settings.DoModal();
  // The canvas shows the frames behind as the settings now say.
  EditCanvas()->SetOnionShown(m_settings.Canvas().onion);
  UpdateCanvasLook();
}

void CZoetrixDlg::OnOpenFolders() {
  Open folders(this);
  folders.DoModal();
}

void CZoetrixDlg::OnOpenSettingsFolder() {
  if (ZMessageBox(U(res::kOpenSettingsFolderQuestion), MB_OKCANCEL) == IDCANCEL) return;
  OpenFolder(platform::WorkFolder() + "data/", res::kSettingsFolderName);
}
