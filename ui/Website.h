#pragma once
#include <string>

class QWidget;

namespace ui {

// Opens the tool's guide in the browser; when no browser can be started the
// guide opens in a help window of the tool instead.
void OpenWebsite(QWidget* parent = nullptr);

// Opens a folder in the file manager; a failure is reported in a message
// that names what (UTF-8, e.g. "动画代码(*.c)存储目录") and its path.
void OpenFolder(const std::string& path, const char* what);

}  // namespace ui
