#pragma once
#include <string>

#include "ui/framework/ZDialog.h"

// The start-up tips and version history.
class Tips : public ui::ZDialog {
  Q_OBJECT
 public:
  explicit Tips(QWidget* parent = nullptr);
  std::string m_strTips;  // GBK

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange& dx) override;
};
