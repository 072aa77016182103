#include "ui/HelpWindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "res/Texts.h"

namespace ui {

HelpWindow::HelpWindow(const QString& path, QWidget* parent)
    : QDialog(parent), m_browser(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QString::fromUtf8(res::kHelpWindowTitle));
  setAttribute(Qt::WA_DeleteOnClose);
  // Addresses outside the guide are not followed: there is no browser.
  m_browser->setOpenExternalLinks(false);
  m_browser->setSource(QUrl::fromLocalFile(path));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_browser);
  layout->addWidget(buttons);
  resize(720, 560);
}

}  // namespace ui
