#include "ui/framework/Modal.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace ui {
namespace {
std::function<void(QDialog&)>& Hook() {
  static std::function<void(QDialog&)> h;
  return h;
}
bool g_ended = false;
}  // namespace

void SetModalHookForTesting(std::function<void(QDialog&)> hook) { Hook() = std::move(hook); }

int RunModal(QDialog& dialog) {
  if (g_ended) return QDialog::Rejected;
  if (Hook()) {
    QPointer<QDialog> guard(&dialog);
    auto hook = Hook();
    QTimer::singleShot(0, &dialog, [guard, hook] {
      if (guard) hook(*guard);
    });
  }
  return dialog.exec();
}

void EndModalRuns() {
  g_ended = true;
  // done(), not reject(): a dialog's own cancel handling may ask something.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
      dialog->done(QDialog::Rejected);
}

bool ModalRunsEnded() { return g_ended; }

void ResumeModalRunsForTesting() { g_ended = false; }

}  // namespace ui
