#pragma once
// The standard file-open dialog, answerable by tests.
#include <QString>
#include <functional>

class QWidget;

namespace ui {

// Asks for a file to open; an empty string when the user cancels. The
// filter is Qt's form, e.g. "工程文件(*.ini)". The dialog opens in folder.
QString GetOpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& folder = {});

// Tests answer the dialog: the responder sees the filter and returns the
// chosen path (empty for Cancel). An empty function restores the dialog.
void SetOpenFileResponderForTesting(std::function<QString(const QString& filter)> responder);

}  // namespace ui
