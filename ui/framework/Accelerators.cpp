#include "ui/framework/Accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/framework/ZDialog.h"

namespace ui {

namespace {

int QtKey(int key) {
  switch (key) {
    case res::kKeyDelete:
      return Qt::Key_Delete;
    case res::kKeyPageUp:
      return Qt::Key_PageUp;
    case res::kKeyPageDown:
      return Qt::Key_PageDown;
    default:
      return key;
  }
}

Qt::KeyboardModifiers QtModifiers(unsigned mods) {
  Qt::KeyboardModifiers m;
  if (mods & res::kModCtrl) m |= Qt::ControlModifier;
  if (mods & res::kModShift) m |= Qt::ShiftModifier;
  if (mods & res::kModAlt) m |= Qt::AltModifier;
  return m;
}

}  // namespace

int AcceleratorTable::Translate(const QKeyEvent& event) const {
  const auto relevant =
      Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;
  const auto mods = event.modifiers() & relevant;
  for (const res::KeyBinding& a : m_entries)
    if (QtKey(a.key) == event.key() && QtModifiers(a.modifiers) == mods) return a.command;
  return 0;
}

namespace {

class KeyRouter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* dialog = qobject_cast<ZDialog*>(static_cast<QWidget*>(watched)->window());
    if (!dialog) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
      dialog->ShowSystemMenu(dialog->mapToGlobal(QPoint(0, 0)));
      return true;
    }
    if (const AcceleratorTable* table = dialog->Accelerators()) {
      if (int command = table->Translate(*key)) {
        dialog->RunCommand(command, Notify::Clicked);
        return true;
      }
    }
    return false;
  }
};

}  // namespace

void InstallKeyRouter() {
  static KeyRouter* router = nullptr;
  if (router || !qApp) return;
  router = new KeyRouter(qApp);
  qApp->installEventFilter(router);
}

}  // namespace ui
