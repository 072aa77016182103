#pragma once
// Data exchange between a dialog's controls and its members.
//
// Copying controls into members goes through the bindings in order and stops
// at the first bad field: the standard message is shown and the focus put on
// the field. An out-of-range integer is already stored when its range check
// fails; a text that is not an integer leaves the member as it was; members
// after the bad field keep their values. Callers carry on either way.
// A text that cannot be stored as typed is refused the same way, and the
// fields the user fills in from it onwards are left as typed by the copy back
// that follows (labels and read-only boxes still show their members).
#include <QString>
#include <string>

class QWidget;

namespace ui {

class ZDialog;

// The GBK bytes a multi-line box stands for, while its text is the one they
// were read from or written as (any change of the text invalidates them).
struct TextCache {
  std::string bytes;
  bool valid = false;
};

class CDataExchange {
 public:
  CDataExchange(ZDialog* dialog, bool saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  ZDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;

  // The control with this id, remembered as the one a failure points at;
  // null once the exchange has failed (the rest of it is skipped).
  QWidget* PrepareCtrl(int id);
  // Reports text, puts the focus on the last prepared control, stops the exchange.
  void Fail(const QString& message);
  // The same for a text that cannot be stored as typed: besides, the field
  // and every input field after it keep what the user typed through the copy back
  // that follows, so nothing typed is lost while the command carries on.
  void FailKeepingText(int id, const QString& message);
  bool Failed() const { return m_failed; }

 private:
  QWidget* m_lastControl = nullptr;
  bool m_failed = false;
  bool m_holding = false;  // copying back: the held fields are reached
};

// Parses an integer the way the classic exchange does: blanks around an
// optional sign and digits, nothing else, within 32 bits.
bool ParseExchangeInt(const QString& text, int& value);

void DDX_Text(CDataExchange& dx, int id, int& value);
void DDX_Text(CDataExchange& dx, int id, std::string& value);  // GBK bytes, CR LF lines
void DDX_Check(CDataExchange& dx, int id, int& value);
void DDV_MinMaxInt(CDataExchange& dx, int value, int minVal, int maxVal);

// Attaches a control object to a member; exchanges no value.
QWidget* DDX_ControlWidget(CDataExchange& dx, int id);
template <class T>
void DDX_Control(CDataExchange& dx, int id, T*& control) {
  if (QWidget* w = DDX_ControlWidget(dx, id)) control = static_cast<T*>(w);
}

}  // namespace ui
