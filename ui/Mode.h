#pragma once
#include "ui/framework/ZDialog.h"

namespace document {
class Settings;
}  // namespace document

// The preview-mode setting: whether the preview follows the frame before the
// one being edited. The box shows the window's settings; OK writes the
// choice into the work folder's settings file and, once written, into the
// window's settings.
class Mode : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit Mode(document::Settings& settings, QWidget* parent = nullptr);
  int m_nNewFrame = 0;
  int m_nOnion = 1;
  int m_nOnionFrames = 1;
  int m_nOnionAfter = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange& dx) override;
  void OnOK() override;

 private:
  document::Settings& m_settings;
};
