#pragma once
// Every modal run goes through here, so tests can act on a dialog while it
// runs instead of blocking on it.
#include <QDialog>
#include <functional>

namespace ui {

int RunModal(QDialog& dialog);

// The hook is called once the dialog is shown and its modal loop runs; it
// may inspect the dialog and end it. An empty function restores plain runs.
void SetModalHookForTesting(std::function<void(QDialog&)> hook);

}  // namespace ui
