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
  m_nOnion = m_settings.Canvas().onion ? 1 : 0;
  m_nOnionFrames = m_settings.Canvas().onionFrames;
  m_nOnionAfter = m_settings.Canvas().onionAfter ? 1 : 0;
  UpdateData(false);
  return true;
}

void Mode::DoDataExchange(CDataExchange& dx) {
  DDX_Check(dx, res::IDC_MODE_PREVIEW_FOLLOWS, m_nNewFrame);
  DDX_Check(dx, res::IDC_MODE_ONION, m_nOnion);
  DDX_Text(dx, res::IDC_MODE_ONION_FRAMES, m_nOnionFrames);
  DDV_MinMaxInt(dx, m_nOnionFrames, 1, 3);
  DDX_Check(dx, res::IDC_MODE_ONION_AFTER, m_nOnionAfter);
}

void Mode::OnOK() {
  if (!UpdateData(true)) return;
  // The work folder found afresh: the tool's folder may have turned
  // read-only since the start, and then the settings go to the user's.
  const std::string folder = platform::WorkFolder();
  Settings::CanvasChoices canvas = m_settings.Canvas();
  canvas.onion = m_nOnion == 1;
  canvas.onionFrames = m_nOnionFrames;
  canvas.onionAfter = m_nOnionAfter == 1;
  if (!m_settings.SavePreviewFollows(folder, m_nNewFrame == 1) ||
      !m_settings.SaveCanvas(folder, canvas))
    ZMessageBox(U(res::kCannotSaveSettings).arg(QString::fromStdString(Settings::PathIn(folder))));
  EndDialog(IDOK);
}
