#include "ui/framework/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include "ui/framework/ControlTable.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/Modal.h"

namespace ui {
namespace {
MessageBoxResponder& Responder() {
  static MessageBoxResponder r;
  return r;
}
}  // namespace

void SetMessageBoxResponderForTesting(MessageBoxResponder responder) {
  Responder() = std::move(responder);
}

int ZMessageBox(const QString& text, int type) {
  // Ending without questions: nothing is shown, nothing agreed to.
  if (ModalRunsEnded()) return IDCANCEL;
  if (Responder()) return Responder()(text, type);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Zoetrix"), text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  QPushButton* ok = box.addButton(U("确定"), QMessageBox::AcceptRole);
  QPushButton* cancel = nullptr;
  if (type == MB_OKCANCEL) cancel = box.addButton(U("取消"), QMessageBox::RejectRole);
  // A short message gives a narrow box whose title bar has no room for the
  // title beside its buttons: the box is kept wide enough to show it.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(box.fontMetrics().averageCharWidth() * 36, 0,
                                  QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  box.setDefaultButton(ok);
  box.setEscapeButton(cancel ? static_cast<QAbstractButton*>(cancel) : ok);
  box.exec();
  if (ModalRunsEnded()) return IDCANCEL;  // closed, not answered
  return box.clickedButton() == cancel && cancel ? IDCANCEL : IDOK;
}

}  // namespace ui
