#include "ui/CAboutDlg.h"
#include "res/ControlIds.h"

#include <QFile>
#include <QLabel>
#include <QUrl>

#include "platform/ProgramFolder.h"
#include "res/AppInfo.h"
#include "res/Templates.h"
#include "ui/Website.h"

QString GuideAddress() {
  const QString path =
      QFile::decodeName(QByteArray::fromStdString(platform::ShareFolder() + kWebsiteAddress));
  return QUrl::fromLocalFile(path).toString();
}

CAboutDlg::CAboutDlg(QWidget* parent) : ZDialog(res::kAboutDialog, parent) {}

void CAboutDlg::OnCommand(int id, ui::Notify notify) {
  if (id == res::IDC_ABOUT_WEBSITE) {
    ui::OpenWebsite(this);  // the box stays open
    return;
  }
  ZDialog::OnCommand(id, notify);
}

// The address label spans the box, shows the whole address where it fits
// (the middle left out where not), and opens the guide when clicked; its
// menu copies the full address.
bool CAboutDlg::OnInitDialog() {
  ZDialog::OnInitDialog();
  for (QWidget* w : Controls()) {
    auto* label = qobject_cast<QLabel*>(w);
    if (!label || label->text() != QString::fromUtf8(kWebsiteAddress)) continue;
    const QString address = GuideAddress();
    const int margin = Units().MapX(7);
    label->setGeometry(margin, label->y(), width() - 2 * margin, label->height());
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const QString shown = label->fontMetrics().elidedText(address, Qt::ElideMiddle, label->width());
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                       .arg(address.toHtmlEscaped(), shown.toHtmlEscaped()));
    label->setToolTip(address);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(label, &QLabel::linkActivated, this, [] { ui::OpenWebsite(); });
  }
  return true;
}
