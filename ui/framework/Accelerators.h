#pragma once
// Accelerator keys: looked at before the focused control gets the key, so a
// shortcut works even while typing in an edit box.
#include <span>

#include "res/DialogTables.h"

class QKeyEvent;

namespace ui {

class AcceleratorTable {
 public:
  explicit AcceleratorTable(std::span<const res::KeyBinding> entries) : m_entries(entries) {}
  // The command the key stands for, or 0.
  int Translate(const QKeyEvent& event) const;
  std::span<const res::KeyBinding> Entries() const { return m_entries; }

 private:
  std::span<const res::KeyBinding> m_entries;
};

// Installs, once per application, the filter that offers key presses to the
// accelerators of the dialog they are aimed at (and opens the system menu on
// Alt+Space).
void InstallKeyRouter();

}  // namespace ui
