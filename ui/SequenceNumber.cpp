#include "ui/SequenceNumber.h"

#include "res/ControlIds.h"
#include "res/Templates.h"

using namespace ui;

SequenceNumber::SequenceNumber(const QString& caption, const QString& prompt, int value, int lowest,
                               int highest, QWidget* parent)
    : ZDialog(res::kSequenceNumberDialog, parent),
      m_nValue(value),
      m_prompt(prompt),
      m_nLowest(lowest),
      m_nHighest(highest) {
  setWindowTitle(caption);
}

bool SequenceNumber::OnInitDialog() {
  ZDialog::OnInitDialog();
  SetDlgItemText(res::IDC_SEQ_NUMBER_PROMPT, m_prompt);
  if (QWidget* field = Control(res::IDC_SEQ_NUMBER)) field->setFocus();
  return true;
}

void SequenceNumber::DoDataExchange(CDataExchange& dx) {
  DDX_Text(dx, res::IDC_SEQ_NUMBER, m_nValue);
  DDV_MinMaxInt(dx, m_nValue, m_nLowest, m_nHighest);
}

void SequenceNumber::OnOK() {
  if (UpdateData(true)) EndDialog(res::IDOK);
}
