#pragma once
// Every modal run goes through here, so tests can act on a dialog while it
// runs instead of blocking on it.
#include <QDialog>
#include <functional>

namespace ui {

int RunModal(QDialog& dialog);

// The application is ending without questions (a signal asked it to): every
// dialog and message box still open ends as cancelled, without its own
// cancel handling, and from now on none opens: RunModal gives Rejected and
// ZMessageBox IDCANCEL at once. Code waiting on one goes on as after a
// cancel.
void EndModalRuns();
bool ModalRunsEnded();
// Tests start windows again afterwards.
void ResumeModalRunsForTesting();

// The hook is called once the dialog is shown and its modal loop runs; it
// may inspect the dialog and end it. An empty function restores plain runs.
void SetModalHookForTesting(std::function<void(QDialog&)> hook);

}  // namespace ui
