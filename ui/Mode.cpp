#include "ui/Mode.h"
#include "res/ControlIds.h"
#include "res/Texts.h"

#include "document/Settings.h"
#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::Settings;

using namespace ui;

Mode::Mode(Settings& settings, QWidget* parent)
    : ZDialog(res::kModeDialog, parent), m_settings(settings) {}

bool Mode::OnInitDialog() {
  ZDialog::OnInitDialog();
  // The box shows what the refresh does: only 1 turns the preview on.
  m_nNewFrame = m_settings.PreviewFollows() ? 1 : 0;
  UpdateData(false);
  return true;
}

void Mode::DoDataExchange(CDataExchange& dx) {
  DDX_Check(dx, res::IDC_MODE_PREVIEW_FOLLOWS, m_nNewFrame);
}

void Mode::OnOK() {
  UpdateData(true);
  // The work folder found afresh: the tool's folder may have turned
  // read-only since the start, and then the settings go to the user's.
  const std::string folder = platform::WorkFolder();
  if (!m_settings.SavePreviewFollows(folder, m_nNewFrame == 1))
    ZMessageBox(U(res::kCannotSaveSettings).arg(QString::fromStdString(Settings::PathIn(folder))));
  EndDialog(IDOK);
}
