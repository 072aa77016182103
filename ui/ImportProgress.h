#pragma once
// The progress window of a picture import, watchable by tests.
#include <functional>

class QProgressDialog;

namespace ui {

// The hook is called with the progress window at every step of an import
// (shown or not yet); it may cancel it. An empty function removes it.
void SetImportProgressHookForTesting(std::function<void(QProgressDialog&)> hook);

}  // namespace ui
