#include "ui/framework/Modal.h"

#include <QPointer>
#include <QTimer>

namespace ui {
namespace {
std::function<void(QDialog&)>& Hook() {
  static std::function<void(QDialog&)> h;
  return h;
}
}  // namespace

void SetModalHookForTesting(std::function<void(QDialog&)> hook) { Hook() = std::move(hook); }

int RunModal(QDialog& dialog) {
  if (Hook()) {
    QPointer<QDialog> guard(&dialog);
    auto hook = Hook();
    QTimer::singleShot(0, &dialog, [guard, hook] {
      if (guard) hook(*guard);
    });
  }
  return dialog.exec();
}

}  // namespace ui
