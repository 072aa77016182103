#include "ui/framework/DataExchange.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <climits>

#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/ZDialog.h"

namespace ui {

namespace {

// Fields whose content the user sets: after a refusal they keep it. Labels
// and read-only boxes only show members and go on following them.
bool TakesInput(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (auto* c = qobject_cast<const CharCanvas*>(w)) return !c->ReadOnly();
  return qobject_cast<const QCheckBox*>(w) != nullptr;
}

// Every CR followed by LF and every LF preceded by CR: such bytes come back
// unchanged from the widget, which holds the lines without their CRs.
// A NUL byte is not carried through a text box either.
bool HasCrLfLinesOnly(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\0') return false;
    if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return false;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
  }
  return true;
}

}  // namespace

QWidget* CDataExchange::PrepareCtrl(int id) {
  if (m_failed) return nullptr;
  QWidget* w = m_pDlgWnd->Control(id);
  if (!m_bSaveAndValidate) {
    m_holding = m_holding || id == m_pDlgWnd->HeldFrom();
    if (m_holding && TakesInput(w)) return nullptr;
  }
  m_lastControl = w;
  return m_lastControl;
}

void CDataExchange::FailKeepingText(int id, const QString& message) {
  m_pDlgWnd->HoldFrom(id);
  // A command that copies the fields twice asks once.
  if (m_pDlgWnd->RepeatsRefusal(message)) {
    m_failed = true;
    return;
  }
  Fail(message);
}

void CDataExchange::Fail(const QString& message) {
  m_failed = true;
  ZMessageBox(message, MB_OK);
  if (m_lastControl) {
    m_lastControl->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(m_lastControl)) edit->selectAll();
  }
}

bool ParseExchangeInt(const QString& text, int& value) {
  const QString t = text.trimmed();
  int i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i >= t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    v = v * 10 + (t[i].unicode() - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<int>(v);
  return true;
}

void DDX_Text(CDataExchange& dx, int id, int& value) {
  QWidget* w = dx.PrepareCtrl(id);
  if (!w) return;
  if (!dx.m_bSaveAndValidate) {
    ZDialog::SetControlText(w, QString::number(value));
    return;
  }
  int parsed = 0;
  if (!ParseExchangeInt(ZDialog::ControlText(w), parsed)) {
    dx.Fail(U("请输入一个整数。"));
    return;
  }
  value = parsed;
}

// Edit boxes remember the bytes they stand for until their text changes, so
// that an exchange does not convert an unchanged picture back and forth.
void DDX_Text(CDataExchange& dx, int id, std::string& value) {
  QWidget* w = dx.PrepareCtrl(id);
  if (!w) return;
  // The canvas holds the frame's bytes itself.
  if (auto* canvas = qobject_cast<CharCanvas*>(w)) {
    if (dx.m_bSaveAndValidate)
      value = canvas->FrameText();
    else
      canvas->SetFrameText(value);
    return;
  }
  TextCache* cache = dx.m_pDlgWnd->TextCacheOf(w);
  if (!dx.m_bSaveAndValidate) {
    if (cache && cache->valid && cache->bytes == value) return;
    ZDialog::SetControlText(w, FromGbk(value));
    if (cache && HasCrLfLinesOnly(value)) {
      cache->bytes = value;
      cache->valid = true;
    }
    return;
  }
  if (cache && cache->valid) {
    value = cache->bytes;
    return;
  }
  QString bad;
  std::string bytes;
  if (!ToGbk(ZDialog::ControlText(w), bytes, &bad)) {
    dx.FailKeepingText(
        id, U("输入的内容含有无法保存的字符：%1\n请删除或替换这些字符后再试。").arg(bad));
    return;
  }
  if (cache) {
    cache->bytes = bytes;
    cache->valid = true;
  }
  value = std::move(bytes);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
  auto* box = qobject_cast<QCheckBox*>(dx.PrepareCtrl(id));
  if (!box) return;
  if (dx.m_bSaveAndValidate)
    value = box->isChecked() ? 1 : 0;
  else
    box->setChecked(value != 0);
}

void DDV_MinMaxInt(CDataExchange& dx, int value, int minVal, int maxVal) {
  if (!dx.m_bSaveAndValidate || dx.Failed()) return;
  if (value < minVal || value > maxVal)
    dx.Fail(U("请输入一个介于 %1 和 %2 之间的整数。").arg(minVal).arg(maxVal));
}

QWidget* DDX_ControlWidget(CDataExchange& dx, int id) {
  if (dx.Failed()) return nullptr;
  return dx.m_pDlgWnd->Control(id);
}

}  // namespace ui
