#pragma once
// Accelerator keys: looked at before the focused control gets the key, so a
// shortcut works even while typing in an edit box.
#include <QKeySequence>
#include <span>

class QKeyEvent;

namespace ui {

struct Accelerator {
  int key;                          // Qt::Key
  Qt::KeyboardModifiers modifiers;  // must match exactly
  int command;
};

class AcceleratorTable {
 public:
  explicit AcceleratorTable(std::span<const Accelerator> entries) : m_entries(entries) {}
  // The command the key stands for, or 0.
  int Translate(const QKeyEvent& event) const;
  std::span<const Accelerator> Entries() const { return m_entries; }

 private:
  std::span<const Accelerator> m_entries;
};

// Installs, once per application, the filter that offers key presses to the
// accelerators of the dialog they are aimed at (and opens the system menu on
// Alt+Space).
void InstallKeyRouter();

}  // namespace ui
