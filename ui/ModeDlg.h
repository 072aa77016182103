#pragma once
#include "ui/framework/ZDialog.h"

// The preview-mode setting: whether the preview follows the frame before the
// one being edited.
class Mode : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit Mode(QWidget* parent = nullptr);
  int m_nNewFrame = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange& dx) override;
  void OnOK() override;
};
