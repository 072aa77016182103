#include "ui/Tips.h"
#include "res/ControlIds.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QUrl>

#include "platform/Cp936.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/CAboutDlg.h"

Tips::Tips(QWidget* parent) : ZDialog(res::kTipsDialog, parent) {
  const QString address = GuideAddress();
  auto tips = platform::cp936::ToGbk(res::TipsText(address.toStdString()));
  // A folder name GBK cannot hold shows percent-encoded rather than cut short.
  if (!tips.ok())
    tips = platform::cp936::ToGbk(res::TipsText(QUrl(address).toEncoded().toStdString()));
  m_strTips = std::move(tips.bytes);
}

bool Tips::OnInitDialog() {
  ZDialog::OnInitDialog();
  // Opened at the first line, not wherever the caret ended up.
  if (auto* box = ControlAs<QPlainTextEdit>(res::IDC_TIPS_TEXT)) {
    box->moveCursor(QTextCursor::Start);
    box->verticalScrollBar()->setValue(0);
  }
  return true;
}

void Tips::DoDataExchange(ui::CDataExchange& dx) {
  ui::DDX_Text(dx, res::IDC_TIPS_TEXT, m_strTips);
}
