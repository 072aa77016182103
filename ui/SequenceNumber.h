#pragma once
#include <QString>

#include "ui/framework/ZDialog.h"

// The number a frame command asks for (copies, seconds, a frame to move to):
// a prompt and one field. OK takes the number only when it lies between the
// bounds; the data exchange reports it otherwise and the dialog stays.
class SequenceNumber : public ui::ZDialog {
  Q_OBJECT
 public:
  SequenceNumber(const QString& caption, const QString& prompt, int value, int lowest, int highest,
                 QWidget* parent = nullptr);

  int m_nValue = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange& dx) override;
  void OnOK() override;

 private:
  QString m_prompt;
  int m_nLowest;
  int m_nHighest;
};
